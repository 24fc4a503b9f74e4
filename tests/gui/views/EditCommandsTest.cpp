// The Edit commands on the real window: undo and redo of every kind of step with the saved
// state, channels copied, cut, pasted, deleted, inserted and moved as rows, the status message
// of an adjusted value, and Enter and Tab in the table's editors.

#include "ViewFixture.h"

#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QUndoStack>

namespace orvik::test {
namespace {

class EditCommandsTest : public ViewTest {
protected:
    QString text(const char* key) const { return app->LangText(key); }
    QAction* command(int id) const { return frame->action(id); }
    QString undoText() const { return command(ids::ID_EDIT_UNDO)->text(); }
    QString undoNaming(const char* stepKey) const {
        return text("IDS_UNDO_STEP").replace("%1", text(stepKey));
    }
    QString status() const { return frame->statusMessageText(); }

    // A file's image shown as opened: nothing to undo, unmodified.
    void Open(const RadioImage& image) {
        Show(image);
        doc->ForgetSteps();
    }
    // Channels 1 to 4 used (band 400-470 MHz), each with its own receive frequency.
    static RadioImage FourChannels() {
        RadioImage image = Image();
        for (int n = 1; n <= 4; ++n) {
            const std::string f = std::to_string(430 + n);
            SetChannel(image, n, f.c_str(), f.c_str());
        }
        return image;
    }
    // Selects channel rows first..last as a click on their numbers does.
    void SelectRows(int first, int last) {
        const QRect r = grid->cellRect(first, 0);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        if (last != first)
            grid->SetSelectedRange(first, 1, last, ChannelColumnCount - 1);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        grid->setFocus();
        QTest::keyClick(grid, key, modifiers);
    }
};

TEST_F(EditCommandsTest, EveryKindOfStepIsUndoneAndRedoneAndTheSavedStateIsKept) {
    Open(FourChannels());
    QAction* undo = command(ids::ID_EDIT_UNDO);
    QAction* redo = command(ids::ID_EDIT_REDO);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undoText(), text("Menu_Edit_Undo"));

    // A committed cell.
    TypeFrequency(1, 1, "445");
    EXPECT_EQ(Cell(1, 1), "445.00000");
    EXPECT_EQ(undoText(), undoNaming("IDS_STEP_CELL"));
    undo->trigger();
    EXPECT_EQ(Cell(1, 1), "431.00000");
    EXPECT_EQ(Cell(1, 3), "431.00000");
    EXPECT_FALSE(doc->IsModified()); // back at the opened state
    redo->trigger();
    EXPECT_EQ(Cell(1, 1), "445.00000");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(command(ids::ID_EDIT_REDO)->text(), text("Menu_Edit_Redo"));
    Key(Qt::Key_Z, Qt::ControlModifier); // the keys in the table
    EXPECT_EQ(Cell(1, 1), "431.00000");
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Cell(1, 1), "445.00000");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Cell(1, 1), "431.00000");
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Cell(1, 1), "445.00000");
    undo->trigger();

    // A setting of the panel.
    auto* beep = qobject_cast<QCheckBox*>(view->control(ids::IDC_BEEP));
    const int beepBefore = doc->image().beep();
    beep->click();
    EXPECT_EQ(undoText(), undoNaming("IDS_STEP_SETTING"));
    undo->trigger();
    EXPECT_EQ(doc->image().beep(), beepBefore);
    EXPECT_EQ(beep->isChecked(), beepBefore == 1);

    // A band change with all it clears.
    auto* band = qobject_cast<QComboBox*>(view->control(ids::IDC_BAND_LIST));
    answers.push_back(MsgOk);
    band->setCurrentIndex(3);
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_EQ(undoText(), undoNaming("IDS_STEP_BAND"));
    undo->trigger();
    EXPECT_EQ(band->currentIndex(), 2);
    EXPECT_EQ(Cell(2, 1), "432.00000");
    EXPECT_EQ(doc->limits().low, 40000000);
    EXPECT_FALSE(doc->IsModified());

    // Saving moves the saved state; undoing back to it clears the modified flag.
    TypeFrequency(3, 1, "440");
    const QString file = dir.filePath("saved.735");
    ASSERT_TRUE(doc->DoSave(file).ok);
    EXPECT_FALSE(doc->IsModified());
    TypeFrequency(3, 1, "441");
    EXPECT_TRUE(doc->IsModified());
    undo->trigger();
    EXPECT_FALSE(doc->IsModified());
    undo->trigger();
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(Cell(3, 1), "433.00000");
    redo->trigger();

    // File New resets as one step: undone, the channels come back and are unsaved.
    answers.push_back(MsgOk); // the clear question
    frame->OnFileNew();
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(undoText(), undoNaming("IDS_STEP_NEW"));
    undo->trigger();
    EXPECT_EQ(Cell(3, 1), "440.00000");
    EXPECT_TRUE(doc->IsModified());

    // Opening a file starts afresh.
    answers.push_back(MsgNo); // do not save the changes
    ASSERT_TRUE(frame->OpenDocumentFile(file));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(Cell(3, 1), "440.00000");
}

TEST_F(EditCommandsTest, ChannelsAreCopiedCutPastedDeletedInsertedAndMovedAsRows) {
    Open(FourChannels());
    QClipboard* clipboard = QGuiApplication::clipboard();

    // Copy of a selected row: tab-separated with the header line.
    SelectRows(2, 2);
    EXPECT_EQ(view->selectedChannels(), std::vector<int>{2});
    Key(Qt::Key_Insert, Qt::ControlModifier);
    const QStringList lines = clipboard->text().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << clipboard->text().toStdString();
    EXPECT_TRUE(lines[0].startsWith("Location\tName\tFrequency\t"));
    EXPECT_TRUE(lines[1].contains("\t432.000000\t")) << lines[1].toStdString();

    // Paste from the focus channel down, through the commit rules, as one step.
    SelectRows(6, 6);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(6, 1), "432.00000");
    EXPECT_EQ(Cell(6, 3), "432.00000");
    EXPECT_EQ(Cell(7, 1), "");
    EXPECT_EQ(undoText(), undoNaming("IDS_STEP_PASTE"));

    // Cut of two rows: on the clipboard and cleared.
    SelectRows(3, 4);
    command(ids::ID_EDIT_CUT)->trigger();
    EXPECT_EQ(clipboard->text().count("\r\n"), 3);
    EXPECT_EQ(Cell(3, 1), "");
    EXPECT_EQ(Cell(4, 1), "");
    EXPECT_TRUE(ReadOnly(3, 2));
    command(ids::ID_EDIT_UNDO)->trigger();
    EXPECT_EQ(Cell(4, 1), "434.00000");

    // Delete on one cell clears it as typing an empty value would.
    Click(1, 3);
    Key(Qt::Key_Escape);
    EXPECT_TRUE(view->selectedChannels().empty());
    Key(Qt::Key_Delete);
    EXPECT_EQ(Cell(1, 3), "");
    EXPECT_EQ(Cell(1, 1), "431.00000");
    EXPECT_TRUE(ReadOnly(1, 4));
    // On a selected row it clears the channel.
    SelectRows(2, 2);
    command(ids::ID_EDIT_CLEAR)->trigger();
    EXPECT_EQ(Cell(2, 1), "");

    // Insert an empty channel: the rows below move down.
    SelectRows(3, 3);
    command(ids::ID_EDIT_INSERT_CHANNEL)->trigger();
    EXPECT_EQ(Cell(3, 1), "");
    EXPECT_EQ(Cell(4, 1), "433.00000");
    EXPECT_EQ(Cell(5, 1), "434.00000");
    EXPECT_TRUE(messages.empty());
    // With channel 16 in use it asks first; Cancel changes nothing.
    RadioImage full = doc->image();
    SetChannel(full, 16, "450", "450");
    Open(full);
    SelectRows(1, 1);
    answers.push_back(MsgCancel);
    command(ids::ID_EDIT_INSERT_CHANNEL)->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text("IDS_CONFIRM_INSERT"));
    EXPECT_EQ(Cell(1, 1), "431.00000");
    EXPECT_FALSE(doc->IsModified());

    // Move up and down, the selection going with the channels.
    SelectRows(4, 5);
    command(ids::ID_EDIT_MOVE_UP)->trigger();
    EXPECT_EQ(Cell(3, 1), "433.00000");
    EXPECT_EQ(Cell(4, 1), "434.00000");
    EXPECT_EQ(Cell(5, 1), "");
    EXPECT_EQ(view->selectedChannels(), (std::vector<int>{3, 4}));
    command(ids::ID_EDIT_MOVE_DOWN)->trigger();
    command(ids::ID_EDIT_MOVE_DOWN)->trigger();
    EXPECT_EQ(Cell(5, 1), "433.00000");
    EXPECT_EQ(Cell(6, 1), "434.00000");
    EXPECT_EQ(Cell(4, 1), "");
    EXPECT_EQ(Cell(1, 1), "431.00000");
    EXPECT_EQ(undoText(), undoNaming("IDS_STEP_MOVE"));
}

TEST_F(EditCommandsTest, AdjustedValuesAreReportedInTheStatusBarOnce) {
    Open(FourChannels()); // 400-470 MHz

    // A typed value clamped to the band: the reason, and the cell flashes.
    TypeFrequency(5, 1, "145.5");
    EXPECT_EQ(Cell(5, 1), "400.00000");
    EXPECT_EQ(status(), "145.5 is below the band 400-470 MHz: stored 400.00000");
    EXPECT_NE(grid->GetItemBkColour(5, 1), kGridDefaultColour);
    QTest::qWait(1400);
    EXPECT_EQ(grid->GetItemBkColour(5, 1), kGridDefaultColour);
    // A decimal comma typed is a point.
    TypeFrequency(6, 1, "445,125");
    EXPECT_EQ(Cell(6, 1), "445.12500");

    // A pasted block that needs adjusting: stored through the rules, reported once.
    QGuiApplication::clipboard()->setText("Location\tFrequency\tDuplex\tTone\trToneFreq\n"
                                          "1\t145.500000\t\t\t88.5\n"
                                          "2\t440.000000\t\tTone\t101.3\n"
                                          "3\t441.000000\t\t\t88.5\n");
    SelectRows(10, 10);
    command(ids::ID_EDIT_PASTE)->trigger();
    EXPECT_EQ(Cell(10, 1), "400.00000");
    EXPECT_EQ(Cell(11, 1), "440.00000");
    EXPECT_EQ(Cell(11, 4), "Off");
    EXPECT_EQ(Cell(12, 1), "441.00000");
    EXPECT_TRUE(status().endsWith("(and 1 more)")) << status().toStdString();
    EXPECT_TRUE(status().contains("145.500000")) << status().toStdString();
    // Undone as one step.
    command(ids::ID_EDIT_UNDO)->trigger();
    EXPECT_EQ(Cell(10, 1), "");
    EXPECT_EQ(Cell(12, 1), "");

    // Text that holds no channels changes nothing and says so.
    QGuiApplication::clipboard()->setText("hello\tworld\n1\t2\n");
    command(ids::ID_EDIT_PASTE)->trigger();
    EXPECT_EQ(status(), text("IDS_PASTE_NOTHING"));
    EXPECT_EQ(Cell(10, 1), "");
}

TEST_F(EditCommandsTest, EnterMovesDownAndTabToTheNextEditableColumn) {
    Open(FourChannels());
    TypeFrequency(1, 1, "435", Qt::Key_Return);
    EXPECT_EQ(grid->GetFocusCell().row, 2);
    EXPECT_EQ(grid->GetFocusCell().col, 1);
    EXPECT_EQ(QApplication::focusWidget(), grid);

    // Tab from the receive frequency to its tone, on to the transmit frequency.
    TypeFrequency(2, 1, "436", Qt::Key_Tab);
    EXPECT_EQ(grid->GetFocusCell().row, 2);
    EXPECT_EQ(grid->GetFocusCell().col, 2);
    // An empty channel: only its receive frequency can be edited, so Tab goes to the next row.
    TypeFrequency(5, 1, "", Qt::Key_Tab);
    EXPECT_EQ(grid->GetFocusCell().row, 6);
    EXPECT_EQ(grid->GetFocusCell().col, 1);
    // Shift+Tab goes back to the last editable cell of the row before.
    TypeFrequency(5, 1, "", Qt::Key_Backtab);
    EXPECT_EQ(grid->GetFocusCell().row, 4);
    EXPECT_EQ(grid->GetFocusCell().col, 9);

    // A list editor too: Enter moves down.
    ASSERT_EQ(Click(3, 6), view->optionEditor());
    QTest::keyClick(view->optionEditor(), Qt::Key_Return);
    EXPECT_EQ(grid->GetFocusCell().row, 4);
    EXPECT_EQ(grid->GetFocusCell().col, 6);
}

} // namespace
} // namespace orvik::test
