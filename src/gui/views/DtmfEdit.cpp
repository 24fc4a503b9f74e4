#include "gui/views/DtmfEdit.h"

#include <QKeyEvent>

namespace orvik {

DtmfEdit::DtmfEdit(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setMaxLength(5);
}

bool DtmfEdit::acceptsChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'D') || (u >= u'a' && u <= u'd');
}

void DtmfEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (event->key() != Qt::Key_Backspace && !command && !typed.isEmpty() &&
        typed.front().isPrint()) {
        for (QChar c : typed) {
            if (!acceptsChar(c)) {
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DtmfEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (EndsEdit(event))
        emit focusLost();
}

} // namespace orvik
