#include "gui/views/FreqEdit.h"

#include <QKeyEvent>

namespace orvik {

FreqEdit::FreqEdit(QWidget* parent) : QLineEdit(parent) {
    // Only typed characters reach the text: no input method, no pasting from a menu, no drops.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
}

bool FreqEdit::acceptsChar(QChar c, const QString& current) {
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return true;
    return c == QLatin1Char('.') && !current.contains(QLatin1Char('.'));
}

bool FreqEdit::event(QEvent* event) {
    // Tab ends the edit like Enter and moves on along the row.
    if (const auto move = TabMove(event)) {
        emit moveRequested(*move);
        if (QWidget* owner = ownerWindow(this))
            owner->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QLineEdit::event(event);
}

void FreqEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        setText(savedText);
        [[fallthrough]];
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->key() != Qt::Key_Escape)
            emit moveRequested(EditorMove::Down);
        if (QWidget* owner = ownerWindow(this))
            owner->setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    case Qt::Key_Backspace:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    // A decimal comma is typed as the point it means.
    if (!command && typed == QStringLiteral(",")) {
        if (acceptsChar(QLatin1Char('.'), text()))
            insert(QStringLiteral("."));
        event->accept();
        return;
    }
    if (!command && !typed.isEmpty() && typed.front().isPrint()) {
        QString current = text();
        for (QChar c : typed) {
            if (!acceptsChar(c, current)) {
                event->accept();
                return;
            }
            current += c;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void FreqEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (EndsEdit(event))
        emit focusLost();
}

} // namespace orvik
