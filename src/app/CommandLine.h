// The command line: the one parser behind --help, and what the words after the program's name ask for.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

class CommandLine
{
public:
    enum class Request { Window, Service, Help, Version, ListPorts, Status, ClockTimes, MatchZone, CheckPlaces };

    // `words`: the arguments after the program's name, as the system split them.
    explicit CommandLine(const QStringList& words);

    Request request() const { return m_request; }
    // Window and Service: the link's words joined by single blanks, as typed ("UDP 5000"; empty for none).
    const QString& linkText() const { return m_linkText; }
    // MatchZone: whether a zone follows --match-zone, the zone, and the years after it (empty when none).
    bool zoneGiven() const { return m_zoneGiven; }
    const QString& zone() const { return m_zone; }
    const QString& years() const { return m_years; }
    // CheckPlaces: the horizon in days (0 when the words after it are wrong), and whether the groups come on
    // standard input (the running program's own check) instead of from the settings file.
    int days() const { return m_days; }
    bool groupsOnStdin() const { return m_groupsOnStdin; }
    static constexpr int kDefaultDays = 365;
    static constexpr int kMostDays = 3650;

    // Print the help or the version on standard output and end the program with status 0. They name the program
    // as the running QCoreApplication does.
    [[noreturn]] void showHelp() { m_parser.showHelp(0); }
    [[noreturn]] void showVersion() { m_parser.showVersion(); }

private:
    QCommandLineParser m_parser;
    Request m_request = Request::Window;
    QString m_linkText;
    bool m_zoneGiven = false;
    QString m_zone, m_years;
    int m_days = kDefaultDays;
    bool m_groupsOnStdin = false;
};
