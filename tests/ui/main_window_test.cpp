// The main window as built: controls, layout, docking, the release list and the event wiring.
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "mfm_eng.h"
#include "platform/MailService.h"
#include "support/JpegFixtures.h"
#include "support/ScriptedModal.h"
#include "support/StandIn.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Label.h"
#include "ui/PaintBox.h"
#include "ui/Panel.h"
#include "ui/Splitter.h"
#include "ui/Window.h"

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    fixtures::ScriptedModal* modal = nullptr;
    MainForm* form = nullptr;

    template <class T>
    T* Find(const char* name) {
        return form->MainWindow->findChild<T*>(name);
    }

private slots:
    void init() {
        modal = new fixtures::ScriptedModal();
        form = BuildMainForm(nullptr);
    }
    void cleanup() {
        delete form->MainWindow;
        delete modal;
    }

    void windowAndStartUpState() {
        QCOMPARE(TheMainForm, form);
        QCOMPARE(form->MainWindow->Caption(), std::string("Vantoro"));
        QCOMPARE(form->MainWindow->size(), QSize(775, 513));
        QVERIFY(!form->MainWindow->isVisible());
        QVERIFY(!form->Loaded);
        QVERIFY(!form->Shrunk);
        QVERIFY(!form->SourceImage);
        QVERIFY(!form->ResultImage);
        QCOMPARE(form->SourceSizeLabel->Caption(), std::string());
        QCOMPARE(form->ResultSizeLabel->Caption(), std::string());
        QCOMPARE(form->PercentCombo->count(), 10);
        const char* entries[] = {"10%", "20%", "30%", "40%", "50%",
                                 "60%", "70%", "80%", "90%", "100%"};
        for (int i = 0; i < 10; ++i)
            QCOMPARE(form->PercentCombo->itemText(i), QString(entries[i]));
        QCOMPARE(form->PercentCombo->SelectedIndex(), 2);
        QCOMPARE(form->PercentCombo->currentText(), QString("30%"));
        QVERIFY(form->PercentCombo->isEditable());
        QCOMPARE(form->OpenDialog->Owner, form->MainWindow);
        QCOMPARE(form->SaveDialog->DialogKind, ui::FileDialog::Kind::Save);
        QCOMPARE(form->OpenDialog->FilterName, std::string("Image Files"));
        QCOMPARE(form->OpenDialog->FilterPatterns, std::string("*.jpg;*.jpeg"));
        QCOMPARE(form->SaveDialog->DefaultExtension, std::string("jpg"));
    }

    void centredOnTheWholeScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        form->MainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->MainWindow));
        QTest::qWait(20);
        const QRect frame = form->MainWindow->frameGeometry();
        QCOMPARE(frame.x(), screen.x() + (screen.width() - frame.width()) / 2);
        QCOMPARE(frame.y(), screen.y() + (screen.height() - frame.height()) / 2);
    }

    void toolStripControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("width");   // -1: sized to the caption
        QTest::addColumn<int>("height");  // -1: sized to the caption
        QTest::newRow("ResultSizeLabel") << "ResultSizeLabel"
                                         << "" << 342 << 33 << -1 << -1;
        QTest::newRow("SourceSizeLabel") << "SourceSizeLabel"
                                         << "" << 12 << 33 << -1 << -1;
        QTest::newRow("HomeLink") << "HomeLink"
                                  << "Quennick Software" << 648 << 42 << 115 << 16;
        QTest::newRow("PercentLabel") << "PercentLabel"
                                      << "Shrink percent" << 93 << 8 << -1 << -1;
        QTest::newRow("OpenButton") << "OpenButton"
                                    << "Open ..." << 6 << 5 << 79 << 22;
        QTest::newRow("ShrinkButton") << "ShrinkButton"
                                      << "Shrink" << 339 << 6 << -1 << 22;
        QTest::newRow("SaveButton") << "SaveButton"
                                    << "Save..." << 504 << 6 << -1 << 22;
        QTest::newRow("PercentCombo") << "PercentCombo"
                                      << "30%" << 248 << 5 << 49 << -1;
        QTest::newRow("MailButton") << "MailButton"
                                    << "Send by e-mail" << 615 << 6 << -1 << 22;
    }
    void toolStripControls() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, width);
        QFETCH(int, height);
        QWidget* control = Find<QWidget>(name.toUtf8().constData());
        QVERIFY(control != nullptr);
        QCOMPARE(control->parentWidget(), static_cast<QWidget*>(form->TopPanel));
        const QPoint origin = ui::ClientOrigin(form->TopPanel);
        QCOMPARE(control->x() - origin.x(), x);
        QCOMPARE(control->y() - origin.y(), y);
        if (width >= 0)
            QCOMPARE(control->width(), width);
        if (height >= 0)
            QCOMPARE(control->height(), height);
        if (auto* label = qobject_cast<QLabel*>(control))
            QCOMPARE(label->text(), caption);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
            QVERIFY(button->width() > QFontMetrics(button->font()).horizontalAdvance(caption));
        }
        if (auto* combo = qobject_cast<QComboBox*>(control))
            QCOMPARE(combo->currentText(), caption);
    }

    void panesAreDocked() {
        const auto at = [](QWidget* w) { return w->geometry(); };
        QCOMPARE(form->TopPanel->parentWidget(), static_cast<QWidget*>(form->MainWindow));
        QCOMPARE(form->LeftPanel->parentWidget(), static_cast<QWidget*>(form->MainWindow));
        QCOMPARE(form->PaneSplitter->parentWidget(), static_cast<QWidget*>(form->MainWindow));
        QCOMPARE(form->RightPanel->parentWidget(), static_cast<QWidget*>(form->MainWindow));
        QCOMPARE(form->SourceBox->parentWidget(), static_cast<QWidget*>(form->LeftPanel));
        QCOMPARE(form->ResultBox->parentWidget(), static_cast<QWidget*>(form->RightPanel));
        for (QFrame* panel :
             {static_cast<QFrame*>(form->TopPanel), static_cast<QFrame*>(form->LeftPanel),
              static_cast<QFrame*>(form->RightPanel)}) {
            QCOMPARE(panel->frameShadow(), QFrame::Raised);
        }
        QCOMPARE(form->PaneSplitter->frameShadow(), QFrame::Sunken);
        QVERIFY(form->SourceBox->DoubleBuffered());
        QVERIFY(!form->ResultBox->DoubleBuffered());
        QCOMPARE(form->TopPanel->GetDock(), ui::Dock::Top);
        QCOMPARE(form->LeftPanel->GetDock(), ui::Dock::Left);
        QCOMPARE(form->PaneSplitter->GetDock(), ui::Dock::Left);
        QCOMPARE(form->RightPanel->GetDock(), ui::Dock::Fill);
        QCOMPARE(at(form->TopPanel), QRect(2, 2, 771, 65));
        QCOMPARE(at(form->LeftPanel), QRect(2, 69, 389, 442));
        QCOMPARE(at(form->PaneSplitter), QRect(393, 69, 4, 442));
        QCOMPARE(at(form->RightPanel), QRect(399, 69, 374, 442));
        const QSize leftClient = ui::ClientSize(form->LeftPanel);
        QCOMPARE(form->SourceBox->size(), leftClient - QSize(4, 4));
        QCOMPARE(form->SourceBox->Left(), 2);
        QCOMPARE(form->ResultBox->size(), ui::ClientSize(form->RightPanel) - QSize(4, 4));

        form->MainWindow->SetClientSize(1000, 700);
        QCOMPARE(at(form->TopPanel), QRect(2, 2, 996, 65));
        QCOMPARE(at(form->LeftPanel), QRect(2, 69, 389, 629));
        QCOMPARE(at(form->RightPanel), QRect(399, 69, 599, 629));
        QCOMPARE(form->OpenButton->Left(), 6);  // tool-strip controls keep their places
        form->MainWindow->SetClientSize(300, 60);
        QCOMPARE(form->RightPanel->width(), 0);
        QCOMPARE(form->LeftPanel->height(), 0);
    }

    void splitterDragChangesTheLeftPane() {
        form->MainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->MainWindow));
        QCOMPARE(form->PaneSplitter->cursor().shape(), Qt::SizeHorCursor);
        const auto drag = [&](int dx) {
            const QPoint start(2, 100);
            QTest::mousePress(form->PaneSplitter, Qt::LeftButton, {}, start);
            QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(dx, 0)),
                             form->PaneSplitter->mapToGlobal(QPointF(start + QPoint(dx, 0))),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form->PaneSplitter, &move);
            QTest::mouseRelease(form->PaneSplitter, Qt::LeftButton, {}, start + QPoint(dx, 0));
        };
        drag(-100);
        QCOMPARE(form->LeftPanel->width(), 289);
        QCOMPARE(form->PaneSplitter->x(), 293);
        QCOMPARE(form->RightPanel->width(), 474);
        drag(-1000);
        QCOMPARE(form->LeftPanel->width(), 0);
        drag(5000);
        QCOMPARE(form->RightPanel->width(), 0);
        QVERIFY(form->PaneSplitter->geometry().right() < form->MainWindow->width());
    }

    void homeLinkLooksLikeALink() {
        const QFont font = form->HomeLink->font();
        QCOMPARE(font.family(), QString("MS Sans Serif"));
        QVERIFY(font.underline());
        QVERIFY(!font.bold());
        QCOMPARE(form->HomeLink->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(form->HomeLink->cursor().shape(), Qt::PointingHandCursor);
    }

    void accessibleNames() {
        QCOMPARE(form->SourceBox->accessibleName(), QString("Original picture"));
        QCOMPARE(form->ResultBox->accessibleName(), QString("Shrunk picture"));
    }

    void typedTextSelectsOnlyAMatchingEntry() {
        QLineEdit* edit = form->PercentCombo->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, "45%");
        QCOMPARE(form->PercentCombo->SelectedIndex(), -1);
        QCOMPARE(form->ShrinkPercent(), 0);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(form->PercentCombo->count(), 10);  // typed text never becomes an entry
        edit->selectAll();
        QTest::keyClicks(edit, "50%");
        QCOMPARE(form->PercentCombo->SelectedIndex(), 4);
        QCOMPARE(form->ShrinkPercent(), 50);
    }

    void theSevenEventsAreConnected() {
        QVERIFY(form->OpenButton->OnClick);
        QVERIFY(form->ShrinkButton->OnClick);
        QVERIFY(form->SaveButton->OnClick);
        QVERIFY(form->MailButton->OnClick);
        QVERIFY(form->HomeLink->OnClick);
        QVERIFY(form->SourceBox->OnPaint);
        QVERIFY(form->ResultBox->OnPaint);
        QVERIFY(!form->SourceSizeLabel->OnClick);
        QVERIFY(!form->ResultSizeLabel->OnClick);
        QVERIFY(!form->PercentLabel->OnClick);
        // A click on "Open ..." runs OpenPicture, which runs the open dialog.
        modal->Cancel();
        QTest::mouseClick(form->OpenButton, Qt::LeftButton);
        QCOMPARE(modal->shownKinds.size(), size_t{1});
        QCOMPARE(modal->shownKinds[0], ui::FileDialog::Kind::Open);
        // Shrink, Save and Send by e-mail do nothing before a picture is open.
        QTest::mouseClick(form->ShrinkButton, Qt::LeftButton);
        QTest::mouseClick(form->SaveButton, Qt::LeftButton);
        QTest::mouseClick(form->MailButton, Qt::LeftButton);
        QCOMPARE(modal->shownKinds.size(), size_t{1});
        QVERIFY(modal->messages.empty());
        QVERIFY(!form->ResultImage);

        // With a picture open, each button runs its own command.
        fixtures::TempDir dir;
        const std::string photo = dir.File("p.jpg");
        QVERIFY(fixtures::WriteFile(photo, fixtures::Encode(fixtures::PhotoLike(100, 80))));
        modal->Choose(photo);
        QTest::mouseClick(form->OpenButton, Qt::LeftButton);
        QVERIFY(form->Loaded);
        QTest::mouseClick(form->ShrinkButton, Qt::LeftButton);
        QVERIFY(form->Shrunk);
        modal->Cancel();
        QTest::mouseClick(form->SaveButton, Qt::LeftButton);
        QCOMPARE(modal->shownKinds.back(), ui::FileDialog::Kind::Save);
        int sends = 0;
        platform::SetSendMailCallForTesting(
            [&](uintptr_t, uintptr_t, const platform::MapiMessage*, uint32_t, uint32_t) {
                ++sends;
                return uint32_t{0};
            });
        setenv("TMPDIR", dir.Path().c_str(), 1);
        QTest::mouseClick(form->MailButton, Qt::LeftButton);
        unsetenv("TMPDIR");
        platform::SetSendMailCallForTesting({});
        QCOMPARE(sends, 1);
    }

    void homeLinkStartsTheOpenerWithTheAddress() {
        fixtures::StandInPath path;
        path.Add("xdg-open");
        form->MainWindow->show();
        QTest::mouseClick(form->HomeLink, Qt::LeftButton);
        QVERIFY(path.WaitForCall("xdg-open"));
        QCOMPARE(path.Arguments("xdg-open"), std::vector<std::string>{kHomePageAddress});
        QVERIFY(modal->messages.empty());
    }

    void aMissingOpenerShowsNothing() {
        fixtures::StandInPath empty;
        form->MainWindow->show();
        QTest::mouseClick(form->HomeLink, Qt::LeftButton);
        QTest::mouseClick(form->HomeLink, Qt::LeftButton);
        QVERIFY(modal->messages.empty());
    }

    void closingTheWindowEndsTheMessageLoop() {
        QTimer::singleShot(100, form->MainWindow, [this] { form->MainWindow->close(); });
        ui::RunMessageLoop(*form->MainWindow);
        QVERIFY(!form->MainWindow->isVisible());
        QCOMPARE(TheMainForm, form);  // the window is destroyed only afterwards
    }

    void destroyingTheWindowReleasesInReverseOrder() {
        std::vector<std::string> released;
        form->MainWindow->OnReleased = [&](const std::string& name) { released.push_back(name); };
        delete form->MainWindow;
        QCOMPARE(released, (std::vector<std::string>{"SaveDialog", "OpenDialog", "MainForm"}));
        QCOMPARE(TheMainForm, static_cast<MainForm*>(nullptr));
        form = BuildMainForm(nullptr);  // for cleanup()
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
