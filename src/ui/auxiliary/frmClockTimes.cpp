#include "ui/auxiliary/frmClockTimes.h"

#include "app/TimeReports.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// Late enough that the clock given has surely turned: the timer counts whole milliseconds on a clock of its own.
constexpr int kPastTheSecondMs = 10;
} // namespace

frmClockTimes::frmClockTimes(const GroupTables& tables, std::function<QDateTime()> utcNow,
                             std::function<QString(int group)> placeOf, QWidget* parent)
    : QWidget(parent, Qt::Window), m_tables(tables), m_utcNow(std::move(utcNow)), m_placeOf(std::move(placeOf))
{
    setObjectName(QStringLiteral("frmClockTimes"));
    setWindowTitle(QStringLiteral("Quillmarch Clock Times"));
    setAttribute(Qt::WA_DeleteOnClose);
    Times = new QTreeWidget(this);
    Times->setObjectName(QStringLiteral("Times"));
    Times->setRootIsDecorated(false);
    Times->setHeaderLabels({QStringLiteral("Group"), QStringLiteral("Clocks"), QStringLiteral("Shows now"),
                            QStringLiteral("Next change"), QStringLiteral("Time Zone"),
                            QStringLiteral("Daylight Savings"), QStringLiteral("Place")});
    Empty = new QLabel(QStringLiteral("No group has a clock."), this);
    Empty->setObjectName(QStringLiteral("Empty"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Times);
    layout->addWidget(Empty);
    refresh();
    for (int column = 0; column < 4; ++column)
        Times->resizeColumnToContents(column);
    resize(1200, 360);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // Just after each whole second of the clock given, so the seconds shown turn with the PC's own and a change
    // shows as it happens; re-armed from that clock each time, so nothing drifts.
    auto* tick = new QTimer(this);
    tick->setSingleShot(true);
    tick->setTimerType(Qt::PreciseTimer);
    const auto arm = [this, tick] { tick->start(1000 - m_utcNow().time().msec() + kPastTheSecondMs); };
    connect(tick, &QTimer::timeout, this, [this, arm] {
        refresh();
        arm();
    });
    arm();
}

void frmClockTimes::refresh()
{
    const QList<ClockTimeRow> rows = ClockTimeRows(m_tables, m_utcNow());
    // Rows are updated in place, so the selected row and the scroll position stay while the times tick.
    while (Times->topLevelItemCount() > rows.size())
        delete Times->takeTopLevelItem(Times->topLevelItemCount() - 1);
    for (int i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = Times->topLevelItem(i);
        if (!item)
            item = new QTreeWidgetItem(Times);
        const ClockTimeRow& row = rows[i];
        QString change = row.time.change.isEmpty() ? QStringLiteral("none") : row.time.change;
        if (!row.time.reading.isEmpty())
            change += QStringLiteral(" (rule read approximately: %1)").arg(row.time.reading);
        const QString place = m_placeOf ? m_placeOf(LetterToIndex(row.letter)) : QString();
        const QStringList texts = {row.letter, row.clocks, row.time.shows, change, row.zone, row.daylight, place};
        for (int column = 0; column < texts.size(); ++column) {
            item->setText(column, texts[column]);
            item->setToolTip(column, texts[column]); // the code texts are long and often shown cut
        }
    }
    Empty->setVisible(rows.isEmpty());
}
