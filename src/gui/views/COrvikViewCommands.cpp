// The form view's commands beyond editing one cell: select all, edit the selected channels,
// sort, fill frequencies, find, and the settings the panel shows only on request.

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/model/Codecs.h"
#include "gui/app/COrvikDoc.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/views/COrvikView.h"
#include "gui/views/ChannelDialogs.h"
#include "gui/views/DialogUnits.h"
#include "gui/views/DtmfEdit.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLabel>

namespace orvik {

std::vector<int> COrvikView::commandChannels() const {
    std::vector<int> rows = selectedChannels();
    if (rows.empty() && currentChannel() > 0)
        rows.push_back(currentChannel());
    return rows;
}

void COrvikView::reportNotes(const DocChange& change, const QString& summary) {
    if (change.notes.empty()) {
        if (!summary.isEmpty())
            emit statusMessage(summary);
        return;
    }
    const auto lookup = [this](std::string_view key) { return catalog.text(key); };
    QString message = QString::fromStdString(CommitNoteText(change.notes.front().note, lookup));
    if (change.notes.size() > 1)
        message = FillText(LangText(catalog, lang::IDS_ADJ_MORE),
                           {message, QString::number(change.notes.size() - 1)});
    emit statusMessage(message);
    for (const CellNote& note : change.notes)
        flashCell(note.channel, note.column);
}

void COrvikView::SelectAll() {
    endOpenEdit();
    const CellId focus = channelGrid->GetFocusCell();
    if (!channelGrid->isValid(focus.row, focus.col) || focus.row < 1 || focus.col < 1)
        channelGrid->SetFocusCell(1, ColRxFreq);
    channelGrid->SetSelectedRange(1, ColRxFreq, ChannelCount, ChannelColumnCount - 1);
}

void COrvikView::EditSelectedChannels() {
    endOpenEdit();
    std::vector<int> channels;
    for (int n : commandChannels())
        if (!doc.image().isRxEmpty(n))
            channels.push_back(n);
    if (channels.empty()) {
        emit statusMessage(LangText(catalog, lang::IDS_EDIT_CHANNELS_NONE));
        return;
    }
    CEditChannelsDlg dialog(catalog, doc.image(), channels.front(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ChannelEdit edit = dialog.edit();
    if (edit.empty())
        return;
    const DocChange change = doc.EditChannels(channels, edit, cellTexts());
    refreshChanged(change);
    reportNotes(change, FillText(LangText(catalog, lang::IDS_CHANNELS_CHANGED),
                                 {QString::number(change.channels.count())}));
}

void COrvikView::SortChannels(SortKey key) {
    endOpenEdit();
    refreshChanged(doc.SortChannels(key));
}

void COrvikView::FillFrequencies() {
    endOpenEdit();
    const std::vector<int> channels = commandChannels();
    if (channels.empty())
        return;
    // The start shown first: the first channel's frequency, else the band's low limit.
    std::string start = FreqToText(doc.image().rxFreq(channels.front()));
    if (start.empty())
        start = LimitText(doc.limits(), -1);
    CFillDlg dialog(catalog, QString::fromStdString(start), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::optional<FrequencyFill> fill = dialog.fill();
    if (!fill)
        return;
    const DocChange change = doc.FillFrequencies(channels, *fill);
    refreshChanged(change);
    reportNotes(change, FillText(LangText(catalog, lang::IDS_CHANNELS_CHANGED),
                                 {QString::number(change.channels.count())}));
}

std::pair<int, int> COrvikView::findCell(const QString& text, int row, int column) const {
    constexpr int Columns = ChannelColumnCount - 1;
    constexpr int Cells = ChannelCount * Columns;
    const int from = (row - 1) * Columns + (column - 1); // -1: before the first cell
    for (int k = 1; k <= Cells; ++k) {
        const int at = ((from + k) % Cells + Cells) % Cells;
        const int r = at / Columns + 1;
        const int c = at % Columns + 1;
        if (channelGrid->GetItemText(r, c).contains(text, Qt::CaseInsensitive))
            return {r, c};
    }
    return {0, 0};
}

void COrvikView::Find() {
    endOpenEdit();
    bool ok = false;
    const QString text = QInputDialog::getText(this, LangText(catalog, lang::IDS_FIND_TITLE),
                                               LangText(catalog, lang::IDS_FIND_PROMPT),
                                               QLineEdit::Normal, sought, &ok)
                             .trimmed();
    if (!ok || text.isEmpty())
        return;
    sought = text;
    FindNext();
}

void COrvikView::FindNext() {
    if (sought.isEmpty()) {
        Find();
        return;
    }
    endOpenEdit();
    const CellId focus = channelGrid->GetFocusCell();
    const bool inTable = focus.row >= 1 && focus.col >= 1;
    const auto [row, column] = findCell(sought, inTable ? focus.row : 1, inTable ? focus.col : 0);
    if (row == 0) {
        emit statusMessage(FillText(LangText(catalog, lang::IDS_FIND_NOT_FOUND), {sought}));
        return;
    }
    channelGrid->SetFocusCell(row, column);
    channelGrid->SetSelectedRange(row, column, row, column);
    channelGrid->ensureVisible(row, column);
    channelGrid->setFocus(Qt::OtherFocusReason);
}

void COrvikView::ShowAllSettings(bool shown) {
    using namespace ids;
    const DialogUnits du(formWidget->font());
    // Label above its field, in a column right of the check boxes, above the table.
    struct Place {
        int label;
        int field;
        int y;
        int height;
    };
    const Place places[] = {
        {IDC_SIDEKEY2_LABEL, IDC_SIDEKEY2_LIST, 6, 123},
        {IDC_FMFREQ_LABEL, IDC_FMFREQ_LIST, 38, 123},
        {IDC_DTMF_LABEL, IDC_DTMF_EDIT, 70, 14},
    };
    constexpr int X = 497;
    constexpr int Width = 66;
    for (const Place& p : places) {
        QWidget* label = control(p.label);
        QWidget* field = control(p.field);
        for (QWidget* w : {label, field}) {
            std::erase_if(placedGeometry, [w](const auto& placed) { return placed.first == w; });
            w->setVisible(shown);
            w->setEnabled(shown);
        }
        if (!shown)
            continue;
        label->setGeometry(du.rect(X, p.y, Width, 8));
        QRect place = du.rect(X, p.y + 10, Width, p.height);
        // A list's height includes its opened part.
        if (qobject_cast<QComboBox*>(field))
            place.setHeight(field->sizeHint().height());
        field->setGeometry(place);
        placedGeometry.emplace_back(label, label->geometry());
        placedGeometry.emplace_back(field, field->geometry());
    }
    allSettings = shown;
    fitFormTexts();
}

} // namespace orvik
