#include "ui/main/ServiceMirror.h"

#include "model/GroupTable.h"
#include "platform/Dialogs.h"
#include "ui/main/frmMain.h"

ServiceMirror::ServiceMirror(SenderView* view, const LinkChoice& link, frmMain& window, Dialogs& dialogs)
    : m_view(view), m_link(link), m_window(window), m_dialogs(dialogs)
{
    m_view->setParent(this);
    m_noteEnds.setSingleShot(true);
    m_noteEnds.setInterval(kOutcomeShownMs);
    connect(&m_noteEnds, &QTimer::timeout, this, [this] {
        m_note.clear();
        show();
    });
    connect(m_view, &SenderView::changed, this, &ServiceMirror::show);
    connect(m_view, &SenderView::commandDone, this, &ServiceMirror::done);
    m_window.commandElsewhere = [this](int group, int code) { give(group, code); };
    show();
}

ServiceMirror::~ServiceMirror()
{
    m_window.commandElsewhere = nullptr;
}

// The sending panel is narrow: it has no room for a "Service: " before the service's own text, whose clock number
// comes last; the link panel says whose the text is.
void ServiceMirror::show()
{
    if (!m_view->present()) {
        m_window.setPanelText(Panel::Sending, QStringLiteral("Nothing sent to the clocks"));
        m_window.setPanelText(Panel::Link, QStringLiteral("Service stopped"));
        return;
    }
    const SenderStatus& s = m_view->status();
    m_window.setPanelText(Panel::Sending, m_note.isEmpty() ? s.Panel : m_note);
    m_window.setPanelText(Panel::Link, QStringLiteral("Service on ") + m_link.name);
    m_window.showClockSync(s.ClockSync, s.ClockSyncDetail, s.ClockSynchronized);
}

void ServiceMirror::give(int group, int code)
{
    const QString refused = m_view->sendCommand(group, code);
    if (!refused.isEmpty()) {
        m_dialogs.MsgBox(refused, MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);
        return;
    }
    m_given.append({group, code});
    m_noteEnds.stop();
    m_note = QStringLiteral("Sending %1 to group %2").arg(code).arg(IndexToLetter(group));
    show();
}

void ServiceMirror::done(int group, int code, bool reached)
{
    if (!m_given.removeOne({group, code})) // another window's
        return;
    m_note = reached ? QStringLiteral("%1 reached group %2").arg(code).arg(IndexToLetter(group))
                     : QStringLiteral("%1 dropped: %2 has no clocks").arg(code).arg(IndexToLetter(group));
    m_noteEnds.start();
    show();
}
