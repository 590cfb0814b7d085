#include "mapimail.h"

#include "platform/MailService.h"

uint32_t SendFileByMail(const std::string& AttachmentPath, const std::string& Subject,
                        bool ShowDialog) {
    platform::MapiMessage message{};
    message.lpszSubject = Subject.empty() ? kUnspecifiedSubject : Subject.c_str();
    platform::MapiFileDesc attachment{};
    if (!AttachmentPath.empty()) {
        attachment.nPosition = 0xFFFFFFFFu;
        attachment.lpszPathName = AttachmentPath.c_str();
        message.nFileCount = 1;
        message.lpFiles = &attachment;
    }
    const uint32_t flags = ShowDialog ? platform::MAPI_DIALOG : 0;
    return platform::SendMail()(0, 0, &message, flags, 0);
}
