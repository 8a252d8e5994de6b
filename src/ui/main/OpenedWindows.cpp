#include "ui/main/OpenedWindows.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

OpenedWindows::OpenedWindows(QWidget* mainWindow) : QObject(mainWindow), m_main(mainWindow)
{
    qApp->installEventFilter(this);
}

OpenedWindows::~OpenedWindows()
{
    qApp->removeEventFilter(this);
}

bool OpenedWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType() && watched != m_main &&
        static_cast<QWidget*>(watched)->isWindow() && !m_windows.contains(watched)) {
        m_windows.removeIf([](const QPointer<QWidget>& window) { return window.isNull(); }); // months of dialogs
        m_windows.append(static_cast<QWidget*>(watched));
    }
    return false;
}

void OpenedWindows::closeAll()
{
    for (qsizetype i = m_windows.size() - 1; i >= 0; --i) {
        if (QWidget* window = m_windows.value(i); window && window->isVisible())
            window->close();
    }
    for (QWidget* window : QApplication::topLevelWidgets()) { // any shown before this list watched
        if (window != m_main && window->isVisible())
            window->close();
    }
}
