// The channel table driven through the real grid and in-place editors: clicks on cells, keys
// typed into the editors, focus moves that commit.

#include "ViewFixture.h"

#include "gui/lang/CLanguageDlg.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/link/CPortDlg.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

namespace orvik::test {
namespace {

using ChannelTableTest = ViewTest;

TEST_F(ChannelTableTest, ReceiveFrequencyTypedIntoEmptyChannelCreatesIt) {
    Show(Image(3)); // band 0xF8, 136 to 174 MHz
    ASSERT_EQ(doc->image().bandCode(), 0xF8);
    for (int c = 2; c <= 9; ++c)
        EXPECT_TRUE(ReadOnly(5, c)) << c;

    TypeFrequency(5, 1, "145.5");

    const RadioImage& image = doc->image();
    EXPECT_EQ(FreqToText(image.rxFreq(5)), "145.50000");
    EXPECT_EQ(FreqToText(image.txFreq(5)), "145.50000");
    EXPECT_TRUE(doc->IsModified());
    const QStringList shown{"145.50000", "Off",  "145.50000", "Off", "Yes",
                            "Wide",      "High", "No",        "No"};
    for (int c = 1; c <= 9; ++c) {
        EXPECT_EQ(Cell(5, c), shown[c - 1]) << c;
        EXPECT_FALSE(ReadOnly(5, c)) << c;
        EXPECT_EQ(grid->GetItemTextColour(5, c), kGridDefaultColour) << c;
    }
    EXPECT_FALSE(grid->editorActive);
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

TEST_F(ChannelTableTest, FrequencyOutsideTheBandIsClampedToItsLimit) {
    struct Case {
        const char* typed;
        const char* stored;
    };
    for (const Case& c : {Case{"600", "470.00000"}, Case{"100", "400.00000"},
                          Case{"470", "470.00000"}, Case{"400.00001", "400.00000"}}) {
        Show(Image(2)); // band 0xF4, 400 to 470 MHz
        TypeFrequency(1, 1, c.typed);
        EXPECT_EQ(FreqToText(doc->image().rxFreq(1)), c.stored) << c.typed;
        EXPECT_EQ(Cell(1, 1), c.stored) << c.typed;
        EXPECT_TRUE(doc->IsModified()) << c.typed;
    }
}

TEST_F(ChannelTableTest, TransmitFrequencyFollowsOnlyWhenBothWereEqual) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    SetChannel(image, 2, "435", "440");
    Show(image);

    TypeFrequency(1, 1, "436");
    TypeFrequency(2, 1, "436");
    TypeFrequency(1, 3, "450");

    EXPECT_EQ(FreqToText(doc->image().rxFreq(1)), "436.00000");
    EXPECT_EQ(FreqToText(doc->image().txFreq(1)), "450.00000"); // followed, then edited
    EXPECT_EQ(FreqToText(doc->image().rxFreq(2)), "436.00000");
    EXPECT_EQ(FreqToText(doc->image().txFreq(2)), "440.00000");
    EXPECT_EQ(Cell(1, 1), "436.00000");
    EXPECT_EQ(Cell(1, 3), "450.00000");
    EXPECT_EQ(Cell(2, 3), "440.00000");
}

TEST_F(ChannelTableTest, ClearingTheTransmitFrequencyBlanksItsTone) {
    RadioImage image = Image();
    SetChannel(image, 3, "435", "440");
    image.setTxTone(3, TextToTone("67.0"));
    Show(image);
    EXPECT_EQ(Cell(3, 4), "67.0");

    TypeFrequency(3, 3, "\b");
    EXPECT_EQ(doc->image().txFreq(3), EmptyFreq);
    EXPECT_EQ(doc->image().txTone(3), ToneOff);
    EXPECT_EQ(Cell(3, 3), "");
    EXPECT_EQ(Cell(3, 4), "");
    EXPECT_TRUE(ReadOnly(3, 4));
    EXPECT_EQ(grid->GetItemTextColour(3, 4), CGridCtrl::SystemGreyTextColour());
    EXPECT_FALSE(ReadOnly(3, 3));
    EXPECT_EQ(Click(3, 4), grid); // read-only: no editor

    TypeFrequency(3, 3, "441");
    EXPECT_FALSE(ReadOnly(3, 4));
    EXPECT_EQ(Cell(3, 4), "Off");
    EXPECT_EQ(FreqToText(doc->image().rxFreq(3)), "435.00000");
}

TEST_F(ChannelTableTest, ClearingTheReceiveFrequencyWipesTheChannel) {
    RadioImage image = Image();
    SetChannel(image, 4, "435", "440");
    image.setRxTone(4, TextToTone("D023N"));
    image.setTxTone(4, TextToTone("100.0"));
    image.setChannelFlags(4, 0xF4); // bits 5-7 set, every option flipped
    Show(image);

    TypeFrequency(4, 1, "\b");
    const RadioImage& after = doc->image();
    EXPECT_TRUE(after.isRxEmpty(4));
    EXPECT_EQ(after.txFreq(4), EmptyFreq);
    EXPECT_EQ(after.rxTone(4), ToneOff);
    EXPECT_EQ(after.txTone(4), ToneOff);
    EXPECT_EQ(after.channelFlags(4), 0xEB);
    for (int c = 1; c <= 9; ++c) {
        EXPECT_EQ(Cell(4, c), "") << c;
        EXPECT_EQ(ReadOnly(4, c), c != 1) << c;
    }
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(ChannelTableTest, CommitMarksModifiedOnlyWhenTheTextChanged) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    image[RadioImage::channelOffset(2)] = 0x00; // 435.00300: off the channel raster
    image[RadioImage::channelOffset(2) + 1] = 0x03;
    image[RadioImage::channelOffset(2) + 2] = 0x50;
    image[RadioImage::channelOffset(2) + 3] = 0x43;
    image.setChannelFlags(7, 0x00);
    Show(image);

    // Enter on the selected, unchanged text: stored again, not modified.
    TypeFrequency(1, 1, "");
    EXPECT_FALSE(doc->IsModified());
    // Rounded to the raster without marking the document modified.
    TypeFrequency(2, 1, "");
    EXPECT_EQ(Cell(2, 1), "435.00500");
    EXPECT_FALSE(doc->IsModified());
    // An empty channel left unchanged gets its default flags, still unmodified.
    TypeFrequency(7, 1, "");
    EXPECT_EQ(doc->image().channelFlags(7), 0x0B);
    EXPECT_FALSE(doc->IsModified());

    // The same frequency written differently counts as a change.
    TypeFrequency(1, 1, "435");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(FreqToText(doc->image().rxFreq(1)), "435.00000");
}

TEST_F(ChannelTableTest, FrequencyEditTakesOnlyDigitsAndOnePoint) {
    RadioImage image = Image();
    SetChannel(image, 1, "435.125", "435.125");
    Show(image);
    FreqEdit* edit = view->freqEditor();
    ASSERT_EQ(Click(1, 1), edit);
    ASSERT_EQ(edit->selectedText(), "435.12500");
    // The "." would replace the selected text, but the text already holds one.
    QTest::keyClick(edit, Qt::Key_Period);
    EXPECT_EQ(edit->text(), "435.12500");
    QTest::keyClicks(edit, "4x4-5 ,");
    EXPECT_EQ(edit->text(), "445."); // a decimal comma is typed as the point it means
    QTest::keyClicks(edit, ".5.5");
    EXPECT_EQ(edit->text(), "445.55");
    QTest::keyClicks(edit, "123456789");
    EXPECT_EQ(edit->text(), "445.55123"); // nine characters at most
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "445.5512");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(FreqToText(doc->image().rxFreq(1)), "445.55000");
}

TEST_F(ChannelTableTest, EscapeRestoresTheCellText) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    image.setRxTone(1, TextToTone("67.0"));
    Show(image);

    // Frequency: the typed text is dropped.
    TypeFrequency(1, 1, "440", Qt::Key_Escape);
    EXPECT_EQ(FreqToText(doc->image().rxFreq(1)), "435.00000");
    EXPECT_EQ(QApplication::focusWidget(), grid);

    // Tone: another entry chosen, then Escape.
    ToneList* tones = view->toneEditor();
    ASSERT_EQ(Click(1, 2), tones);
    EXPECT_EQ(tones->currentText(), "67.0");
    QTest::keyClick(tones, Qt::Key_Down);
    EXPECT_EQ(tones->currentText(), "69.3");
    QTest::keyClick(tones, Qt::Key_Escape);
    EXPECT_FALSE(tones->isVisible());
    EXPECT_EQ(ToneToText(doc->image().rxTone(1), "Off"), "67.0");
    EXPECT_FALSE(doc->IsModified());

    // Option: a value chosen before Escape stays stored.
    OptionList* options = view->optionEditor();
    ASSERT_EQ(Click(1, 6), options);
    EXPECT_EQ(options->currentText(), "Wide");
    QTest::keyClick(options, Qt::Key_Down);
    EXPECT_EQ(doc->image().narrow(1), 1);
    EXPECT_EQ(Cell(1, 6), "Narrow");
    QTest::keyClick(options, Qt::Key_Escape);
    EXPECT_EQ(options->currentText(), "Wide");
    EXPECT_FALSE(options->isVisible());
    EXPECT_FALSE(grid->editorActive);
    EXPECT_EQ(doc->image().narrow(1), 1);
    EXPECT_EQ(Cell(1, 6), "Narrow");
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(ChannelTableTest, OptionChangesAreStoredAtOnce) {
    RadioImage image = Image();
    SetChannel(image, 2, "435", "435");
    image.setChannelFlags(2, 0xEB);
    Show(image);
    struct Case {
        int column;
        const char* before;
        const char* after;
        std::uint8_t flags;
    };
    for (const Case& c :
         {Case{5, "Yes", "No", 0xFB}, Case{6, "Wide", "Narrow", 0xFF}, Case{7, "High", "Low", 0xF7},
          Case{8, "No", "Yes", 0xF6}, Case{9, "No", "Yes", 0xF4}}) {
        OptionList* options = view->optionEditor();
        ASSERT_EQ(Click(2, c.column), options) << c.column;
        EXPECT_TRUE(grid->editorActive);
        EXPECT_EQ(options->count(), 2);
        EXPECT_EQ(options->currentText(), c.before);
        QTest::keyClick(options, options->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
        EXPECT_EQ(Cell(2, c.column), c.after);
        EXPECT_EQ(doc->image().channelFlags(2), c.flags) << c.column;
        QTest::keyClick(options, Qt::Key_Return);
        EXPECT_FALSE(options->isVisible());
    }
}

TEST_F(ChannelTableTest, TransmitToneFollowsOnlyWhenBothWereEqual) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    SetChannel(image, 2, "435", "435");
    image.setRxTone(2, TextToTone("67.0"));
    image.setTxTone(2, TextToTone("D023N"));
    Show(image);
    ToneList* tones = view->toneEditor();
    ASSERT_EQ(tones->count(), 262);

    // Channel 1 (both off): the keyboard search "d" goes to the first DCS code, Down to the next.
    ASSERT_EQ(Click(1, 2), tones);
    QTest::keyClicks(tones, "d");
    EXPECT_EQ(tones->currentText(), "D023N");
    QTest::keyClick(tones, Qt::Key_Down);
    QTest::keyClick(tones, Qt::Key_Return);
    // Channel 2 (67.0 against D023N): the next CTCSS tone.
    ASSERT_EQ(Click(2, 2), tones);
    EXPECT_EQ(tones->currentText(), "67.0");
    QTest::keyClick(tones, Qt::Key_Down);
    QTest::keyClick(tones, Qt::Key_Return);

    EXPECT_EQ(ToneToText(doc->image().rxTone(1), "Off"), "D025N");
    EXPECT_EQ(ToneToText(doc->image().txTone(1), "Off"), "D025N");
    EXPECT_EQ(Cell(1, 4), "D025N");
    EXPECT_EQ(ToneToText(doc->image().rxTone(2), "Off"), "69.3");
    EXPECT_EQ(ToneToText(doc->image().txTone(2), "Off"), "D023N");
    EXPECT_EQ(Cell(2, 2), "69.3");
    EXPECT_EQ(Cell(2, 4), "D023N");
    EXPECT_TRUE(doc->IsModified());

    // The transmit tone alone never changes the receive tone.
    ASSERT_EQ(Click(1, 4), tones);
    tones->setCurrentIndex(0);
    QTest::keyClick(tones, Qt::Key_Return);
    EXPECT_EQ(doc->image().txTone(1), ToneOff);
    EXPECT_EQ(ToneToText(doc->image().rxTone(1), "Off"), "D025N");
    EXPECT_EQ(Cell(1, 4), "Off");
}

TEST_F(ChannelTableTest, ToneTheListDoesNotOfferIsKeptWhenLeft) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    SetChannel(image, 2, "435", "435");
    image.setRxTone(1, TextToTone("100.0"));
    image.setRxTone(2, TextToTone("68.0")); // a valid CTCSS value outside the table
    Show(image);
    ToneList* tones = view->toneEditor();
    ASSERT_EQ(Click(1, 2), tones);
    QTest::keyClick(tones, Qt::Key_Return);
    ASSERT_EQ(Click(2, 2), tones);
    EXPECT_EQ(tones->currentIndex(), -1);
    QTest::keyClick(tones, Qt::Key_Return);
    EXPECT_EQ(ToneToText(doc->image().rxTone(2), "Off"), "68.0");
    EXPECT_EQ(Cell(2, 2), "68.0");
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(ChannelTableTest, AllFFImageShowsEmptyReadOnlyChannels) {
    RadioImage cleared;
    Show(cleared);
    for (int n = 1; n <= ChannelCount; ++n) {
        EXPECT_EQ(Cell(n, 0), QString::number(n));
        for (int c = 1; c <= 9; ++c) {
            EXPECT_EQ(Cell(n, c), "");
            EXPECT_EQ(ReadOnly(n, c), c != 1);
        }
    }
    const QStringList headers{"CH",           "RX Freq (MHz)", "RX CTCSS/DCS", "TX Freq (MHz)",
                              "TX CTCSS/DCS", "Scan Add",      "Bandwidth",    "Power",
                              "BCL",          "Scrambler"};
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(Cell(0, c), headers[c]);
    EXPECT_EQ(grid->rowCount(), 17);
    EXPECT_EQ(grid->columnCount(), 10);
    // The table's column widths, widened where a heading in bold needs more.
    EXPECT_EQ(grid->GetColumnWidth(0), std::max(40, COrvikView::HeadingWidth(*grid, 0)));
    EXPECT_EQ(grid->GetColumnWidth(4), std::max(100, COrvikView::HeadingWidth(*grid, 4)));
    EXPECT_EQ(grid->GetColumnWidth(9), std::max(70, COrvikView::HeadingWidth(*grid, 9)));
    EXPECT_EQ(grid->GetRowHeight(0), 28);
    EXPECT_EQ(grid->GetRowHeight(16), 21);
    EXPECT_TRUE(grid->selectionEnabled); // rows are selected for the Edit commands
}

TEST_F(ChannelTableTest, WholeImageChangeDropsAnOpenEdit) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    Show(image);
    FreqEdit* edit = view->freqEditor();
    ASSERT_EQ(Click(1, 1), edit);
    QTest::keyClicks(edit, "450");

    RadioImage other = Image();
    SetChannel(other, 1, "410", "410");
    Show(other); // e.g. a file dropped on the window
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(grid->editorActive);
    grid->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(FreqToText(doc->image().rxFreq(1)), "410.00000");
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(ChannelTableTest, ClosingTheWindowStoresAnOpenEditBeforeAskingToSave) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    Show(image);
    FreqEdit* edit = view->freqEditor();
    ASSERT_EQ(Click(1, 1), edit);
    QTest::keyClicks(edit, "440");
    answers = {MsgCancel};
    EXPECT_FALSE(frame.get()->close()); // the save question is asked, and cancelled
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(FreqToText(doc->image().rxFreq(1)), "440.00000");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(grid->editorActive);
}

TEST_F(ChannelTableTest, FrequencyEditorKeepsTheEditingKeysWhileWindowCommandsStillWork) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    Show(image);
    ASSERT_EQ(Click(1, 1), view->freqEditor());
    QString seen;
    auto watch = [&seen] {
        QTimer::singleShot(0, [&seen] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen = modal->metaObject()->className();
                static_cast<QDialog*>(modal)->reject();
            }
        });
    };
    // Ctrl+C copies the selected frequency; it is not the port dialog over a text field.
    watch();
    QTest::keyClick(view->freqEditor(), Qt::Key_C, Qt::ControlModifier);
    QTest::qWait(20);
    EXPECT_EQ(seen, "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), view->freqEditor()->text());
    // Ctrl+L is a window command and runs over the editor.
    watch();
    QTest::keyClick(view->freqEditor(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(seen, "orvik::CLanguageDlg");
    EXPECT_EQ(view->freqEditor()->text().indexOf('l'), -1);
}

class HeaderTest : public ViewTest {
    void PrepareData() override {
        ReplaceLine("english.lang", "IDS_ChText0=", "");
        ReplaceLine("english.lang", "IDS_ChText3=", "IDS_ChText3=");
        ReplaceLine("english.lang", "IDS_ChText7=", "");
    }
};

TEST_F(HeaderTest, MissingHeaderRepeatsTheOneToItsLeft) {
    const QStringList headers{
        "",         "RX Freq (MHz)", "RX CTCSS/DCS", "RX CTCSS/DCS", "TX CTCSS/DCS",
        "Scan Add", "Bandwidth",     "Bandwidth",    "BCL",          "Scrambler"};
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(Cell(0, c), headers[c]) << c;
}

// The drop-down editors are used with the mouse as well: a click on the arrow opens the list, a
// click on an entry commits it, a click elsewhere closes the editor.
TEST_F(ChannelTableTest, ToneAndOptionListsArePickedWithTheMouse) {
    RadioImage image = Image();
    SetChannel(image, 1, "435", "435");
    Show(image);
    const int scrolled = view->verticalScrollBar()->value();

    ToneList* tones = view->toneEditor();
    ASSERT_EQ(Click(1, 2), tones);
    QTest::mouseClick(tones, Qt::LeftButton, {}, QPoint(tones->width() - 6, tones->height() / 2));
    QAbstractItemView* list = tones->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 5000));
    EXPECT_TRUE(tones->isVisible());
    EXPECT_EQ(view->verticalScrollBar()->value(), scrolled);
    // Entry 3 ("71.9" after Off, 67.0, 69.3) picked with the mouse. (The list ignores a release
    // that comes within a double-click time of its opening, as a person's click never does.)
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QModelIndex entry = list->model()->index(3, 0);
    list->scrollTo(entry);
    const QRect r = list->visualRect(entry);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(list->viewport()->width() / 2, r.center().y()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 5000));
    EXPECT_EQ(tones->currentText(), "71.9");
    // A click elsewhere (on a channel number) ends the edit and stores the pick.
    Click(5, 0);
    EXPECT_FALSE(tones->isVisible());
    EXPECT_EQ(ToneToText(doc->image().rxTone(1), "Off"), "71.9");
    EXPECT_EQ(Cell(1, 2), "71.9");

    OptionList* options = view->optionEditor();
    ASSERT_EQ(Click(1, 7), options);
    EXPECT_EQ(options->currentText(), "High");
    QTest::mouseClick(options, Qt::LeftButton, {},
                      QPoint(options->width() - 6, options->height() / 2));
    QAbstractItemView* optionView = options->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return optionView->isVisible(); }, 5000));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const int lowRow = options->findText("Low");
    ASSERT_GE(lowRow, 0);
    const QRect low = optionView->visualRect(optionView->model()->index(lowRow, 0));
    QTest::mouseClick(optionView->viewport(), Qt::LeftButton, {},
                      QPoint(optionView->viewport()->width() / 2, low.center().y()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !optionView->isVisible(); }, 5000));
    EXPECT_EQ(Cell(1, 7), "Low");
    EXPECT_EQ(doc->image().highPower(1), 0);
}

// A screen reader reads the table as a table: a cell's text with its row and column headers,
// the focus cell, and every list and field of the form named by its label.
TEST_F(ChannelTableTest, AScreenReaderReadsTheTableAndTheFormControls) {
    RadioImage image = Image();
    SetChannel(image, 3, "438.5", "430.9");
    Show(image);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 16);
    EXPECT_EQ(cells->columnCount(), 9);
    QAccessibleInterface* cell = cells->cellAt(2, 0); // channel 3, RX frequency
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->text(QAccessible::Name), "438.50000");
    EXPECT_EQ(cell->text(QAccessible::Description), "CH 3, RX Freq (MHz)");
    QAccessibleTableCellInterface* place = cell->tableCellInterface();
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->rowIndex(), 2);
    EXPECT_EQ(place->columnHeaderCells().value(0)->text(QAccessible::Name), "RX Freq (MHz)");
    EXPECT_EQ(place->rowHeaderCells().value(0)->text(QAccessible::Name), "3");
    EXPECT_EQ(table->indexOfChild(cell), 2 * 9);
    EXPECT_EQ(table->child(2 * 9 + 2)->text(QAccessible::Name), "430.90000");
    grid->SetFocusCell(3, 3);
    ASSERT_NE(table->focusChild(), nullptr);
    EXPECT_EQ(table->focusChild()->text(QAccessible::Name), "430.90000");

    for (QWidget* w : view->form()->findChildren<QWidget*>()) {
        if (!w->isVisible() || !(qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w)))
            continue;
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(control, nullptr);
        EXPECT_FALSE(control->text(QAccessible::Name).isEmpty()) << ControlId(w);
    }
}

} // namespace
} // namespace orvik::test
