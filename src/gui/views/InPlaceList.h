#pragma once
// A drop-down list laid over a grid cell (no typing). It remembers the cell text in `savedText`;
// Escape selects the entry of `savedText` again without a change notification; Escape and Enter
// hand the focus to the owner window, and the focus loss that follows ends the edit.

#include "gui/views/InPlaceEditor.h"

#include <QComboBox>

namespace orvik {

class InPlaceList : public QComboBox, public EditorOwner {
    Q_OBJECT
public:
    explicit InPlaceList(QWidget* parent);

    QString savedText;

    // Selects the first entry that begins with `text` (case-insensitive), without a change
    // notification; no entry matching leaves the list without a selection. Returns the index.
    int selectPrefix(const QString& text);

signals:
    void focusLost();
    // Enter or Tab is about to end the edit: where the table's focus goes next.
    void moveRequested(orvik::EditorMove move);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// The tone editor (control 1019): every entry shown and returned in upper case.
class ToneList : public InPlaceList {
    Q_OBJECT
public:
    using InPlaceList::InPlaceList;
    // Replaces the entries, upper-cased, without a change notification.
    void setEntries(const QStringList& entries);
};

// The option editor (control 1018): the two entries of an option column.
class OptionList : public InPlaceList {
    Q_OBJECT
public:
    using InPlaceList::InPlaceList;
};

} // namespace orvik
