// Keeps checking the groups that have a place against the system's zone database: at start, every hour, when the
// groups or their places change, and soon after the database changes (a package update replaces its files).
#pragma once

#include "model/PlaceCheck.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>

class PlaceWatch : public QObject
{
    Q_OBJECT

public:
    // The groups to check as they are now.
    using Source = std::function<QList<PlacedGroup>()>;
    // Checks the groups and calls `done` once, with the findings or why there are none; what it leaves running
    // belongs to `owner`.
    using Done = std::function<void(const QList<PlaceFinding>& findings, const QString& error)>;
    using Checker = std::function<void(const QList<PlacedGroup>& groups, QObject* owner, Done done)>;

    PlaceWatch(Source source, Checker checker, QString zoneFolder, QObject* parent = nullptr);

    // The first check at once, then the watch.
    void start();
    // Looks whether the groups, the database or the hour ask for a check; the timer calls it.
    void poll();

    // The last check's findings, one per group with a place.
    const QList<PlaceFinding>& findings() const { return m_findings; }
    // The finding of one group, if it has a place and has been checked.
    const PlaceFinding* finding(int group) const;
    // The lines of the findings that are not exact.
    QStringList problemLines() const;

    static constexpr int kPollMs = 15000;
    static constexpr qint64 kRecheckMs = 3600 * 1000;

signals:
    void checked();
    // Findings not exact and not told before; each is told once while it stays the same.
    void newFindings(const QList<PlaceFinding>& findings);
    void checkFailed(const QString& error);

private:
    void check(const QList<PlacedGroup>& groups);
    // What identifies the database files the groups' places are read from, to notice them replaced.
    QString databaseStamp(const QList<PlacedGroup>& groups) const;

    Source m_source;
    Checker m_checker;
    QString m_zoneFolder;
    QTimer m_timer;
    QElapsedTimer m_sinceCheck;
    QList<PlacedGroup> m_checkedGroups, m_seenGroups;
    QString m_checkedStamp;
    bool m_running = false;
    QList<PlaceFinding> m_findings;
    QSet<QString> m_told;
};

// The checker of the running program: a fresh process of its own (`--check-places --groups-on-stdin`), because Qt
// keeps a zone's data for the life of a process and would never see the database updated.
PlaceWatch::Checker ProcessPlaceChecker(QString program);

// For the operator's windows: one finding, what it means for the clocks and the way to the codes that fit.
QString PlaceFindingMessage(const PlaceFinding& finding);
// For the clock times window: "Africa/Cairo: exact for the next 12 months", or the finding.
QString PlaceColumnText(const QString& place, const PlaceFinding* finding);

// The zones' folder of the system, as Qt reads it.
extern const QString kZoneFolder;
