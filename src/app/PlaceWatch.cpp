#include "app/PlaceWatch.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>

const QString kZoneFolder = QStringLiteral("/usr/share/zoneinfo");

PlaceWatch::PlaceWatch(Source source, Checker checker, QString zoneFolder, QObject* parent)
    : QObject(parent), m_source(std::move(source)), m_checker(std::move(checker)), m_zoneFolder(std::move(zoneFolder))
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &PlaceWatch::poll);
}

void PlaceWatch::start()
{
    m_seenGroups = m_source();
    check(m_seenGroups);
    m_timer.start();
}

void PlaceWatch::poll()
{
    if (m_running)
        return;
    const QList<PlacedGroup> groups = m_source();
    // A group and its place are saved one after the other: check what has stayed the same for a whole poll, so a
    // half-saved group is never told as a finding.
    const bool settled = groups == m_seenGroups;
    m_seenGroups = groups;
    if (!settled)
        return;
    if (groups != m_checkedGroups || databaseStamp(groups) != m_checkedStamp || m_sinceCheck.hasExpired(kRecheckMs))
        check(groups);
}

void PlaceWatch::check(const QList<PlacedGroup>& groups)
{
    m_running = true;
    m_checkedGroups = groups;
    m_checkedStamp = databaseStamp(groups);
    m_sinceCheck.start();
    // A process ended as the watch goes must not report to it.
    m_checker(groups, this,
              [self = QPointer<PlaceWatch>(this), this](const QList<PlaceFinding>& findings, const QString& error) {
                  if (!self)
                      return;
                  m_running = false;
                  if (!error.isEmpty()) {
                      emit checkFailed(error);
                      return;
                  }
                  m_findings = findings;
                  QList<PlaceFinding> fresh;
                  QSet<QString> now;
                  for (const PlaceFinding& finding : findings) {
                      if (finding.exact())
                          continue;
                      now.insert(finding.line());
                      if (!m_told.contains(finding.line()))
                          fresh.append(finding);
                  }
                  // A finding gone and back is told again.
                  m_told = now;
                  emit checked();
                  if (!fresh.isEmpty())
                      emit newFindings(fresh);
              });
}

const PlaceFinding* PlaceWatch::finding(int group) const
{
    for (const PlaceFinding& f : m_findings)
        if (f.group == group)
            return &f;
    return nullptr;
}

QStringList PlaceWatch::problemLines() const
{
    QStringList lines;
    for (const PlaceFinding& finding : m_findings)
        if (!finding.exact())
            lines << finding.line();
    return lines;
}

QString PlaceWatch::databaseStamp(const QList<PlacedGroup>& groups) const
{
    // An update writes new files and renames them over the old: a new change time, whatever the file's own time.
    QString stamp;
    QStringList files{m_zoneFolder};
    for (const PlacedGroup& group : groups)
        files << m_zoneFolder + u'/' + group.place;
    for (const QString& path : files) {
        const QFileInfo file(path);
        stamp += QStringLiteral("%1 %2 %3 %4;")
                     .arg(file.exists())
                     .arg(file.size())
                     .arg(file.lastModified().toMSecsSinceEpoch())
                     .arg(file.metadataChangeTime().toMSecsSinceEpoch());
    }
    return stamp;
}

PlaceWatch::Checker ProcessPlaceChecker(QString program)
{
    return [program](const QList<PlacedGroup>& groups, QObject* owner, PlaceWatch::Done done) {
        if (groups.isEmpty()) {
            done({}, {});
            return;
        }
        auto* process = new QProcess(owner);
        QByteArray input;
        for (const PlacedGroup& group : groups)
            input += group.line().toUtf8() + '\n';
        auto* limit = new QTimer(process);
        limit->setSingleShot(true);
        QObject::connect(limit, &QTimer::timeout, process, &QProcess::kill);
        QObject::connect(
            process, &QProcess::finished, process,
            [process, done, count = groups.size()](int code, QProcess::ExitStatus status) {
                process->deleteLater();
                QList<PlaceFinding> findings;
                for (const QByteArray& line : process->readAllStandardOutput().split('\n'))
                    if (const auto finding = PlaceFinding::parse(QString::fromUtf8(line)))
                        findings.append(*finding);
                if (status != QProcess::NormalExit || code > 2 || findings.size() != count) {
                    const QString why = QString::fromLocal8Bit(process->readAllStandardError()).simplified().left(200);
                    done({}, QStringLiteral("the check of the groups' places did not finish: %1")
                                 .arg(!why.isEmpty()                   ? why
                                      : status == QProcess::NormalExit ? QStringLiteral("exit status %1").arg(code)
                                                                       : QStringLiteral("it was ended")));
                } else
                    done(findings, {});
            });
        QObject::connect(process, &QProcess::errorOccurred, process, [process, done](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return; // the end is reported by finished()
            process->deleteLater();
            done({}, QStringLiteral("the check of the groups' places could not start: ") + process->errorString());
        });
        process->start(program, {QStringLiteral("--check-places"), QStringLiteral("--groups-on-stdin")});
        process->write(input);
        process->closeWriteChannel();
        limit->start(60 * 1000);
    };
}

QString PlaceFindingMessage(const PlaceFinding& finding)
{
    const QString letter = IndexToLetter(finding.group);
    QString text = QStringLiteral("Group %1 (%2): %3.").arg(letter, finding.place, finding.detail);
    if (finding.verdict == PlaceFinding::Verdict::Differs)
        text += QString(2, QChar(13)) +
                QStringLiteral("To send the codes Choose by place... finds for it, choose Group Letter %1, press "
                               "Choose by place..., take %2 and press Apply.")
                    .arg(letter, finding.place);
    return text;
}

QString PlaceColumnText(const QString& place, const PlaceFinding* finding)
{
    if (place.isEmpty())
        return {};
    if (!finding || finding->place != place)
        return place + QStringLiteral(": not checked yet");
    return place + QStringLiteral(": ") + finding->detail;
}
