// The table's commands on several channels on the real window: select all, Edit Selected
// Channels, sort, fill, find, the shortcuts the menus show, View > All Settings and the status
// bar's messages after a paste, a save and an export.

#include "ViewFixture.h"

#include "core/lang/LangKeys.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/views/ChannelDialogs.h"
#include "gui/views/DtmfEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QUndoStack>

#include <functional>

namespace orvik::test {
namespace {

class TableCommandsTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        SetFileDialogHook([this](const FileDialogRequest&) {
            if (fileAnswers.empty())
                return QString();
            const QString name = fileAnswers.front();
            fileAnswers.pop_front();
            return name;
        });
    }
    void TearDown() override {
        SetFileDialogHook({});
        ViewTest::TearDown();
    }
    std::deque<QString> fileAnswers;

    QString text(const char* key) const { return app->LangText(key); }
    QAction* command(int id) const { return frame->action(id); }
    QString status() const { return frame->statusMessageText(); }

    void Open(const RadioImage& image) {
        Show(image);
        doc->ForgetSteps();
    }
    // Channels 1..n used, channel k at 430 + k MHz.
    static RadioImage Channels(int count) {
        RadioImage image = Image();
        for (int n = 1; n <= count; ++n) {
            const std::string f = std::to_string(430 + n);
            SetChannel(image, n, f.c_str(), f.c_str());
        }
        return image;
    }
    void SelectRows(int first, int last) {
        grid->setFocus();
        grid->SetFocusCell(first, 1);
        grid->SetSelectedRange(first, 1, last, ChannelColumnCount - 1);
    }
    // Runs `command` (which opens a modal dialog of type D) and lets `fill` act on the dialog
    // before it is accepted.
    template <typename D> void WithDialog(QAction* command, const std::function<void(D&)>& fill) {
        bool seen = false;
        QTimer::singleShot(0, frame.get(), [&] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            seen = true;
            fill(*dialog);
        });
        command->trigger();
        EXPECT_TRUE(seen);
    }
    std::string rxTone(int n) const { return ToneToText(doc->image().rxTone(n), "OFF"); }
};

TEST_F(TableCommandsTest, SelectAllSelectsEveryChannelRow) {
    Open(Channels(3));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    std::vector<int> all;
    for (int n = 1; n <= ChannelCount; ++n)
        all.push_back(n);
    EXPECT_EQ(view->selectedChannels(), all);
}

TEST_F(TableCommandsTest, EditSelectedChannelsChangesTheTickedFieldsAsOneStep) {
    Open(Channels(4));
    SelectRows(2, 3);
    WithDialog<CEditChannelsDlg>(command(ids::ID_EDIT_EDIT_CHANNELS), [](CEditChannelsDlg& d) {
        // The lists show the first channel's values; nothing is ticked yet.
        EXPECT_EQ(d.value(ColHighPower)->currentIndex(), 1);
        EXPECT_FALSE(d.tick(ColHighPower)->isChecked());
        d.value(ColRxTone)->setCurrentText("88.5");
        d.tick(ColRxTone)->setChecked(true);
        d.value(ColHighPower)->setCurrentIndex(0);
        d.tick(ColHighPower)->setChecked(true);
        d.value(ColNarrow)->setCurrentIndex(1); // not ticked: left alone
        d.accept();
    });
    EXPECT_EQ(rxTone(2), "88.5");
    EXPECT_EQ(rxTone(3), "88.5");
    EXPECT_EQ(rxTone(1), "OFF");
    EXPECT_EQ(doc->image().highPower(2), 0);
    EXPECT_EQ(doc->image().narrow(2), 0);
    EXPECT_EQ(Cell(3, 2), "88.5");
    EXPECT_EQ(Cell(3, 7), text("IDS_LOW"));
    EXPECT_EQ(status(), text("IDS_CHANNELS_CHANGED").replace("%1", "2"));
    EXPECT_EQ(doc->UndoStepKey(), std::string(lang::IDS_STEP_EDIT_CHANNELS));
    command(ids::ID_EDIT_UNDO)->trigger();
    EXPECT_EQ(rxTone(2), "OFF");
    EXPECT_EQ(doc->image().highPower(3), 1);
    EXPECT_EQ(Cell(3, 7), text("IDS_HIGH"));

    // An adjusted value is reported; an empty selection says what is needed.
    SelectRows(4, 4);
    WithDialog<CEditChannelsDlg>(command(ids::ID_EDIT_EDIT_CHANNELS), [](CEditChannelsDlg& d) {
        d.value(ColTxTone)->setCurrentText("nonsense");
        d.tick(ColTxTone)->setChecked(true);
        d.accept();
    });
    EXPECT_TRUE(status().contains("nonsense")) << status().toStdString();
    SelectRows(9, 10);
    command(ids::ID_EDIT_EDIT_CHANNELS)->trigger();
    EXPECT_EQ(status(), text("IDS_EDIT_CHANNELS_NONE"));
}

TEST_F(TableCommandsTest, SortAndFillAreOneStepEach) {
    RadioImage image = Channels(0);
    SetChannel(image, 1, "445", "445");
    SetChannel(image, 3, "435", "435");
    SetChannel(image, 4, "440", "440");
    Open(image);
    command(ids::ID_EDIT_SORT_RX)->trigger();
    EXPECT_EQ(Cell(1, 1), "435.00000");
    EXPECT_EQ(Cell(2, 1), "440.00000");
    EXPECT_EQ(Cell(3, 1), "445.00000");
    EXPECT_EQ(Cell(4, 1), "");
    EXPECT_EQ(doc->UndoStepKey(), std::string(lang::IDS_STEP_SORT));
    command(ids::ID_EDIT_UNDO)->trigger();
    EXPECT_EQ(Cell(1, 1), "445.00000");
    EXPECT_EQ(Cell(2, 1), "");

    SelectRows(5, 7);
    WithDialog<CFillDlg>(command(ids::ID_EDIT_FILL), [](CFillDlg& d) {
        d.startEdit()->setText("446.00625");
        d.stepList()->setCurrentText("12.5");
        d.offsetTick()->setChecked(true);
        d.offsetEdit()->setText("-5");
        d.accept();
    });
    EXPECT_EQ(Cell(5, 1), "446.00625");
    EXPECT_EQ(Cell(6, 1), "446.01875");
    EXPECT_EQ(Cell(7, 1), "446.03125");
    EXPECT_EQ(Cell(7, 3), "441.03125");
    EXPECT_EQ(doc->UndoStepKey(), std::string(lang::IDS_STEP_FILL));
    command(ids::ID_EDIT_UNDO)->trigger();
    EXPECT_EQ(Cell(5, 1), "");
    EXPECT_EQ(Cell(7, 1), "");

    // A step that is no number keeps the dialog open with a message.
    SelectRows(5, 5);
    WithDialog<CFillDlg>(command(ids::ID_EDIT_FILL), [this](CFillDlg& d) {
        d.stepList()->setCurrentText("fast");
        answers = {MsgOk};
        d.accept();
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, text("IDS_FILL_BAD"));
    EXPECT_EQ(Cell(5, 1), "");
}

TEST_F(TableCommandsTest, FindGoesToTheCellAndF3ToTheNextOne) {
    RadioImage image = Channels(0);
    SetChannel(image, 2, "446.1", "446.1");
    SetChannel(image, 6, "446.1", "440");
    Open(image);
    grid->setFocus();
    grid->SetFocusCell(1, 1);
    QTimer::singleShot(0, frame.get(), [] {
        if (auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            d->setTextValue("446.1");
            d->accept();
        }
    });
    QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(grid->GetFocusCell().row, 2);
    EXPECT_EQ(grid->GetFocusCell().col, 1);
    frame->activateWindow(); // the closed dialog leaves no active window offscreen
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(grid, Qt::Key_F3);
    EXPECT_EQ(grid->GetFocusCell().row, 2);
    EXPECT_EQ(grid->GetFocusCell().col, 3);
    QTest::keyClick(grid, Qt::Key_F3);
    EXPECT_EQ(grid->GetFocusCell().row, 6);
    EXPECT_EQ(grid->GetFocusCell().col, 1);
    QTest::keyClick(grid, Qt::Key_F3); // wraps
    EXPECT_EQ(grid->GetFocusCell().row, 2);

    QTimer::singleShot(0, frame.get(), [] {
        if (auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            d->setTextValue("D754I");
            d->accept();
        }
    });
    command(ids::ID_EDIT_FIND)->trigger();
    EXPECT_EQ(status(), text("IDS_FIND_NOT_FOUND").replace("%1", "D754I"));
    EXPECT_EQ(grid->GetFocusCell().row, 2);
}

TEST_F(TableCommandsTest, RowCommandsHaveShortcutsTheMenusShow) {
    Open(Channels(3));
    for (int id : {ids::ID_EDIT_INSERT_CHANNEL, ids::ID_EDIT_MOVE_UP, ids::ID_EDIT_MOVE_DOWN,
                   ids::ID_EDIT_SELECT_ALL, ids::ID_EDIT_FIND, ids::ID_EDIT_FIND_NEXT})
        EXPECT_FALSE(command(id)->shortcut().isEmpty()) << id;
    // Alt+Down moves the channel with the focus even while the table has the keyboard focus.
    SelectRows(1, 1);
    QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Cell(2, 1), "431.00000");
    EXPECT_EQ(Cell(1, 1), "432.00000");
    QTest::keyClick(grid, Qt::Key_Insert, Qt::AltModifier);
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_EQ(Cell(3, 1), "431.00000");
}

TEST_F(TableCommandsTest, AllSettingsShowsTheHiddenSettingsWithTheirEditorsAndIsRemembered) {
    using namespace ids;
    QAction* all = command(ID_VIEW_ALL_SETTINGS);
    ASSERT_TRUE(all->isCheckable());
    EXPECT_FALSE(all->isChecked());
    EXPECT_FALSE(view->control(IDC_DTMF_EDIT)->isVisible());
    all->trigger();
    for (int id : {IDC_SIDEKEY2_LABEL, IDC_SIDEKEY2_LIST, IDC_FMFREQ_LABEL, IDC_FMFREQ_LIST,
                   IDC_DTMF_LABEL, IDC_DTMF_EDIT}) {
        QWidget* w = view->control(id);
        EXPECT_TRUE(w->isVisible() && w->isEnabled()) << id;
        // Above the table, inside the form, over no other control.
        EXPECT_LT(w->geometry().bottom(), grid->QWidget::geometry().top()) << id;
        EXPECT_LE(w->geometry().right(), view->form()->width()) << id;
        for (QWidget* other : view->form()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != w && other->isVisible() && !other->inherits("QGroupBox")) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << id << " overlaps " << ControlId(other);
            }
    }
    auto* sideKey2 = qobject_cast<QComboBox*>(view->control(IDC_SIDEKEY2_LIST));
    sideKey2->setCurrentIndex(1);
    EXPECT_EQ(doc->image().sideKey2(), 1);
    auto* dtmf = view->dtmfEditor();
    dtmf->setFocus();
    dtmf->setText("123");
    grid->setFocus();
    EXPECT_EQ(DtmfToText(doc->image().dtmfDigits()), "123");

    // Remembered for the next start.
    frame.reset();
    frame = std::make_unique<CMainFrame>(*app);
    ASSERT_TRUE(frame->Start());
    EXPECT_TRUE(frame->action(ID_VIEW_ALL_SETTINGS)->isChecked());
    EXPECT_TRUE(frame->view()->control(IDC_DTMF_EDIT)->isVisible());
    frame->action(ID_VIEW_ALL_SETTINGS)->trigger();
    EXPECT_FALSE(frame->view()->control(IDC_DTMF_EDIT)->isVisible());
}

TEST_F(TableCommandsTest, TheStatusBarSaysWhatAPasteASaveAndAnExportDid) {
    Open(Channels(3));
    SelectRows(1, 3);
    command(ids::ID_EDIT_COPY)->trigger();
    SelectRows(5, 5);
    command(ids::ID_EDIT_PASTE)->trigger();
    EXPECT_EQ(status(), text("IDS_STATUS_PASTED").replace("%1", "3"));

    const QString file = dir.filePath("fleet.735");
    fileAnswers = {file};
    ASSERT_TRUE(frame->OnFileSaveAs());
    EXPECT_EQ(status(), text("IDS_STATUS_SAVED").replace("%1", "fleet.735"));

    fileAnswers = {dir.filePath("fleet.csv")};
    frame->OnFileExportChannels();
    EXPECT_EQ(status(), FillText(text("IDS_STATUS_EXPORTED"), {"6", "fleet.csv"}));
}

} // namespace
} // namespace orvik::test
