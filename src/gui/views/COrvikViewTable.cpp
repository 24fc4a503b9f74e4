// The form view's channel table: its header and channel rows filled from the image, and the
// three in-place editors that edit one cell, store it through the commit rules and move the
// focus on.

#include "core/lang/LangCatalog.h"
#include "gui/app/COrvikDoc.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/views/COrvikView.h"
#include "gui/views/ChannelPage.h"
#include "gui/views/FreqEdit.h"
#include "gui/views/InPlaceList.h"

#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

namespace orvik {

namespace {

constexpr int kRows = ChannelCount + 1;
constexpr unsigned kCellMask = GridMask::Text | GridMask::Format;
constexpr unsigned kCellFormat = GridFormat::Center | GridFormat::VCenter | GridFormat::SingleLine;

// Language keys of the two entries of option columns 5..9 (position = bit value).
const char* const kOptionKeys[ChannelColumnCount][2] = {
    {nullptr, nullptr},         {nullptr, nullptr},      {nullptr, nullptr},
    {nullptr, nullptr},         {nullptr, nullptr},      {"IDS_YES", "IDS_NO"},
    {"IDS_WIDE", "IDS_NARROW"}, {"IDS_LOW", "IDS_HIGH"}, {"IDS_YES", "IDS_NO"},
    {"IDS_YES", "IDS_NO"},
};

} // namespace

CellTexts COrvikView::cellTexts() const {
    return LoadCellTexts(catalog);
}

void COrvikView::writeCell(int n, int column, const CellTexts& texts) {
    GridItem item;
    item.row = n;
    item.col = column;
    item.mask = kCellMask;
    item.format = kCellFormat;
    item.text = QString::fromStdString(channelCellText(doc.image(), n, column, texts));
    channelGrid->SetItem(item);
}

int COrvikView::HeadingWidth(const CGridCtrl& grid, int column) {
    return ChannelHeadingWidth(grid.font(), grid.GetItemText(0, column));
}

void COrvikView::FillChannelTable() {
    CGridCtrl& grid = *channelGrid;
    if (grid.rowCount() != kRows) {
        grid.SetRowCount(kRows);
        grid.SetColumnCount(ChannelColumnCount);
        grid.SetFixedRowCount(1);
        grid.SetFixedColumnCount(1);
        grid.SetResizing(false, false);
        grid.ClearSelection();
        grid.selectionEnabled = false;
        grid.ClearSelection();
        for (int c = 0; c < ChannelColumnCount; ++c)
            grid.SetColumnWidth(c, kChannelColumnWidths[std::size_t(c)]);
        grid.SetRowHeight(0, kChannelHeaderHeight);
        for (int r = 1; r < kRows; ++r)
            grid.SetRowHeight(r, kChannelRowHeight);
        // Channels are selected as rows (a click on the channel number) for the Edit commands.
        grid.selectionEnabled = true;
    }
    grid.SetRedraw(false, false);

    // A missing header key repeats the text of the header to its left.
    GridItem header;
    header.row = 0;
    header.mask = kCellMask;
    header.format = kCellFormat;
    for (int c = 0; c < ChannelColumnCount; ++c) {
        std::string text;
        if (catalog.columnHeader(c, text))
            header.text = QString::fromStdString(text);
        header.col = c;
        grid.SetItem(header);
    }
    // The focus cell's heading is drawn bold: each column is at least as wide as its heading
    // in bold, so no heading is cut in any language.
    for (int c = 0; c < ChannelColumnCount; ++c) {
        const int width = std::max(kChannelColumnWidths[std::size_t(c)], HeadingWidth(grid, c));
        if (grid.GetColumnWidth(c) != width)
            grid.SetColumnWidth(c, width);
    }

    const CellTexts texts = cellTexts();
    for (int n = 1; n <= ChannelCount; ++n) {
        GridItem number;
        number.row = n;
        number.col = ColChannel;
        number.mask = kCellMask;
        number.format = kCellFormat;
        number.text = QString::number(n);
        grid.SetItem(number);
        refreshRow(n, texts);
    }
    grid.SetRedraw(true, true);
}

void COrvikView::RefreshChannelRow(int n) {
    if (n >= 1 && n <= ChannelCount)
        refreshRow(n, cellTexts());
}

void COrvikView::refreshRow(int n, const CellTexts& texts) {
    const RadioImage& image = doc.image();
    CGridCtrl& grid = *channelGrid;
    for (int c = ColRxFreq; c < ChannelColumnCount; ++c) {
        const unsigned state = grid.GetItemState(n, c);
        if (isCellReadOnly(image, n, c)) {
            grid.SetItemState(n, c, state | GridState::ReadOnly);
            grid.SetItemTextColour(n, c, CGridCtrl::SystemGreyTextColour());
        } else {
            grid.SetItemState(n, c, state & ~GridState::ReadOnly);
            grid.SetItemTextColour(n, c, kGridDefaultColour);
        }
    }
    if (image.isRxEmpty(n)) {
        for (int c = ColRxFreq; c < ChannelColumnCount; ++c)
            grid.SetItemText(n, c, QString());
    } else {
        hideEditors();
        for (int c : {ColRxFreq, ColRxTone, ColTxFreq, ColTxTone, ColBusyLockOut, ColNarrow,
                      ColHighPower, ColScanAdd, ColScrambler})
            writeCell(n, c, texts);
    }
    grid.RedrawRow(n);
}

void COrvikView::hideEditors() {
    if (activeEditor != Editor::None) {
        activeEditor = Editor::None;
        channelGrid->editorActive = false;
    }
    for (QWidget* editor : {static_cast<QWidget*>(freqEdit), static_cast<QWidget*>(toneList),
                            static_cast<QWidget*>(optionList)})
        hideControl(editor);
}

void COrvikView::showEditor(QWidget* editor, const QRect& cellInForm) {
    editor->setGeometry(cellInForm);
    editor->raise();
    editor->show();
    editor->setEnabled(true);
}

void COrvikView::OnBeginEdit(const GridNotify& record) {
    const int r = record.item.row;
    const int c = record.item.col;
    if (r < 1 || r > ChannelCount || c < ColRxFreq || c >= ChannelColumnCount)
        return;
    // A second request while an edit is open ends that edit first, as a focus loss would.
    endOpenEdit();
    pendingMove.reset();

    const QRect cell(formWidget->mapFromGlobal(record.rect.topLeft()), record.rect.size());
    const QString cellText = record.item.text;
    editRow = r;
    editColumn = c;
    // The editor is named by its column for a screen reader.
    const QString header = channelGrid->GetItemText(0, c);
    for (QWidget* editor : {static_cast<QWidget*>(freqEdit), static_cast<QWidget*>(toneList),
                            static_cast<QWidget*>(optionList)})
        editor->setAccessibleName(header);

    switch (c) {
    case ColRxFreq:
    case ColTxFreq:
        channelGrid->editorActive = true;
        activeEditor = Editor::Freq;
        showEditor(freqEdit, cell);
        freqEdit->setMaxLength(9);
        freqEdit->setText(cellText);
        freqEdit->selectAll();
        freqEdit->savedText = cellText;
        freqEdit->setFocus(Qt::OtherFocusReason);
        break;
    case ColRxTone:
    case ColTxTone:
        channelGrid->editorActive = true;
        activeEditor = Editor::Tone;
        showEditor(toneList, cell);
        toneList->selectPrefix(cellText);
        toneList->savedText = cellText;
        toneList->setFocus(Qt::OtherFocusReason);
        break;
    default: {
        channelGrid->editorActive = true;
        {
            const QSignalBlocker blocker(optionList);
            optionList->clear();
            optionList->addItem(LangText(catalog, kOptionKeys[c][0]));
            optionList->addItem(LangText(catalog, kOptionKeys[c][1]));
        }
        activeEditor = Editor::Option;
        showEditor(optionList, cell);
        optionList->savedText = cellText;
        optionList->selectPrefix(cellText);
        optionList->setFocus(Qt::OtherFocusReason);
        break;
    }
    }
}

void COrvikView::endOpenEdit() {
    switch (activeEditor) {
    case Editor::Freq:
        onFreqEditFocusLost();
        break;
    case Editor::Tone:
        onToneListFocusLost();
        break;
    case Editor::Option:
        onOptionListFocusLost();
        break;
    case Editor::None:
        break;
    }
}

void COrvikView::onFreqEditFocusLost() {
    if (activeEditor != Editor::Freq)
        return;
    activeEditor = Editor::None;
    const int n = editRow;
    const bool receive = editColumn == ColRxFreq;
    channelGrid->editorActive = false;
    const DocChange change = doc.CommitCell(n, receive ? ColRxFreq : ColTxFreq,
                                            freqEdit->text().toStdString(), cellTexts());
    hideControl(freqEdit);
    RefreshChannelRow(n);
    reportAdjusted(change);
    moveFocusAfterEdit(n, receive ? ColRxFreq : ColTxFreq);
}

void COrvikView::onToneListFocusLost() {
    if (activeEditor != Editor::Tone)
        return;
    activeEditor = Editor::None;
    const int n = editRow;
    const bool receive = editColumn == ColRxTone;
    channelGrid->editorActive = false;
    // Without a selection (a stored tone that the list does not offer) nothing was chosen, and
    // the tone keeps its value.
    if (toneList->currentIndex() >= 0) {
        const CellTexts texts = cellTexts();
        doc.CommitCell(n, receive ? ColRxTone : ColTxTone, toneList->currentText().toStdString(),
                       texts);
        writeCell(n, receive ? ColRxTone : ColTxTone, texts);
        if (receive)
            writeCell(n, ColTxTone, texts);
        channelGrid->RedrawRow(n);
    }
    hideControl(toneList);
    moveFocusAfterEdit(n, receive ? ColRxTone : ColTxTone);
}

void COrvikView::onOptionChosen(int position) {
    if (activeEditor != Editor::Option || position < 0)
        return;
    doc.ChooseOption(editRow, editColumn, position);
    writeCell(editRow, editColumn, cellTexts());
    channelGrid->RedrawCell(editRow, editColumn);
}

void COrvikView::onOptionListFocusLost() {
    if (activeEditor != Editor::Option)
        return;
    activeEditor = Editor::None;
    channelGrid->editorActive = false;
    hideControl(optionList);
    moveFocusAfterEdit(editRow, editColumn);
}

// ---- after an edit ---------------------------------------------------------------------

void COrvikView::moveFocusAfterEdit(int n, int column) {
    const std::optional<EditorMove> move = pendingMove;
    pendingMove.reset();
    if (!move)
        return;
    int row = n;
    int col = column;
    if (*move == EditorMove::Down) {
        row = std::min(n + 1, ChannelCount);
    } else {
        // The next (or previous) editable cell along the rows.
        const int step = *move == EditorMove::Next ? 1 : -1;
        for (int k = (n - 1) * 9 + (column - 1) + step; k >= 0 && k < ChannelCount * 9; k += step) {
            const int r = k / 9 + 1;
            const int c = k % 9 + 1;
            if (!isCellReadOnly(doc.image(), r, c)) {
                row = r;
                col = c;
                break;
            }
        }
    }
    channelGrid->SetFocusCell(row, col);
    channelGrid->SetSelectedRange(row, col, row, col);
    channelGrid->ensureVisible(row, col);
}

void COrvikView::reportAdjusted(const DocChange& change) {
    if (change.notes.empty())
        return;
    const CellNote& first = change.notes.front();
    const auto lookup = [this](std::string_view key) { return catalog.text(key); };
    emit statusMessage(QString::fromStdString(CommitNoteText(first.note, lookup)));
    flashCell(first.channel, first.column);
}

void COrvikView::flashCell(int n, int column) {
    // A short highlight; the cell's own colour comes back by itself.
    channelGrid->SetItemBkColour(n, column, 0x0080E0FF); // light amber, as 0x00BBGGRR
    channelGrid->RedrawCell(n, column);
    QPointer<CGridCtrl> grid = channelGrid;
    QTimer::singleShot(1200, this, [grid, n, column] {
        if (!grid)
            return;
        grid->SetItemBkColour(n, column, kGridDefaultColour);
        grid->RedrawCell(n, column);
    });
}

} // namespace orvik
