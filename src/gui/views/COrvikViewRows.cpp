// The form view's channels as rows (Edit menu, context menu, editing keys of the table): the
// selected channels, copy, cut, paste and delete through the clipboard, inserting a channel
// and moving channels up or down.

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/model/ChannelCsv.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/views/COrvikView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QUndoStack>

namespace orvik {

std::vector<int> COrvikView::selectedChannels() const {
    std::vector<int> rows;
    for (int n = 1; n <= ChannelCount; ++n) {
        bool whole = true;
        for (int c = ColRxFreq; c < ChannelColumnCount && whole; ++c)
            whole = channelGrid->isCellSelected(n, c);
        if (whole)
            rows.push_back(n);
    }
    return rows;
}

int COrvikView::currentChannel() const {
    const CellId focus = channelGrid->GetFocusCell();
    if (focus.row >= 1 && focus.row <= ChannelCount)
        return focus.row;
    const std::vector<int> rows = selectedChannels();
    return rows.empty() ? 0 : rows.front();
}

bool COrvikView::onEditingKey(const QKeyEvent* key) {
    if (key->matches(QKeySequence::Copy)) {
        CopySelection();
    } else if (key->matches(QKeySequence::Cut)) {
        CutSelection();
    } else if (key->matches(QKeySequence::Paste)) {
        PasteClipboard();
    } else if (key->matches(QKeySequence::Delete)) {
        DeleteSelection();
    } else if (key->matches(QKeySequence::Undo)) {
        doc.undoStack()->undo();
    } else if (key->matches(QKeySequence::Redo)) {
        doc.undoStack()->redo();
    } else {
        return false;
    }
    return true;
}

void COrvikView::CopySelection() {
    endOpenEdit();
    const std::vector<int> rows = selectedChannels();
    if (!rows.empty()) {
        QGuiApplication::clipboard()->setText(
            QString::fromStdString(ChannelsClipboardText(doc.image(), rows)));
        return;
    }
    const CellId focus = channelGrid->GetFocusCell();
    if (channelGrid->isValid(focus.row, focus.col))
        QGuiApplication::clipboard()->setText(channelGrid->GetItemText(focus.row, focus.col));
}

void COrvikView::CutSelection() {
    CopySelection();
    const std::vector<int> rows = selectedChannels();
    if (rows.empty()) {
        const CellId focus = channelGrid->GetFocusCell();
        commitCellText(focus.row, focus.col, {}, lang::IDS_STEP_CUT);
        return;
    }
    refreshChanged(doc.ClearChannels(rows, lang::IDS_STEP_CUT));
}

void COrvikView::DeleteSelection() {
    endOpenEdit();
    const std::vector<int> rows = selectedChannels();
    if (rows.empty()) {
        const CellId focus = channelGrid->GetFocusCell();
        commitCellText(focus.row, focus.col, {}, lang::IDS_STEP_DELETE);
        return;
    }
    refreshChanged(doc.ClearChannels(rows, lang::IDS_STEP_DELETE));
}

bool COrvikView::commitCellText(int n, int column, const std::string& text, const char* stepKey) {
    const DocChange change = doc.CommitCell(n, column, text, cellTexts(), stepKey);
    if (change.refused)
        return false;
    RefreshChannelRow(n);
    reportAdjusted(change);
    return true;
}

void COrvikView::PasteClipboard() {
    endOpenEdit();
    const std::string text = QGuiApplication::clipboard()->text().toStdString();
    const int first = currentChannel();
    if (first == 0 || text.empty())
        return;
    CsvImportOptions options;
    options.renumber = true;
    options.firstChannel = first;
    options.separator = '\t';
    CsvImportResult result;
    DocChange change = doc.ApplyCsv(text, options, result, lang::IDS_STEP_PASTE);
    if (!result.usable && text.find('\t') == std::string::npos) {
        options.separator = ','; // a CSV file's lines
        change = doc.ApplyCsv(text, options, result, lang::IDS_STEP_PASTE);
    }
    if (!result.usable) {
        // One value: into the focus cell as if typed.
        const CellId focus = channelGrid->GetFocusCell();
        std::string value = text;
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
            value.pop_back();
        if (value.find_first_of("\t\r\n") == std::string::npos && focus.col >= ColRxFreq &&
            commitCellText(focus.row, focus.col, value, lang::IDS_STEP_PASTE))
            return;
        emit statusMessage(LangText(catalog, lang::IDS_PASTE_NOTHING));
        return;
    }
    refreshChanged(change);
    if (result.notes.empty())
        emit statusMessage(FillText(LangText(catalog, lang::IDS_STATUS_PASTED),
                                    {QString::number(change.channels.count())}));
    if (!result.notes.empty()) {
        const auto lookup = [this](std::string_view key) { return catalog.text(key); };
        QString message = QString::fromStdString(CsvNoteText(result.notes.front(), lookup));
        if (result.notes.size() > 1)
            message = FillText(LangText(catalog, lang::IDS_ADJ_MORE),
                               {message, QString::number(result.notes.size() - 1)});
        emit statusMessage(message);
        for (const CsvImportNote& note : result.notes)
            if (note.channel > 0)
                flashCell(note.channel, ColRxFreq);
    }
}

void COrvikView::InsertChannel() {
    endOpenEdit();
    const int n = currentChannel();
    if (n == 0)
        return;
    if (!doc.image().isRxEmpty(ChannelCount) &&
        ShowMessageBox(this, LangText(catalog, lang::IDS_CONFIRM_INSERT),
                       LangText(catalog, "IDS_CONFIRM"), MsgButtons::OkCancel,
                       MsgIcon::Exclamation) != MsgOk)
        return;
    refreshChanged(doc.InsertChannel(n));
}

void COrvikView::MoveSelection(int delta) {
    endOpenEdit();
    std::vector<int> rows = selectedChannels();
    if (rows.empty() && currentChannel() > 0)
        rows.push_back(currentChannel());
    if (rows.empty())
        return;
    // The block from the first to the last selected channel moves as one.
    const int first = rows.front();
    const int last = rows.back();
    if (first + delta < 1 || last + delta > ChannelCount)
        return;
    const CellId focus = channelGrid->GetFocusCell();
    refreshChanged(doc.MoveChannels(first, last, delta));
    // The selection and the focus go with the channels.
    channelGrid->SetSelectedRange(first + delta, ColRxFreq, last + delta, ChannelColumnCount - 1);
    if (focus.row >= first && focus.row <= last)
        channelGrid->SetFocusCell(focus.row + delta, focus.col);
}

} // namespace orvik
