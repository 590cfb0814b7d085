#include <gtest/gtest.h>

#include "mapimail.h"
#include "platform/MailService.h"
#include "support/StandIn.h"

using platform::MapiMessage;

namespace {

// What one send call received.
struct SentCall {
    uintptr_t session = 99;
    uintptr_t parent = 99;
    uint32_t flags = 99;
    uint32_t reserved = 99;
    MapiMessage message{};
    platform::MapiFileDesc file{};
    std::string subject;
    std::string path;
    int calls = 0;
};

class RecordingSend {
public:
    explicit RecordingSend(uint32_t result = 0) {
        platform::SetSendMailCallForTesting(
            [this, result](uintptr_t s, uintptr_t p, const MapiMessage* m, uint32_t f, uint32_t r) {
                call.session = s;
                call.parent = p;
                call.flags = f;
                call.reserved = r;
                call.message = *m;
                call.subject = m->lpszSubject != nullptr ? m->lpszSubject : "(null)";
                if (m->lpFiles != nullptr) {
                    call.file = m->lpFiles[0];
                    call.path = m->lpFiles[0].lpszPathName;
                }
                ++call.calls;
                return result;
            });
    }
    ~RecordingSend() { platform::SetSendMailCallForTesting({}); }
    SentCall call;
};

}  // namespace

TEST(SendFileByMail, FillsTheMessageAndItsOneAttachment) {
    RecordingSend send(0);
    EXPECT_EQ(SendFileByMail("/tmp/x/beach.jpg", "beach.jpg", true), 0u);
    const SentCall& c = send.call;
    EXPECT_EQ(c.session, 0u);
    EXPECT_EQ(c.parent, 0u);
    EXPECT_EQ(c.reserved, 0u);
    EXPECT_EQ(c.flags, platform::MAPI_DIALOG);
    EXPECT_EQ(c.subject, "beach.jpg");
    EXPECT_EQ(c.message.ulReserved, 0u);
    EXPECT_EQ(c.message.lpszNoteText, nullptr);
    EXPECT_EQ(c.message.lpszMessageType, nullptr);
    EXPECT_EQ(c.message.lpszDateReceived, nullptr);
    EXPECT_EQ(c.message.lpszConversationID, nullptr);
    EXPECT_EQ(c.message.flFlags, 0u);
    EXPECT_EQ(c.message.lpOriginator, nullptr);
    EXPECT_EQ(c.message.nRecipCount, 0u);
    EXPECT_EQ(c.message.lpRecips, nullptr);
    EXPECT_EQ(c.message.nFileCount, 1u);
    EXPECT_EQ(c.file.ulReserved, 0u);
    EXPECT_EQ(c.file.flFlags, 0u);
    EXPECT_EQ(c.file.nPosition, 0xFFFFFFFFu);
    EXPECT_EQ(c.path, "/tmp/x/beach.jpg");
    EXPECT_EQ(c.file.lpszFileName, nullptr);
    EXPECT_EQ(c.file.lpFileType, nullptr);
}

TEST(SendFileByMail, EmptyValuesAndTheResultPassedThrough) {
    RecordingSend send(11);
    EXPECT_EQ(SendFileByMail("", "", false), 11u);
    EXPECT_EQ(send.call.subject, "<Unspecified Subject>");
    EXPECT_EQ(send.call.message.nFileCount, 0u);
    EXPECT_EQ(send.call.message.lpFiles, nullptr);
    EXPECT_EQ(send.call.flags, 0u);
}

TEST(MailService, RunsXdgEmailWithEachValueAsOneArgument) {
    fixtures::StandInPath path;
    path.Add("xdg-email");
    platform::ResetMailAvailabilityForTesting();
    const std::string subject = "Beach \"2026\" it's $HOME; \u00e9t\u00e9.jpg";
    const std::string file = "/tmp/a folder/Beach \"2026\" it's $HOME; \u00e9t\u00e9.jpg";
    EXPECT_EQ(SendFileByMail(file, subject, true), platform::SUCCESS_SUCCESS);
    EXPECT_EQ(path.Arguments("xdg-email"),
              (std::vector<std::string>{"--subject", subject, "--attach", file}));
}

TEST(MailService, AvailabilityIsDecidedOnceAtTheFirstSend) {
    fixtures::StandInPath path;
    platform::ResetMailAvailabilityForTesting();
    EXPECT_EQ(SendFileByMail("/tmp/a.jpg", "a.jpg", true), platform::MAPI_E_USER_ABORT)
        << "no xdg-email";
    path.Add("xdg-email");
    EXPECT_EQ(SendFileByMail("/tmp/a.jpg", "a.jpg", true), platform::MAPI_E_USER_ABORT)
        << "a run without mail stays without mail";
    EXPECT_TRUE(path.Arguments("xdg-email").empty());

    platform::ResetMailAvailabilityForTesting();
    EXPECT_EQ(SendFileByMail("/tmp/a.jpg", "a.jpg", true), platform::SUCCESS_SUCCESS);
    path.Remove("xdg-email");
    EXPECT_EQ(SendFileByMail("/tmp/a.jpg", "a.jpg", true), platform::MAPI_E_FAILURE)
        << "found once, it is not looked for again";
}

TEST(MailService, ExitCodesOfXdgEmail) {
    struct Case {
        int exitCode;
        uint32_t result;
    };
    for (const Case& c :
         {Case{0, platform::SUCCESS_SUCCESS}, Case{2, platform::MAPI_E_ATTACHMENT_NOT_FOUND},
          Case{3, platform::MAPI_E_NOT_SUPPORTED}, Case{4, platform::MAPI_E_FAILURE}}) {
        fixtures::StandInPath path;
        path.Add("xdg-email", c.exitCode);
        platform::ResetMailAvailabilityForTesting();
        EXPECT_EQ(SendFileByMail("/tmp/a.jpg", "a.jpg", true), c.result) << "exit " << c.exitCode;
    }
    platform::ResetMailAvailabilityForTesting();
}
