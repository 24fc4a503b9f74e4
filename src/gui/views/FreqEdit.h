#pragma once
// The frequency cell editor (control 1017): a single-line edit that takes only Backspace, the
// digits and one decimal point. Escape restores `savedText`; Escape and Enter hand the focus to
// the owner window, and the focus loss that follows commits the edit.

#include "gui/views/InPlaceEditor.h"

#include <QLineEdit>

namespace orvik {

class FreqEdit : public QLineEdit, public EditorOwner {
    Q_OBJECT
public:
    explicit FreqEdit(QWidget* parent);

    // The cell text when editing began.
    QString savedText;

    // Whether a typed character is kept: digits always, "." only while `current` holds none
    // (also when the "." in it is selected and would be replaced).
    static bool acceptsChar(QChar c, const QString& current);

signals:
    void focusLost();
    // Enter or Tab is about to end the edit: where the table's focus goes next.
    void moveRequested(orvik::EditorMove move);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace orvik
