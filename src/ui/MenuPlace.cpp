#include "ui/MenuPlace.h"

#include <QAbstractButton>
#include <QMouseEvent>

MenuPlace::MenuPlace(QAbstractButton* button) : QObject(button), m_button(button)
{
    button->installEventFilter(this);
}

QPoint MenuPlace::take()
{
    if (const std::optional<QPoint> at = std::exchange(m_clickedAt, std::nullopt))
        return *at;
    return m_button->mapToGlobal(QPoint(0, m_button->height()));
}

bool MenuPlace::eventFilter(QObject*, QEvent* event)
{
    // A click comes on the mouse's release; keys reach the button before it clicks (Enter may be pressed for it
    // by its window, with no event here: nothing is left from a mouse release then, as each is taken or undone).
    if (event->type() == QEvent::MouseButtonRelease)
        m_clickedAt = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
             event->type() == QEvent::Shortcut)
        m_clickedAt.reset();
    return false;
}
