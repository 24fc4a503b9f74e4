#pragma once
// The DTMF code edit (control 1040): takes only Backspace, "0"-"9", "A"-"D" and "a"-"d" as
// typed characters, at most five; reports its focus loss so the view can store the code.

#include "gui/views/InPlaceEditor.h"

#include <QLineEdit>

namespace orvik {

class DtmfEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DtmfEdit(QWidget* parent);

    static bool acceptsChar(QChar c);

signals:
    void focusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace orvik
