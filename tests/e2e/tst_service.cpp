// The real program as a service: no windows, journald lines, the settings file followed, one sender per link.
#include "support/Pty.h"
#include "support/RealProgram.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class tst_Service : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sendsAndFollowsTheWindowsSaves();
    void missingDeviceEndsWithAnError();
    void secondSenderOnOneLine();

private:
    void start(QProcess& program, const QString& link);
    QString journal(QProcess& program) { return QString::fromLocal8Bit(program.readAllStandardError()); }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_ini;
};

void tst_Service::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_ini = WriteSettings(*m_home, "[Settings]\nGroup-A=\"1-2\\t8\\t30\\tLOBBY\\t0\"\n");
    QVERIFY(!m_ini.isEmpty());
}

void tst_Service::start(QProcess& program, const QString& link)
{
    QProcessEnvironment env = ProgramEnvironment(*m_home);
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // no display of any kind is needed
    program.setProcessEnvironment(env);
    program.start(qEnvironmentVariable("QUILLMARCH_BINARY"), {QStringLiteral("--service"), link});
    QVERIFY(program.waitForStarted());
}

void tst_Service::sendsAndFollowsTheWindowsSaves()
{
    Pty pty;
    QVERIFY(!pty.slavePath.isEmpty());
    QProcess program;
    start(program, pty.slavePath);
    QCOMPARE(pty.nextPacket(), Pty::Found); // the clocks' order is the link object's, as in the window

    // What the window's Apply writes: QSettings replaces the file as a whole.
    {
        QSettings settings(m_ini, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Settings/Group-C"), QStringLiteral("7\t8\t30\tNEW TEXT\t0"));
    }
    QVERIFY2(pty.readPackets(
                 15000, [](const QByteArray& p) { return p.at(9) == 7 && p.mid(12, 20).trimmed() == "NEW TEXT"; }) ==
                 Pty::Found,
             "the group saved in the settings reaches the line");

    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString lines = journal(program);
    QVERIFY2(lines.contains(QStringLiteral("<6>group C now sends to clocks 7\n")), qPrintable(lines));
    QVERIFY2(lines.contains(QRegularExpression(QStringLiteral("^<[46]>PC Clock (NOT )?Synchronised: "),
                                               QRegularExpression::MultilineOption)),
             qPrintable(lines));
}

void tst_Service::missingDeviceEndsWithAnError()
{
    QProcess program;
    start(program, QStringLiteral("/dev/quillmarch-absent"));
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(journal(program),
             QStringLiteral("<3>Comm Port \"/dev/quillmarch-absent\" is not available on this system; "
                            "No such file or directory\n"));
}

void tst_Service::secondSenderOnOneLine()
{
    Pty line, otherLine;
    QVERIFY(!line.slavePath.isEmpty() && !otherLine.slavePath.isEmpty());
    QProcess first;
    start(first, line.slavePath);
    QCOMPARE(line.nextPacket(), Pty::Found);

    QProcess second;
    start(second, line.slavePath);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 1);
    QCOMPARE(journal(second), QStringLiteral("<3>Comm Port \"%1\" is in use by another Quillmarch; quillmarch "
                                             "(process %2) sends on it; this one sends nothing, so the two do not "
                                             "garble each other.\n")
                                  .arg(line.slavePath)
                                  .arg(first.processId()));
    // The line carried only whole packets meanwhile.
    QCOMPARE(line.readPackets(3000, [](const QByteArray&) { return false; }), Pty::TimedOut);

    QProcess third;
    start(third, otherLine.slavePath);
    QVERIFY2(otherLine.nextPacket() == Pty::Found, "another line is free");
    for (QProcess* p : {&first, &third}) {
        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(p->waitForFinished(10000));
        QCOMPARE(p->exitCode(), 0);
    }
}

QTEST_GUILESS_MAIN(tst_Service)
#include "tst_service.moc"
