// A window on a link the user's service sends on: it shows what the service sends and gives it the command keys'
// commands, and never takes the link over by itself.
#pragma once

#include "app/LinkSelection.h"
#include "app/SenderBus.h"

#include <QTimer>

class Dialogs;
class frmMain;

class ServiceMirror : public QObject
{
    Q_OBJECT

public:
    // `view` is the service, present on the bus when this is made; the mirror owns it.
    ServiceMirror(SenderView* view, const LinkChoice& link, frmMain& window, Dialogs& dialogs);
    ~ServiceMirror() override;

    static constexpr int kOutcomeShownMs = 10'000;

private:
    void show();
    void give(int group, int code);
    void done(int group, int code, bool reached);

    SenderView* m_view;
    LinkChoice m_link;
    frmMain& m_window;
    Dialogs& m_dialogs;
    QString m_note;                 // a command on its way, or its outcome for a while
    QList<QPair<int, int>> m_given; // (group, code) given from here and not done yet
    QTimer m_noteEnds;
};
