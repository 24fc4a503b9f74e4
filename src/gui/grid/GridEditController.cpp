#include "gui/grid/GridEditController.h"

#include "gui/grid/CGridCtrl.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace orvik {

bool IsStandardEditingKey(const QKeyEvent* key) {
    for (QKeySequence::StandardKey k :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo,
          QKeySequence::Redo, QKeySequence::Delete})
        if (key->matches(k))
            return true;
    return false;
}

namespace {
bool isEnterKey(const QKeyEvent* k) {
    return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
}
bool isPlainCharacter(const QKeyEvent* k) {
    return !k->text().isEmpty() && k->text().at(0).isPrint() &&
           !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}
} // namespace

bool GridEditController::requestEdit(int row, int col) {
    if (!grid.isValid(row, col))
        return false;
    grid.ensureVisible(row, col);
    if (!enabled || (grid.GetItemState(row, col) & GridState::ReadOnly))
        return false;
    // Headers are never edited: the owner's editors work on data cells only.
    if (grid.isFixed(row, col))
        return false;
    if (!grid.geometry().isCellVisible(row, col))
        return false;
    grid.sendNotification(kGridBeginEdit, row, col);
    return true;
}

bool GridEditController::wantsKey(const QKeyEvent* e) const {
    return isEnterKey(e) || isPlainCharacter(e) || IsStandardEditingKey(e);
}

bool GridEditController::keyPress(QKeyEvent* e) {
    if (isEnterKey(e)) {
        const CellId focus = grid.GetFocusCell();
        requestEdit(focus.row, focus.col);
        return true;
    }
    if (IsStandardEditingKey(e)) {
        editingKey(e);
        e->accept();
        return true;
    }
    return false;
}

void GridEditController::editingKey(QKeyEvent* e) {
    if (grid.editingKeyHandler && grid.editingKeyHandler(e))
        return;
    // The grid only shows text: copy puts the focus cell's text on the clipboard, the other
    // editing keys change nothing.
    const CellId focus = grid.GetFocusCell();
    if (e->matches(QKeySequence::Copy) && grid.isValid(focus.row, focus.col))
        QGuiApplication::clipboard()->setText(grid.GetItemText(focus.row, focus.col));
}

bool GridEditController::characterPress(QKeyEvent* e) {
    if (!isPlainCharacter(e))
        return false;
    e->accept();
    return true;
}

} // namespace orvik
