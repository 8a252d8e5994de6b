// SIGTERM and SIGINT turned into a Qt signal on the GUI thread, so the program can end as if closed by hand.
#pragma once

#include <QObject>

class QSocketNotifier;

class UnixSignals : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers; only one instance may exist.
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    static void handler(int signalNumber);
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};
