// Open, Shrink and Save driven through the window layer, with scripted dialogs.
#include <sys/stat.h>
#include <unistd.h>
#include <QTest>

#include <filesystem>

#include "mfm_eng.h"
#include "platform/HalftoneStretch.h"
#include "platform/MailService.h"
#include "platform/MemoryBudget.h"
#include "support/JpegFixtures.h"
#include "support/ScriptedModal.h"
#include "support/Unprivileged.h"
#include "ui/ComboBox.h"
#include "ui/Label.h"
#include "ui/PaintBox.h"
#include "ui/Window.h"

using fixtures::Bytes;

namespace {

constexpr const char* kRefusal = "Save better with different name (old file has better quality).";

std::string Caption(ui::Label* label) {
    return label->Caption();
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

}  // namespace

class ImageCommandsTest : public QObject {
    Q_OBJECT

private:
    fixtures::ScriptedModal* modal = nullptr;
    fixtures::TempDir* dir = nullptr;
    MainForm* form = nullptr;
    std::string photo;   // 1024 x 768
    std::string second;  // 999 x 333
    std::string gray;    // 64 x 48 grayscale
    std::string notJpeg;
    std::string tiny;  // 5 x 5

    void Open(const std::string& name) {
        modal->Choose(name);
        form->OpenPicture();
    }
    void ShrinkAt(int index) {
        form->PercentCombo->SetSelectedIndex(index);
        form->ShrinkPicture();
    }

private slots:
    void initTestCase() {
        dir = new fixtures::TempDir();
        photo = dir->File("photo.jpg");
        second = dir->File("second.jpg");
        gray = dir->File("gray.jpg");
        notJpeg = dir->File("notes.jpg");
        tiny = dir->File("tiny.jpg");
        QVERIFY(fixtures::WriteFile(photo, fixtures::Encode(fixtures::PhotoLike(1024, 768))));
        QVERIFY(fixtures::WriteFile(second, fixtures::Encode(fixtures::PhotoLike(999, 333, 2))));
        fixtures::Picture g;
        g.width = 64;
        g.height = 48;
        g.components = 1;
        for (int i = 0; i < 64 * 48; ++i)
            g.samples.push_back(static_cast<uint8_t>(i * 7));
        QVERIFY(fixtures::WriteFile(gray, fixtures::Encode(g, {.space = fixtures::Space::Gray})));
        QVERIFY(fixtures::WriteFile(notJpeg, Bytes(2000, 'a')));
        Bytes tinyJpeg = fixtures::Encode(fixtures::PhotoLike(5, 5));
        tinyJpeg.insert(tinyJpeg.begin() + 2, {0xFF, 0xFE, 0x01, 0xF6});  // a 500-byte comment
        tinyJpeg.insert(tinyJpeg.begin() + 6, 500, 'c');
        QVERIFY(fixtures::WriteFile(tiny, tinyJpeg));
    }
    void cleanupTestCase() { delete dir; }
    void init() {
        modal = new fixtures::ScriptedModal();
        form = BuildMainForm(nullptr);
    }
    void cleanup() {
        delete form->MainWindow;
        delete modal;
    }

    void sizeReport_data() {
        QTest::addColumn<uint>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0") << 0u << "0.00";
        QTest::newRow("512") << 512u << "0.50";
        QTest::newRow("1023") << 1023u << "0.99";
        QTest::newRow("1024") << 1024u << "1.00";
        QTest::newRow("1024+51") << 1075u << "1.04";
        QTest::newRow("150 KiB") << 150u * 1024 << "150.00";
        QTest::newRow("largest") << 0xFFFFFFFFu << "4194303.99";
    }
    void sizeReport() {
        QFETCH(uint, bytes);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(FormatSizeReport(7, 9, bytes)),
                 "Size: 7x9 , " + shown + " Kb");
    }
    void sizeReportExample() {
        QCOMPARE(FormatSizeReport(640, 480, 45310), std::string("Size: 640x480 , 44.24 Kb"));
    }

    void shrinkPercentFollowsTheSelectedIndex() {
        for (int index = -1; index <= 9; ++index) {
            form->PercentCombo->SetSelectedIndex(index);
            QCOMPARE(form->ShrinkPercent(), 10 * (index + 1));
        }
    }

    void newSizes_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("expected");
        QTest::newRow("1024 at 10%") << 1024 << 10 << 102;
        QTest::newRow("768 at 10%") << 768 << 10 << 76;
        QTest::newRow("1024 at 30%") << 1024 << 30 << 307;
        QTest::newRow("768 at 30%") << 768 << 30 << 230;
        QTest::newRow("999 at 50%") << 999 << 50 << 499;
        QTest::newRow("333 at 50%") << 333 << 50 << 166;
    }
    void newSizes() {
        QFETCH(int, side);
        QFETCH(int, percent);
        QFETCH(int, expected);
        QCOMPARE(platform::ShrunkSide(side, percent), expected);
    }

    // Every command in every state: what the state is afterwards and whether a dialog showed.
    void stateTable_data() {
        QTest::addColumn<int>("state");  // 0 Empty, 1 Opened, 2 Shrunk
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<bool>("shrunk");
        QTest::addColumn<int>("dialogs");
        const char* states[] = {"Empty", "Opened", "Shrunk"};
        for (int s = 0; s < 3; ++s) {
            const bool loaded = s > 0, shrunk = s == 2;
            const auto row = [&](const char* command, bool l, bool r, int d) {
                QTest::addRow("%s, %s", states[s], command) << s << QString(command) << l << r << d;
            };
            row("open", true, false, 1);
            row("open cancelled", loaded, shrunk, 1);
            row("shrink", loaded, loaded, 0);
            row("save", loaded, shrunk, shrunk ? 1 : 0);
            row("mail", loaded, shrunk, 0);
        }
    }
    void stateTable() {
        QFETCH(int, state);
        QFETCH(QString, command);
        QFETCH(bool, loaded);
        QFETCH(bool, shrunk);
        QFETCH(int, dialogs);
        platform::SetSendMailCallForTesting([](uintptr_t, uintptr_t, const platform::MapiMessage*,
                                               uint32_t, uint32_t) { return uint32_t{0}; });
        if (state >= 1)
            Open(photo);
        if (state == 2)
            ShrinkAt(2);
        modal->shownNames.clear();
        if (command == "open") {
            Open(second);
        } else if (command == "open cancelled") {
            modal->Cancel();
            form->OpenPicture();
        } else if (command == "shrink") {
            form->ShrinkPicture();
        } else if (command == "save") {
            modal->Choose(dir->File("state-table.jpg"));
            form->SaveResult();
        } else {
            form->MailResult();
        }
        platform::SetSendMailCallForTesting({});
        QCOMPARE(form->Loaded, loaded);
        QCOMPARE(form->Shrunk, shrunk);
        QCOMPARE(static_cast<int>(modal->shownNames.size()), dialogs);
        QVERIFY(modal->messages.empty());
        QCOMPARE(static_cast<bool>(form->SourceImage), loaded);
    }

    void shrinkWithoutAPictureDoesNotEvenRepaint() {
        form->MainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->MainWindow));
        QTest::qWait(20);
        PaintCounter resultPaints(form->ResultBox);
        form->ShrinkPicture();
        QTest::qWait(50);
        QCOMPARE(resultPaints.paints, 0);
        QVERIFY(!form->ResultImage);
    }

    void openReportsTheFileSizeWithoutDecodingTwice() {
        Open(photo);
        QVERIFY(form->Loaded);
        const auto size = std::filesystem::file_size(photo);
        QCOMPARE(Caption(form->SourceSizeLabel),
                 FormatSizeReport(1024, 768, static_cast<uint32_t>(size)));
        QCOMPARE(form->SourceSizeLabel->Left(), 12);
        QCOMPARE(form->SourceSizeLabel->width(),
                 QFontMetrics(form->SourceSizeLabel->font())
                         .horizontalAdvance(form->SourceSizeLabel->text()) +
                     4);
        QVERIFY(form->SourceImage->HasBitmap());
    }

    void cancelledOpenKeepsEverything() {
        Open(photo);
        ShrinkAt(2);
        const std::string source = Caption(form->SourceSizeLabel);
        const std::string result = Caption(form->ResultSizeLabel);
        const JpegImage* image = form->SourceImage.get();
        form->MainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->MainWindow));
        QTest::qWait(20);
        PaintCounter sourcePaints(form->SourceBox);
        modal->Cancel();
        form->OpenPicture();
        QTRY_VERIFY(sourcePaints.paints > 0);  // the source pane is repainted all the same
        QCOMPARE(form->SourceImage.get(), image);
        QCOMPARE(Caption(form->SourceSizeLabel), source);
        QCOMPARE(Caption(form->ResultSizeLabel), result);
        QVERIFY(form->Loaded && form->Shrunk);
        QCOMPARE(form->OpenDialog->FileName, photo);
        // The next dialog opens on that name, and Save still refuses it.
        modal->Choose(photo);
        form->SaveResult();
        QCOMPARE(modal->shownNames.back(), std::string());
        QCOMPARE(modal->messages, std::vector<std::string>{kRefusal});
        modal->Cancel();
        form->OpenPicture();
        QCOMPARE(modal->shownNames.back(), photo);
    }

    void openingASecondFileAfterAShrink() {
        Open(photo);
        ShrinkAt(2);
        const std::string result = Caption(form->ResultSizeLabel);
        Open(second);
        QCOMPARE(
            Caption(form->SourceSizeLabel),
            FormatSizeReport(999, 333, static_cast<uint32_t>(std::filesystem::file_size(second))));
        QCOMPARE(Caption(form->ResultSizeLabel), result);
        QVERIFY(!form->Shrunk);
        QVERIFY(form->ResultImage);  // still there, unused until the next Shrink
        const size_t dialogs = modal->shownNames.size();
        form->SaveResult();
        form->MailResult();
        QCOMPARE(modal->shownNames.size(), dialogs);
        ShrinkAt(4);
        QCOMPARE(form->ResultImage->Width(), 499);
        QCOMPARE(form->ResultImage->Height(), 166);
    }

    void shrinkReportsTheExactEncodingThatSaveWrites() {
        Open(photo);
        ShrinkAt(2);
        QCOMPARE(form->ResultImage->Width(), 307);
        QCOMPARE(form->ResultImage->Height(), 230);
        const std::string report = Caption(form->ResultSizeLabel);
        QCOMPARE(form->ResultSizeLabel->Left(), 342);
        const std::string out = dir->File("result.jpg");
        modal->Choose(out);
        form->SaveResult();
        QVERIFY(modal->messages.empty());
        const auto size = static_cast<uint32_t>(std::filesystem::file_size(out));
        QCOMPARE(report, FormatSizeReport(307, 230, size));
        const fixtures::Picture saved = fixtures::Decode(fixtures::ReadFile(out));
        QCOMPARE(saved.width, 307);
        QCOMPARE(saved.components, 3);
        // Shrinking again at the same percentage gives the same report.
        ShrinkAt(2);
        QCOMPARE(Caption(form->ResultSizeLabel), report);
    }

    void shrinkAt100PercentEncodesAgain() {
        Open(photo);
        ShrinkAt(9);
        QCOMPARE(form->ResultImage->Width(), 1024);
        QCOMPARE(form->ResultImage->Height(), 768);
        const std::string out = dir->File("full.jpg");
        modal->Choose(out);
        form->SaveResult();
        const Bytes written = fixtures::ReadFile(out);
        QVERIFY(written != fixtures::ReadFile(photo));
        QCOMPARE(Caption(form->ResultSizeLabel),
                 FormatSizeReport(1024, 768, static_cast<uint32_t>(written.size())));
    }

    void grayscaleShrinksToThreeComponents() {
        Open(gray);
        ShrinkAt(4);
        const std::string out = dir->File("gray-result.jpg");
        modal->Choose(out);
        form->SaveResult();
        const fixtures::Picture saved = fixtures::Decode(fixtures::ReadFile(out));
        QCOMPARE(saved.width, 32);
        QCOMPARE(saved.components, 3);
    }

    void saveRefusesTheOpenedFileUnderAnyName_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("same name") << "same";
        QTest::newRow("./ spelling") << "dot";
        QTest::newRow("symbolic link") << "symlink";
        QTest::newRow("hard link") << "hardlink";
    }
    void saveRefusesTheOpenedFileUnderAnyName() {
        QFETCH(QString, how);
        fixtures::TempDir folder;
        const std::string original = folder.File("a.jpg");
        QVERIFY(fixtures::WriteFile(original, fixtures::ReadFile(photo)));
        const Bytes before = fixtures::ReadFile(original);
        Open(original);
        ShrinkAt(2);
        std::string chosen = original;
        if (how == "dot")
            chosen = folder.Path() + "/./a.jpg";
        if (how == "symlink") {
            chosen = folder.File("link.jpg");
            QCOMPARE(symlink(original.c_str(), chosen.c_str()), 0);
        }
        if (how == "hardlink") {
            chosen = folder.File("hard.jpg");
            QCOMPARE(link(original.c_str(), chosen.c_str()), 0);
        }
        modal->Choose(chosen);
        form->SaveResult();
        QCOMPARE(modal->messages, std::vector<std::string>{kRefusal});
        QCOMPARE(modal->titles, std::vector<std::string>{"Vantoro"});
        QVERIFY(fixtures::ReadFile(original) == before);
    }

    void saveUnderAnotherCaseIsAnotherFile() {
        fixtures::TempDir folder;
        const std::string original = folder.File("a.jpg");
        QVERIFY(fixtures::WriteFile(original, fixtures::ReadFile(photo)));
        Open(original);
        ShrinkAt(2);
        modal->Choose(folder.File("A.jpg"));
        form->SaveResult();
        QVERIFY(modal->messages.empty());
        QVERIFY(std::filesystem::exists(folder.File("A.jpg")));
    }

    void aFailedSaveIsReportedAndKeepsTheOldFile() {
        Open(photo);
        ShrinkAt(2);
        const std::string folder = dir->File("locked");
        QCOMPARE(mkdir(folder.c_str(), 0777), 0);
        const std::string target = folder + "/old.jpg";
        QVERIFY(fixtures::WriteFile(target, Bytes(100, 5)));
        QCOMPARE(chmod(target.c_str(), 0666), 0);
        QCOMPARE(chmod(folder.c_str(), 0555), 0);
        const int outcome = fixtures::RunUnprivileged([&] {
            modal->Choose(target);
            form->SaveResult();
            return modal->messages.size() == 1 &&
                           modal->messages[0].find("was not saved") != std::string::npos &&
                           modal->messages[0].find("Permission denied") != std::string::npos
                       ? 0
                       : 1;
        });
        QCOMPARE(outcome, 0);
        QVERIFY(fixtures::ReadFile(target) == Bytes(100, 5));
        // A folder that vanished after the dialog returned.
        modal->Choose(dir->File("gone/x.jpg"));
        form->SaveResult();
        QCOMPARE(modal->messages.size(), size_t{1});
        QVERIFY(modal->messages[0].find("No such file") != std::string::npos);
    }

    void theOpenedFileIsOnlyRead() {
        platform::SetSendMailCallForTesting([](uintptr_t, uintptr_t, const platform::MapiMessage*,
                                               uint32_t, uint32_t) { return uint32_t{0}; });
        fixtures::TempDir folder;
        const std::string original = folder.File("keep.jpg");
        QVERIFY(fixtures::WriteFile(original, fixtures::ReadFile(photo)));
        QCOMPARE(chmod(original.c_str(), 0444), 0);
        struct stat before {};
        QCOMPARE(stat(original.c_str(), &before), 0);
        const Bytes bytes = fixtures::ReadFile(original);
        Open(original);
        ShrinkAt(2);
        modal->Choose(original);
        form->SaveResult();  // refused
        modal->Choose(folder.File("other.jpg"));
        form->SaveResult();
        form->MailResult();
        ShrinkAt(9);
        form->MailResult();
        platform::SetSendMailCallForTesting({});
        struct stat after {};
        QCOMPARE(stat(original.c_str(), &after), 0);
        QVERIFY(fixtures::ReadFile(original) == bytes);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        QCOMPARE(modal->messages, std::vector<std::string>{kRefusal});
    }

    void saveFaultsOfTheEnvironmentAreReported_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("words");
        QTest::newRow("a folder's name") << "folder"
                                         << "Is a directory";
        QTest::newRow("a full device") << "full"
                                       << "File too large";
        QTest::newRow("a device file") << "device"
                                       << "Invalid argument";
    }
    void saveFaultsOfTheEnvironmentAreReported() {
        QFETCH(QString, fault);
        QFETCH(QString, words);
        Open(photo);
        ShrinkAt(2);
        fixtures::TempDir folder;
        const std::string old = folder.File("old.jpg");
        QVERIFY(fixtures::WriteFile(old, Bytes(64, 1)));
        std::string target = old;
        if (fault == "folder")
            target = folder.Path();
        if (fault == "device")
            target = "/dev/null";
        modal->Choose(target);
        if (fault == "full") {
            const fixtures::FileSizeLimit deviceFull(1024);
            form->SaveResult();
        } else {
            form->SaveResult();
        }
        QCOMPARE(modal->messages.size(), size_t{1});
        QVERIFY2(modal->messages[0].find("was not saved") != std::string::npos,
                 modal->messages[0].c_str());
        QVERIFY2(modal->messages[0].find(words.toStdString()) != std::string::npos,
                 modal->messages[0].c_str());
        QVERIFY(fixtures::ReadFile(old) == Bytes(64, 1));
    }

    void unreadableFilesAreReported_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("words");
        QTest::newRow("not JPEG") << "notJpeg"
                                  << "is not a JPEG picture";
        QTest::newRow("missing") << "missing"
                                 << "could not open";
        QTest::newRow("folder") << "folder"
                                << "could not open";
    }
    void unreadableFilesAreReported() {
        QFETCH(QString, which);
        QFETCH(QString, words);
        const std::string name = which == "notJpeg"   ? notJpeg
                                 : which == "missing" ? dir->File("missing.jpg")
                                                      : dir->Path();
        Open(name);
        QVERIFY(form->Loaded);
        QCOMPARE(form->SourceImage->Width(), 0);
        const uint32_t size = which == "notJpeg" ? 2000 : 0;
        QCOMPARE(Caption(form->SourceSizeLabel), FormatSizeReport(0, 0, size));
        QCOMPARE(modal->messages.size(), size_t{1});
        QVERIFY2(modal->messages[0].find(words.toStdString()) != std::string::npos,
                 modal->messages[0].c_str());
        // Shrink then does nothing.
        ShrinkAt(2);
        QVERIFY(!form->Shrunk);
        QVERIFY(!form->ResultImage);
        QCOMPARE(modal->messages.size(), size_t{1});
    }

    void aPictureTooLargeForMemoryIsReported() {
        const Bytes jpeg =
            fixtures::WithClaimedSize(fixtures::Encode(fixtures::PhotoLike(16, 16)), 65500, 65500);
        const std::string huge = dir->File("huge.jpg");
        QVERIFY(fixtures::WriteFile(huge, jpeg));
        Open(huge);
        QCOMPARE(modal->messages.size(), size_t{1});
        QVERIFY(modal->messages[0].find("too large") != std::string::npos);
        QCOMPARE(Caption(form->SourceSizeLabel).rfind("Size: 65500x65500 , ", 0), size_t{0});
        ShrinkAt(0);
        QVERIFY(!form->Shrunk);
    }

    void aFileTooLargeToReadIsReported() {
        const std::string big = dir->File("big.jpg");
        QVERIFY(fixtures::WriteFile(big, fixtures::ReadFile(photo)));
        platform::SetPictureMemoryLimitForTesting(1000);
        Open(big);
        platform::SetPictureMemoryLimitForTesting(0);
        QCOMPARE(modal->messages.size(), size_t{1});
        QVERIFY2(modal->messages[0].find("the file does not fit") != std::string::npos,
                 modal->messages[0].c_str());
        QCOMPARE(form->SourceImage->Width(), 0);
    }

    void aShrinkToNothingIsRefused() {
        Open(tiny);
        QCOMPARE(form->SourceImage->Width(), 5);
        ShrinkAt(0);
        QCOMPARE(modal->messages,
                 std::vector<std::string>{"The picture is too small to shrink to 10%."});
        QVERIFY(!form->Shrunk);
        QVERIFY(!form->ResultImage);
        form->PercentCombo->SetSelectedIndex(-1);
        form->ShrinkPicture();
        QCOMPARE(modal->messages.back(), std::string("Choose a percentage from the list first."));
        ShrinkAt(9);
        QVERIFY(form->Shrunk);
    }
};

QTEST_MAIN(ImageCommandsTest)
#include "image_commands_test.moc"
