// The Help pop-up menu: manual, map, summary, clock times, web pages, the clock's synchronisation and About.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class Dialogs;
class Launcher;
class QAction;
class QMenu;
class QPoint;
class QWidget;
class frmClockTimes;
class frmMap;
class frmSummary;
struct GroupTables;

inline const QString kHelpFileName = QStringLiteral("QUILLMARCH.html");

class HelpMenu : public QObject
{
    Q_OBJECT

public:
    // `owner` (the main window) owns the About window and the message boxes, whichever window shows the menu.
    // The manual and the map are looked for in `dataFolders`, in order.
    HelpMenu(GroupTables& tables, Launcher& launcher, Dialogs& dialogs, QWidget* owner, QStringList dataFolders);
    ~HelpMenu() override;

    // Shows the menu at `globalPos` and returns when it has closed and the chosen entry's action has run to its end:
    // the About window has been closed again, the map or summary window has just been shown. The caller then
    // restores its own buttons and focus.
    void exec(const QPoint& globalPos);

    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpFinder = nullptr;
    QAction* mnuHelpDiv1 = nullptr;
    QAction* mnuHelpMap = nullptr;
    QAction* mnuHelpSummary = nullptr;
    QAction* mnuHelpClockTimes = nullptr;
    QAction* mnuHelpDiv2 = nullptr;
    QAction* mnuHelpWeb = nullptr;
    QAction* mnuHelpZone = nullptr;
    QAction* mnuHelpSync = nullptr;
    QAction* mnuHelpAbout = nullptr;

    // The open map, summary and clock times windows, null when closed.
    frmMap* mapWindow() const;
    frmSummary* summaryWindow() const;
    frmClockTimes* clockTimesWindow() const;

    // The time the clock times window shows the clocks at.
    std::function<QDateTime()> utcNow = [] { return QDateTime::currentDateTimeUtc(); };
    // For the clock times window: a group's place and its check, empty for a group without one.
    std::function<QString(int group)> placeOf;

private slots:
    void mnuHelpFinder_Click();
    void mnuHelpMap_Click();
    void mnuHelpSummary_Click();
    void mnuHelpClockTimes_Click();
    void mnuHelpWeb_Click();
    void mnuHelpZone_Click();
    void mnuHelpSync_Click();
    void mnuHelpAbout_Click();

private:
    void openWebPage(const QString& address);
    void message(const QString& text, bool problem);

    GroupTables& m_tables;
    Launcher& m_launcher;
    Dialogs& m_dialogs;
    QPointer<QWidget> m_owner;
    QStringList m_dataFolders;
    QPointer<frmMap> m_map;
    QPointer<frmSummary> m_summary;
    QPointer<frmClockTimes> m_clockTimes;
};
