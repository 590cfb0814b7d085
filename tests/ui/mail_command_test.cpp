// Send by e-mail: the attachment in a private folder, the hand-off, and what the user is told.
#include <sys/stat.h>
#include <unistd.h>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "mfm_eng.h"
#include "platform/MailService.h"
#include "platform/PrivateFolder.h"
#include "support/JpegFixtures.h"
#include "support/ScriptedModal.h"
#include "support/StandIn.h"
#include "support/Unprivileged.h"
#include "ui/ComboBox.h"

using fixtures::Bytes;

class MailCommandTest : public QObject {
    Q_OBJECT

private:
    fixtures::ScriptedModal* modal = nullptr;
    fixtures::TempDir* dir = nullptr;
    MainForm* form = nullptr;
    std::string photo;

    // Every send, as the mail service would receive it.
    struct Sent {
        std::string path;
        std::string subject;
        uint32_t flags;
    };
    std::vector<Sent> sent;

    void OpenAndShrink() {
        modal->Choose(photo);
        form->OpenPicture();
        form->PercentCombo->SetSelectedIndex(2);
        form->ShrinkPicture();
    }

private slots:
    void initTestCase() {
        dir = new fixtures::TempDir();
        // The private folder for attachments goes into this test's own folder.
        setenv("TMPDIR", dir->Path().c_str(), 1);
        photo = dir->File("My beach.jpg");
        QVERIFY(fixtures::WriteFile(photo, fixtures::Encode(fixtures::PhotoLike(300, 200))));
    }
    void cleanupTestCase() { delete dir; }
    void init() {
        sent.clear();
        platform::SetSendMailCallForTesting(
            [this](uintptr_t, uintptr_t, const platform::MapiMessage* m, uint32_t flags, uint32_t) {
                sent.push_back({m->lpFiles[0].lpszPathName, m->lpszSubject, flags});
                return uint32_t{0};
            });
        modal = new fixtures::ScriptedModal();
        form = BuildMainForm(nullptr);
    }
    void cleanup() {
        delete form->MainWindow;
        delete modal;
        platform::SetSendMailCallForTesting({});
    }

    void withoutAShrunkResultNothingHappens() {
        form->MailResult();
        modal->Choose(photo);
        form->OpenPicture();
        form->MailResult();
        QVERIFY(sent.empty());
        QVERIFY(modal->messages.empty());
    }

    void theResultGoesIntoAPrivateFolderUnderTheOpenedName() {
        OpenAndShrink();
        form->MailResult();
        QCOMPARE(sent.size(), size_t{1});
        QCOMPARE(sent[0].subject, std::string("My beach.jpg"));
        QCOMPARE(sent[0].flags, platform::MAPI_DIALOG);
        const std::filesystem::path attachment(sent[0].path);
        QCOMPARE(attachment.filename().string(), std::string("My beach.jpg"));
        struct stat folder {};
        QCOMPARE(lstat(attachment.parent_path().c_str(), &folder), 0);
        QVERIFY(S_ISDIR(folder.st_mode));
        QCOMPARE(folder.st_mode & 0777, 0700u);
        const Bytes first = fixtures::ReadFile(sent[0].path);
        QVERIFY(!first.empty());
        QVERIFY(modal->messages.empty());

        // A second send replaces the file; it stays after the send.
        form->PercentCombo->SetSelectedIndex(5);
        form->ShrinkPicture();
        form->MailResult();
        QCOMPARE(sent.size(), size_t{2});
        QCOMPARE(sent[1].path, sent[0].path);
        QCOMPARE(sent[1].subject, std::string("My beach.jpg"));
        QVERIFY(fixtures::ReadFile(sent[1].path) != first);
        QVERIFY(fixtures::Decode(fixtures::ReadFile(sent[1].path)).width == 180);
    }

    void aPlantedLinkIsNotFollowed() {
        OpenAndShrink();
        form->MailResult();
        const std::string attachment = sent.at(0).path;
        const std::string victim = dir->File("victim.txt");
        QVERIFY(fixtures::WriteFile(victim, Bytes{'k', 'e', 'e', 'p'}));
        QCOMPARE(unlink(attachment.c_str()), 0);
        QCOMPARE(symlink(victim.c_str(), attachment.c_str()), 0);
        form->MailResult();
        QVERIFY(fixtures::ReadFile(victim) == (Bytes{'k', 'e', 'e', 'p'}));
        struct stat st {};
        QCOMPARE(lstat(attachment.c_str(), &st), 0);
        QVERIFY(S_ISREG(st.st_mode));
    }

    void failuresAreToldWithThePath_data() {
        QTest::addColumn<uint>("result");
        QTest::addColumn<QString>("words");
        QTest::newRow("no xdg-email")
            << uint{platform::MAPI_E_USER_ABORT} << "No mail program is set up (xdg-email";
        QTest::newRow("no mail program")
            << uint{platform::MAPI_E_NOT_SUPPORTED} << "No mail program is set up";
        QTest::newRow("failed") << uint{platform::MAPI_E_FAILURE} << "could not take the picture";
    }
    void failuresAreToldWithThePath() {
        QFETCH(uint, result);
        QFETCH(QString, words);
        std::string path;
        platform::SetSendMailCallForTesting(
            [&](uintptr_t, uintptr_t, const platform::MapiMessage* m, uint32_t, uint32_t) {
                path = m->lpFiles[0].lpszPathName;
                return static_cast<uint32_t>(result);
            });
        OpenAndShrink();
        form->MailResult();
        QCOMPARE(modal->messages.size(), size_t{1});
        QVERIFY2(modal->messages[0].find(words.toStdString()) != std::string::npos,
                 modal->messages[0].c_str());
        QVERIFY(modal->messages[0].find(path) != std::string::npos);
    }

    void withTheRealServiceAndAMissingXdgEmail() {
        platform::SetSendMailCallForTesting({});
        platform::ResetMailAvailabilityForTesting();
        fixtures::StandInPath empty;
        OpenAndShrink();
        form->MailResult();
        QCOMPARE(modal->messages.size(), size_t{1});
        QVERIFY(modal->messages[0].find("xdg-email was not found") != std::string::npos);
        platform::ResetMailAvailabilityForTesting();
    }

    void anAttachmentThatCannotBeWrittenIsNotSent() {
        OpenAndShrink();
        int error = 0;
        const std::string folder = platform::PrivateFolder(&error);
        QVERIFY(!folder.empty());
        const std::string locked = dir->File("locked-tmp");
        QCOMPARE(mkdir(locked.c_str(), 0555), 0);
        QCOMPARE(chmod(folder.c_str(), 0500), 0);
        setenv("TMPDIR", locked.c_str(), 1);
        const int outcome = fixtures::RunUnprivileged([&] {
            form->MailResult();
            const bool told =
                modal->messages.size() == 1 &&
                modal->messages[0].find("could not be prepared for mail") != std::string::npos;
            return told && sent.empty() ? 0 : 1;
        });
        setenv("TMPDIR", dir->Path().c_str(), 1);
        QCOMPARE(chmod(folder.c_str(), 0700), 0);
        QCOMPARE(outcome, 0);
    }
};

QTEST_MAIN(MailCommandTest)
#include "mail_command_test.moc"
