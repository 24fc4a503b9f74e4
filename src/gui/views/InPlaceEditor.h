#pragma once
// Behaviour shared by the channel table's in-place editors and the DTMF edit: the owner window
// that Escape and Enter hand the focus to, and which focus losses end an edit.

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace orvik {

// The window an editor returns the focus to: its owner when one is set, else its parent.
class EditorOwner {
public:
    void setOwnerWindow(QWidget* owner) { ownerWidget = owner; }
    QWidget* ownerWindow(const QWidget* self) const {
        return ownerWidget ? ownerWidget.data() : self->parentWidget();
    }

private:
    QPointer<QWidget> ownerWidget;
};

// Where the table's focus goes after an edit ended by a key: Enter moves one row down (the
// spreadsheet habit), Tab and Shift+Tab to the next or previous editable column.
enum class EditorMove { Down, Next, Previous };

// Tab or Shift+Tab without Ctrl ends an edit like Enter and moves along the row: which way, or
// nothing for any other event.
inline std::optional<EditorMove> TabMove(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return std::nullopt;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) ||
        (key->modifiers() & Qt::ControlModifier))
        return std::nullopt;
    const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
    return back ? EditorMove::Previous : EditorMove::Next;
}

// A focus loss that ends an edit. Opening a popup (the editor's own drop-down list, a menu)
// leaves the editor in charge, so it does not count.
inline bool EndsEdit(const QFocusEvent* event) {
    return event->reason() != Qt::PopupFocusReason;
}

} // namespace orvik
