#include "ui/main/HelpMenu.h"

#include "app/DataFiles.h"
#include "app/MakerInfo.h"
#include "platform/Dialogs.h"
#include "platform/Launcher.h"
#include "ui/auxiliary/frmAbout.h"
#include "ui/auxiliary/frmClockTimes.h"
#include "ui/auxiliary/frmMap.h"
#include "ui/auxiliary/frmSummary.h"

#include <QDir>
#include <QMenu>

namespace {
const QChar kCR(13);

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// An open window comes to the front as it is, also out of the task bar.
void bringToFront(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
} // namespace

HelpMenu::HelpMenu(GroupTables& tables, Launcher& launcher, Dialogs& dialogs, QWidget* owner, QStringList dataFolders)
    : m_tables(tables), m_launcher(launcher), m_dialogs(dialogs), m_owner(owner), m_dataFolders(std::move(dataFolders))
{
    // No parent: the presets window shows this menu too, and a popup belongs to no window's modality.
    mnuHelp = new QMenu(QStringLiteral("Help Popup"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    const auto entry = [this](const char* name, const QString& caption, void (HelpMenu::*handler)()) {
        QAction* action = mnuHelp->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto divider = [this](const char* name) {
        QAction* action = mnuHelp->addSeparator();
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    mnuHelpFinder = entry("mnuHelpFinder", QStringLiteral("Help Topics..."), &HelpMenu::mnuHelpFinder_Click);
    mnuHelpDiv1 = divider("mnuHelpDiv1");
    mnuHelpMap = entry("mnuHelpMap", QStringLiteral("Map"), &HelpMenu::mnuHelpMap_Click);
    mnuHelpSummary = entry("mnuHelpSummary", QStringLiteral("Summary"), &HelpMenu::mnuHelpSummary_Click);
    mnuHelpClockTimes = entry("mnuHelpClockTimes", QStringLiteral("Clock Times"), &HelpMenu::mnuHelpClockTimes_Click);
    mnuHelpDiv2 = divider("mnuHelpDiv2");
    mnuHelpWeb = entry("mnuHelpWeb", QStringLiteral("Orvale on the Web"), &HelpMenu::mnuHelpWeb_Click);
    mnuHelpZone = entry("mnuHelpZone", QStringLiteral("Zone and Daylight Info"), &HelpMenu::mnuHelpZone_Click);
    mnuHelpSync = entry("mnuHelpSync", QStringLiteral("NIST Time Sync"), &HelpMenu::mnuHelpSync_Click);
    mnuHelpAbout = entry("mnuHelpAbout", QStringLiteral("About Quillmarch..."), &HelpMenu::mnuHelpAbout_Click);
}

HelpMenu::~HelpMenu()
{
    delete m_map;
    delete m_summary;
    delete m_clockTimes;
    delete mnuHelp;
}

frmMap* HelpMenu::mapWindow() const
{
    return m_map;
}

frmSummary* HelpMenu::summaryWindow() const
{
    return m_summary;
}

frmClockTimes* HelpMenu::clockTimesWindow() const
{
    return m_clockTimes;
}

void HelpMenu::exec(const QPoint& globalPos)
{
    // The chosen entry's action runs inside exec(), from QAction::triggered, before exec() returns.
    mnuHelp->exec(globalPos);
}

void HelpMenu::mnuHelpFinder_Click()
{
    const QString path = FindDataFile(kHelpFileName, m_dataFolders);
    if (path.isEmpty()) {
        QStringList folders;
        for (const QString& folder : m_dataFolders)
            folders << QStringLiteral("    ") + QDir::toNativeSeparators(folder);
        message(QStringLiteral("Can't find the help file ") + quoted(kHelpFileName) + kCR +
                    QStringLiteral("Looked in these folders, in this order:") + kCR + folders.join(kCR),
                true);
        return;
    }
    const LaunchResult result = m_launcher.openFile(path);
    if (!result.ok)
        message(QStringLiteral("Can't open the help file") + kCR + quoted(QDir::toNativeSeparators(path)) + kCR +
                    result.reason,
                true);
}

void HelpMenu::mnuHelpMap_Click()
{
    if (!m_map)
        m_map = new frmMap(m_dataFolders);
    bringToFront(m_map);
}

void HelpMenu::mnuHelpSummary_Click()
{
    if (!m_summary)
        m_summary = new frmSummary(m_tables);
    bringToFront(m_summary);
}

void HelpMenu::mnuHelpClockTimes_Click()
{
    if (!m_clockTimes)
        m_clockTimes = new frmClockTimes(m_tables, utcNow, placeOf);
    bringToFront(m_clockTimes);
}

void HelpMenu::mnuHelpWeb_Click()
{
    openWebPage(MakerInfo::kWebAddress);
}

void HelpMenu::mnuHelpZone_Click()
{
    openWebPage(MakerInfo::kWorldClockAddress);
}

void HelpMenu::openWebPage(const QString& address)
{
    // Said rather than swallowed: a click that does nothing leaves the operator guessing.
    const LaunchResult result = m_launcher.openUrl(QUrl(address));
    if (!result.ok)
        message(QStringLiteral("Can't open the web page") + kCR + quoted(address) + kCR + result.reason, true);
}

void HelpMenu::mnuHelpSync_Click()
{
    const ClockSyncReport report = DescribeClockSync(m_launcher.clockSync());
    message(report.text, report.problem);
}

void HelpMenu::mnuHelpAbout_Click()
{
    frmAbout about(m_owner);
    about.exec();
}

void HelpMenu::message(const QString& text, bool problem)
{
    m_dialogs.MsgBox(text, MsgButtons::Ok, problem ? MsgIcon::Exclamation : MsgIcon::None, MsgResult::Ok);
}
