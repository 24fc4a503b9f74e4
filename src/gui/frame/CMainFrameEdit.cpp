// The window side of the Edit commands: undo and redo named by their step, the channel table's
// context menu, and the status messages of the view.

#include "core/lang/LangKeys.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/frame/CMainFrame.h"
#include "gui/grid/CGridCtrl.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/views/COrvikView.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>

namespace orvik {

using namespace ids;

namespace {
// How long a status message stays.
constexpr int StatusMessageMs = 6000;
} // namespace

void CMainFrame::onUndo(bool redo) {
    formView->endOpenEdit();
    if (redo)
        doc.undoStack()->redo();
    else
        doc.undoStack()->undo();
}

void CMainFrame::updateUndoTexts() {
    // "Undo read from radio": the entry's own text, or the step's name in it.
    auto label = [this](QAction* a, const char* stepKey, const char* formatKey,
                        const char* plainKey) {
        if (a == nullptr)
            return;
        a->setEnabled(stepKey != nullptr);
        a->setText(stepKey ? FillText(app.LangText(formatKey), {app.LangText(stepKey)})
                           : app.LangText(plainKey));
    };
    label(action(ID_EDIT_UNDO), doc.UndoStepKey(), lang::IDS_UNDO_STEP, lang::Menu_Edit_Undo);
    label(action(ID_EDIT_REDO), doc.RedoStepKey(), lang::IDS_REDO_STEP, lang::Menu_Edit_Redo);
}

void CMainFrame::connectEditCommands() {
    connect(doc.undoStack(), &QUndoStack::indexChanged, this, &CMainFrame::updateUndoTexts);
    connect(doc.undoStack(), &QUndoStack::cleanChanged, this, &CMainFrame::updateUndoTexts);
    updateUndoTexts();
    // A message pane beside the port pane, so the port stays in view while a message shows.
    messagePane = new QLabel(this);
    messagePane->setObjectName("messagePane");
    statusBar()->insertWidget(1, messagePane, 1);
    messageExpiry = new QTimer(this);
    messageExpiry->setSingleShot(true);
    connect(messageExpiry, &QTimer::timeout, messagePane, &QLabel::clear);
    connect(formView, &COrvikView::statusMessage, this,
            [this](const QString& text) { ShowStatusMessage(text, StatusMessageMs); });

    // View > All Settings as it was left.
    QAction* allSettings = action(ID_VIEW_ALL_SETTINGS);
    allSettings->setCheckable(true);
    const bool shown = ini::GetInt(app.paths().SettingsFilePath(), keys::ViewSection,
                                   keys::AllSettingsKey, 0) == 1;
    allSettings->setChecked(shown);
    formView->ShowAllSettings(shown);

    CGridCtrl* grid = formView->grid();
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, &CMainFrame::showTableMenu);
}

void CMainFrame::reportRead(const QString& backupPath) {
    const QString count = QString::number(ChannelsInUse(doc.image()));
    ShowStatusMessage(backupPath.isEmpty() ? FillText(app.LangText(lang::IDS_STATUS_READ), {count})
                                           : FillText(app.LangText(lang::IDS_STATUS_READ_BACKUP),
                                                      {count, QFileInfo(backupPath).fileName()}),
                      StatusMessageMs);
}

QString CMainFrame::statusMessageText() const {
    return messagePane ? messagePane->text() : QString();
}

void CMainFrame::ShowStatusMessage(const QString& text, int milliseconds) {
    messagePane->setText(text);
    if (milliseconds > 0)
        messageExpiry->start(milliseconds);
    else
        messageExpiry->stop();
}

const std::vector<int>& CMainFrame::TableMenuCommands() {
    static const std::vector<int> commands = {
        ID_EDIT_CUT, ID_EDIT_COPY,           ID_EDIT_PASTE,   ID_EDIT_CLEAR,
        0,           ID_EDIT_INSERT_CHANNEL, ID_EDIT_MOVE_UP, ID_EDIT_MOVE_DOWN,
        0,           ID_EDIT_EDIT_CHANNELS,  ID_EDIT_FILL};
    return commands;
}

void CMainFrame::showTableMenu(const QPoint& at) {
    CGridCtrl* grid = formView->grid();
    formView->endOpenEdit();
    // A click outside the selected rows makes the row under the mouse the selection.
    const CellId cell = grid->cellFromPoint(grid->viewport()->mapFrom(grid, at));
    if (cell.row >= 1 && cell.row < grid->rowCount()) {
        const std::vector<int> rows = formView->selectedChannels();
        if (std::find(rows.begin(), rows.end(), cell.row) == rows.end()) {
            grid->SetFocusCell(cell.row, std::max(cell.col, 1));
            grid->SetSelectedRange(cell.row, 1, cell.row, grid->columnCount() - 1);
        }
    }
    QMenu menu(this);
    for (int id : TableMenuCommands()) {
        if (id == 0)
            menu.addSeparator();
        else
            menu.addAction(action(id));
    }
    menu.exec(grid->mapToGlobal(at));
}

void CMainFrame::setAllSettingsShown(bool shown) {
    formView->ShowAllSettings(shown);
    ini::WriteString(app.paths().SettingsFilePath(), keys::ViewSection, keys::AllSettingsKey,
                     shown ? "1" : "0");
}

} // namespace orvik
