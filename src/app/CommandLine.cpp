#include "app/CommandLine.h"

namespace {
const char* const kLinkHelp =
    "COM#, UDP# or a serial device path. COM# is serial port # (COM1 is /dev/ttyS0); UDP# broadcasts to\n"
    "UDP port # on 255.255.255.255; a path such as /dev/ttyUSB0 names the serial device itself.\n"
    "Without an argument the program uses COM1.";

// A word names an option as --help lists it: "-h" for a one-letter name, "--help" for a longer one.
QString spelling(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}
} // namespace

CommandLine::CommandLine(const QStringList& words)
{
    m_parser.setApplicationDescription(QStringLiteral(
        "Quillmarch drives a network of display clocks: every 333 ms it sends the next clock its time and text."));
    const QCommandLineOption help = m_parser.addHelpOption();
    const QCommandLineOption version = m_parser.addVersionOption();
    const QCommandLineOption listPorts(
        QStringLiteral("list-ports"),
        QStringLiteral("Print the serial devices present, one a line: the device path, then a TAB and its stable "
                       "/dev/serial/by-id/ name where there is one. Either path can be given as the link."));
    m_parser.addOption(listPorts);
    const QCommandLineOption service(
        QStringLiteral("service"),
        QStringLiteral("Runs without windows, for a service manager: sends on the link, takes over the groups the "
                       "windowed program saves, and logs to standard error with journald priorities. Give the link "
                       "after it: --service COM1."));
    m_parser.addOption(service);
    const QCommandLineOption status(
        QStringLiteral("status"),
        QStringLiteral("Prints one line per running sender of this user, window or service: the link, the role, the "
                       "sending status, the PC clock's state and the last packet's age, separated by TABs. Exits 0 "
                       "when all are sending, 1 when any has a fault, 3 when none runs, 4 when the session bus cannot "
                       "be reached."));
    m_parser.addOption(status);
    const QCommandLineOption matchZone(
        QStringLiteral("match-zone"),
        QStringLiteral(
            "Prints the zone and daylight positions whose clocks show the local time of ZONE (such as "
            "Europe/Berlin) in the years given after it (2025-2035; without, from now to the end of the tenth "
            "year after this one), "
            "best first, TAB-separated with their texts and \"exact\" or where they differ. Exits 0 when "
            "one fits exactly, 1 when only close ones, 2 for an unknown zone or years."),
        QStringLiteral("ZONE"));
    m_parser.addOption(matchZone);
    const QCommandLineOption clockTimes(
        QStringLiteral("clock-times"),
        QStringLiteral("Prints one line per group with clocks, from the settings file the service reads: its "
                       "letter, its clocks, the time they show now and their next change, TAB-separated."));
    m_parser.addOption(clockTimes);
    const QCommandLineOption checkPlaces(
        QStringLiteral("check-places"),
        QStringLiteral("Checks every group whose codes were chosen by place against the system's time zone database "
                       "for the next 12 months (--check-places --days N for N days): one line per group, its letter, "
                       "place, \"exact\", \"differs\" or \"unknown\", and what to do, TAB-separated. Exits 0 when "
                       "all are exact, 1 when any will differ, 2 when a place is not in the database."));
    m_parser.addOption(checkPlaces);
    QCommandLineOption days(QStringLiteral("days"), QStringLiteral("With --check-places: how many days ahead."),
                            QStringLiteral("N"));
    m_parser.addOption(days);
    QCommandLineOption groupsOnStdin(QStringLiteral("groups-on-stdin"));
    groupsOnStdin.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(groupsOnStdin);
    m_parser.addPositionalArgument(QStringLiteral("link"), QString::fromLatin1(kLinkHelp), QStringLiteral("[link]"));

    // The first word says what is asked; the link's words are the operator's and are shown back as typed when
    // they name no link, even where they look like options ("--help COM1", "--service --status", "--").
    m_linkText = words.join(QLatin1Char(' '));
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    m_parser.parse(QStringList{QStringLiteral("quillmarch")} + words);
    const QString first = m_parser.optionNames().value(0);
    if (first.isEmpty() || words.first() != spelling(first))
        return;
    const auto is = [&first](const QCommandLineOption& option) { return option.names().contains(first); };
    if (is(service)) {
        m_request = Request::Service;
        m_linkText = QStringList(words.mid(1)).join(QLatin1Char(' '));
    } else if (is(matchZone) && words.size() <= 3) {
        m_request = Request::MatchZone;
        m_zoneGiven = words.size() >= 2;
        m_zone = words.value(1);
        m_years = words.value(2);
    } else if (is(checkPlaces)) {
        m_request = Request::CheckPlaces;
        // Anything else after it makes the horizon 0, which the command refuses.
        for (qsizetype i = 1; i < words.size(); ++i) {
            if (words[i] == spelling(groupsOnStdin.names().first())) {
                m_groupsOnStdin = true;
                continue;
            }
            bool number = false;
            if (words[i] == spelling(days.names().first()) && i + 1 < words.size())
                m_days = words[++i].toInt(&number);
            if (!number || m_days < 1 || m_days > kMostDays) {
                m_days = 0;
                break;
            }
        }
    } else if (words.size() == 1) { // the other commands stand alone
        const std::pair<const QCommandLineOption&, Request> commands[] = {
            {help, Request::Help},     {version, Request::Version},       {listPorts, Request::ListPorts},
            {status, Request::Status}, {clockTimes, Request::ClockTimes},
        };
        for (const auto& [option, request] : commands)
            if (is(option))
                m_request = request;
    }
}
