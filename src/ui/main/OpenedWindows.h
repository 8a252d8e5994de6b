// The program's windows in the order they were opened, so that the main window can close them newest first.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

class OpenedWindows : public QObject
{
public:
    explicit OpenedWindows(QWidget* mainWindow);
    ~OpenedWindows() override;

    // Closes every window but the main one that is still on screen, the most recently opened first.
    void closeAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_main;
    QList<QPointer<QWidget>> m_windows;
};
