#include "app/Journal.h"

#include <QRegularExpression>

QString JournalLine(bool servicePrefixes, Journal::Priority priority, const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
    QString line = text.trimmed();
    line.replace(breaks, QStringLiteral("; "));
    if (servicePrefixes)
        return QStringLiteral("<%1>").arg(int(priority)) + line;
    return QStringLiteral("quillmarch: ") + line;
}

void Journal::write(Priority priority, const QString& text)
{
    const QByteArray line = JournalLine(m_prefixes, priority, text).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), m_out);
    std::fflush(m_out);
}

Journal& Journal::standardError()
{
    static Journal journal;
    return journal;
}
