#include "gui/grid/GridEditController.h"

#include "gui/grid/CGridCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>

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
bool isContextMenuKey(const QKeyEvent* k) {
    return k->key() == Qt::Key_F10 && k->modifiers() == Qt::ShiftModifier;
}
// The widget the owner gave the keyboard focus when it laid its editor over the cell; null
// when no editor opened.
QWidget* openedEditor(const CGridCtrl& grid) {
    QWidget* w = QApplication::focusWidget();
    return w != nullptr && w != &grid ? w : nullptr;
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
    return isEnterKey(e) || isPlainCharacter(e) || IsStandardEditingKey(e) ||
           e->key() == Qt::Key_F2 || isContextMenuKey(e);
}

bool GridEditController::keyPress(QKeyEvent* e) {
    if (isEnterKey(e)) {
        const CellId focus = grid.GetFocusCell();
        requestEdit(focus.row, focus.col);
        return true;
    }
    if (e->key() == Qt::Key_F2 && e->modifiers() == Qt::NoModifier) {
        // The cell's text to change rather than to replace: the caret after it.
        const CellId focus = grid.GetFocusCell();
        if (requestEdit(focus.row, focus.col))
            if (auto* line = qobject_cast<QLineEdit*>(openedEditor(grid)))
                line->end(false);
        return true;
    }
    if (isContextMenuKey(e)) {
        // As the Menu key: the context menu at the focus cell.
        const QPoint at = grid.inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, grid.mapToGlobal(at));
        QApplication::sendEvent(&grid, &menu);
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
    // As in a spreadsheet: the character opens the focus cell's editor and goes into it (a
    // text editor replaces the selected text, a list jumps to the entry it begins).
    const CellId focus = grid.GetFocusCell();
    if (!requestEdit(focus.row, focus.col))
        return true;
    if (QWidget* editor = openedEditor(grid)) {
        QKeyEvent typed(QEvent::KeyPress, e->key(), e->modifiers(), e->text(), e->isAutoRepeat(),
                        ushort(e->count()));
        QApplication::sendEvent(editor, &typed);
    }
    return true;
}

} // namespace orvik
