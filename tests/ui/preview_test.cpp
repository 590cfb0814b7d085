// The preview panes: the size rule, and what a paint puts on the screen.
#include <QTest>

#include "mfm_eng.h"
#include "platform/HalftoneStretch.h"
#include "support/JpegFixtures.h"
#include "support/ScriptedModal.h"
#include "ui/ComboBox.h"
#include "ui/PaintBox.h"
#include "ui/Panel.h"
#include "ui/Window.h"

class PreviewTest : public QObject {
    Q_OBJECT

private:
    fixtures::ScriptedModal* modal = nullptr;
    fixtures::TempDir* dir = nullptr;
    MainForm* form = nullptr;

    // A 400 x 200 picture: red left half, blue right half.
    std::string TwoColours() {
        const std::string path = dir->File("two.jpg");
        fixtures::WriteFile(
            path, fixtures::Encode(fixtures::MakePicture(400, 200, [](int x, int, uint8_t* p) {
                p[0] = x < 200 ? 230 : 10;
                p[1] = 20;
                p[2] = x < 200 ? 10 : 230;
            })));
        return path;
    }

private slots:
    void init() {
        dir = new fixtures::TempDir();
        modal = new fixtures::ScriptedModal();
        form = BuildMainForm(nullptr);
    }
    void cleanup() {
        delete form->MainWindow;
        delete modal;
        delete dir;
    }

    void sizeRule_data() {
        QTest::addColumn<int>("pw");
        QTest::addColumn<int>("ph");
        QTest::addColumn<int>("dw");
        QTest::addColumn<int>("dh");
        QTest::newRow("800x600: t equals bw, height limits") << 800 << 600 << 200 << 150;
        QTest::newRow("600x800") << 600 << 800 << 112 << 150;
        QTest::newRow("400x80") << 400 << 80 << 200 << 40;
        QTest::newRow("100x50 enlarged") << 100 << 50 << 200 << 100;
        QTest::newRow("307x230") << 307 << 230 << 200 << 150;
    }
    void sizeRule() {
        QFETCH(int, pw);
        QFETCH(int, ph);
        QFETCH(int, dw);
        QFETCH(int, dh);
        QCOMPARE(platform::FitInside(200, 150, pw, ph), (platform::Size{dw, dh}));
    }

    void panesOrPicturesWithoutArea() {
        QCOMPARE(platform::FitInside(0, 150, 800, 600), platform::Size{});
        QCOMPARE(platform::FitInside(200, 0, 800, 600), platform::Size{});
        QCOMPARE(platform::FitInside(200, 150, 0, 600), platform::Size{});
        QCOMPARE(platform::FitInside(200, 150, 800, 0), platform::Size{});
    }

    void paintShowsThePictureTopLeftWithBackgroundBeside() {
        form->MainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->MainWindow));
        const QColor background = form->SourceBox->palette().color(QPalette::Window);
        QImage before = form->SourceBox->grab().toImage();
        QCOMPARE(before.pixelColor(10, 10), background);  // nothing open yet

        modal->Choose(TwoColours());
        form->OpenPicture();
        const QImage shot = form->SourceBox->grab().toImage();
        const int bw = form->SourceBox->width(), bh = form->SourceBox->height();
        const platform::Size drawn = platform::FitInside(bw, bh, 400, 200);
        QCOMPARE(drawn.width, bw);  // a wide picture: the width limits, a strip stays below
        const auto near = [](QColor c, int r, int g, int b) {
            return std::abs(c.red() - r) < 16 && std::abs(c.green() - g) < 16 &&
                   std::abs(c.blue() - b) < 16;
        };
        QVERIFY(near(shot.pixelColor(3, 3), 230, 20, 10));
        QVERIFY(near(shot.pixelColor(drawn.width - 3, 3), 10, 20, 230));
        QVERIFY(near(shot.pixelColor(drawn.width / 4, drawn.height - 2), 230, 20, 10));
        QCOMPARE(shot.pixelColor(drawn.width / 2, drawn.height + 1), background);
        QCOMPARE(shot.pixelColor(5, bh - 2), background);

        // The result pane: nothing until Shrink, then the result; a tall pane leaves a strip
        // at the bottom of this wide picture too.
        QCOMPARE(form->ResultBox->grab().toImage().pixelColor(5, 5),
                 form->ResultBox->palette().color(QPalette::Window));
        form->PercentCombo->SetSelectedIndex(4);
        form->ShrinkPicture();
        const QImage result = form->ResultBox->grab().toImage();
        QVERIFY(near(result.pixelColor(2, 2), 230, 20, 10));
        QCOMPARE(result.pixelColor(5, form->ResultBox->height() - 2),
                 form->ResultBox->palette().color(QPalette::Window));

        // Opening another file blanks the result pane at its next paint.
        modal->Choose(TwoColours());
        form->OpenPicture();
        QCOMPARE(form->ResultBox->grab().toImage().pixelColor(2, 2),
                 form->ResultBox->palette().color(QPalette::Window));
    }

    void aTallPictureLeavesAStripOnTheRight() {
        form->MainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->MainWindow));
        const std::string path = dir->File("tall.jpg");
        fixtures::WriteFile(
            path, fixtures::Encode(fixtures::MakePicture(100, 400, [](int, int, uint8_t* p) {
                p[0] = 20;
                p[1] = 200;
                p[2] = 20;
            })));
        modal->Choose(path);
        form->OpenPicture();
        const QImage shot = form->SourceBox->grab().toImage();
        const platform::Size drawn =
            platform::FitInside(form->SourceBox->width(), form->SourceBox->height(), 100, 400);
        QCOMPARE(drawn.height, form->SourceBox->height());
        QVERIFY(shot.pixelColor(drawn.width / 2, 10).green() > 180);
        QCOMPARE(shot.pixelColor(drawn.width + 2, 10),
                 form->SourceBox->palette().color(QPalette::Window));
    }

    void aPaneOfNoWidthDrawsNothing() {
        form->MainWindow->show();
        modal->Choose(TwoColours());
        form->OpenPicture();
        form->MainWindow->SetClientSize(300, 300);  // the right pane has no width now
        QCOMPARE(form->ResultBox->width(), 0);
        form->PercentCombo->SetSelectedIndex(2);
        form->ShrinkPicture();
        QVERIFY(form->Shrunk);
        form->ResultBox->repaint();
    }

    void anUndecodablePictureShowsOnlyTheBackground() {
        form->MainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->MainWindow));
        const std::string path = dir->File("junk.jpg");
        fixtures::WriteFile(path, fixtures::Bytes(3000, 0x11));
        modal->Choose(path);
        form->OpenPicture();
        QVERIFY(form->Loaded);
        const QImage shot = form->SourceBox->grab().toImage();
        QCOMPARE(shot.pixelColor(20, 20), form->SourceBox->palette().color(QPalette::Window));
    }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
