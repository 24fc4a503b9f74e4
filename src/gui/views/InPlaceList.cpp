#include "gui/views/InPlaceList.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QSignalBlocker>

namespace orvik {

InPlaceList::InPlaceList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
}

int InPlaceList::selectPrefix(const QString& text) {
    int found = -1;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            found = i;
            break;
        }
    }
    const QSignalBlocker blocker(this);
    setCurrentIndex(found);
    return found;
}

bool InPlaceList::event(QEvent* event) {
    // Tab ends the edit like Enter and moves on along the row.
    if (const auto move = TabMove(event)) {
        emit moveRequested(*move);
        if (QWidget* owner = ownerWindow(this))
            owner->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QComboBox::event(event);
}

void InPlaceList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        selectPrefix(savedText);
        [[fallthrough]];
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->key() != Qt::Key_Escape)
            emit moveRequested(EditorMove::Down);
        if (QWidget* owner = ownerWindow(this))
            owner->setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    default:
        QComboBox::keyPressEvent(event);
    }
}

void InPlaceList::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // Opening the drop-down moves the focus into the list's own popup window (as a window
    // activation on some platforms, not as a popup focus change): the edit goes on.
    QWidget* popup = view()->window();
    if (popup->isVisible() || QApplication::activePopupWidget() == popup)
        return;
    if (EndsEdit(event))
        emit focusLost();
}

void ToneList::setEntries(const QStringList& entries) {
    const QSignalBlocker blocker(this);
    clear();
    QStringList upper;
    upper.reserve(entries.size());
    for (const QString& e : entries)
        upper.append(e.toUpper());
    addItems(upper);
}

} // namespace orvik
