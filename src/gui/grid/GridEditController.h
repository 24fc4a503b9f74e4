#pragma once

class QKeyEvent;

namespace orvik {

class CGridCtrl;

// The standard editing keys (copy, cut, paste, undo, redo, delete in all their platform forms,
// Ctrl+C and Shift+Insert among them). A widget with the keyboard focus that takes these keys
// for itself accepts them as a shortcut override, so they never run a window command.
bool IsStandardEditingKey(const QKeyEvent* key);

// Edit requests of the grid, which has no editor of its own. A request scrolls the cell into
// view and, when editing is enabled, the cell is a data cell that is not read-only and it shows,
// sends the begin-edit notification so that the owner lays its editor over the cell. Enter asks
// to edit the focus cell. The standard editing keys go to the grid's editingKeyHandler; without
// one, or when it declines, copy puts the focus cell's text on the clipboard. Plain characters
// stay with the grid.
class GridEditController {
public:
    explicit GridEditController(CGridCtrl& owner) : grid(owner) {}

    // True when the begin-edit notification was sent.
    bool requestEdit(int row, int col);
    void setEnabled(bool on) { enabled = on; }
    bool isEnabled() const { return enabled; }

    // Keys the grid takes before any window shortcut sees them.
    bool wantsKey(const QKeyEvent* e) const;
    // Enter and the editing keys, seen before any other key handling; true when taken.
    bool keyPress(QKeyEvent* e);
    // A key that no navigation took: plain characters are taken (and do nothing).
    bool characterPress(QKeyEvent* e);

private:
    void editingKey(QKeyEvent* e);

    CGridCtrl& grid;
    bool enabled = true;
};

} // namespace orvik
