#include "ui/auxiliary/frmPlace.h"

#include "app/TimeReports.h"
#include "model/CodeTables.h"
#include "model/LocalTime.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTimeZone>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kYearsAhead = 10;
} // namespace

frmPlace::frmPlace(std::function<QDateTime()> utcNow, QWidget* owner)
    : QDialog(owner), m_utcNow(std::move(utcNow)), m_openedSecs(m_utcNow().toSecsSinceEpoch()),
      m_fromYear(m_utcNow().date().year()), m_toYear(m_fromYear + kYearsAhead)
{
    setObjectName(QStringLiteral("frmPlace"));
    setWindowTitle(QStringLiteral("Quillmarch -- Choose by Place"));
    setWindowModality(Qt::WindowModal);
    Search = new QLineEdit(this);
    Search->setObjectName(QStringLiteral("Search"));
    Search->setPlaceholderText(QStringLiteral("Search places, such as Berlin, New York or Germany"));
    Search->setClearButtonEnabled(true);
    Places = new QListWidget(this);
    Places->setObjectName(QStringLiteral("Places"));
    Result = new QLabel(this);
    Result->setObjectName(QStringLiteral("Result"));
    Result->setWordWrap(true);
    Result->setTextFormat(Qt::PlainText);
    Result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Result->setMinimumHeight(Result->fontMetrics().lineSpacing() * 7);
    Result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* buttons = new QDialogButtonBox(this);
    CancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    OKButton = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* search = new QLabel(QStringLiteral("&Place"), this);
    search->setBuddy(Search);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search);
    layout->addWidget(Search);
    layout->addWidget(Places, 1);
    layout->addWidget(Result);
    layout->addWidget(buttons);
    resize(560, 480);

    const QByteArray system = QTimeZone::systemTimeZoneId();
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
        const QLocale::Territory territory = QTimeZone(id).territory();
        QString text = QString::fromUtf8(id);
        if (territory != QLocale::AnyTerritory)
            text += QStringLiteral(" (%1)").arg(QLocale::territoryToString(territory));
        auto* item = new QListWidgetItem(text, Places);
        item->setData(Qt::UserRole, id);
        m_search.add(id, territory);
        if (id == system)
            Places->setCurrentItem(item);
    }
    connect(Search, &QLineEdit::textChanged, this, &frmPlace::filter);
    connect(Places, &QListWidget::currentItemChanged, this, &frmPlace::match);
    // Not itemActivated: where one click activates, the operator would lose the verdict they clicked to read.
    connect(Places, &QListWidget::itemDoubleClicked, this, [this] {
        if (m_choice)
            accept();
    });
    // The list follows Up and Down typed in the search field.
    Search->installEventFilter(this);
    Search->setFocus();
    match();
    // Just after each second begins, so the seconds shown tick with the clocks'.
    auto* tick = new QTimer(this);
    tick->setSingleShot(true);
    connect(tick, &QTimer::timeout, this, [this, tick] {
        showNow();
        tick->start(1005 - int(m_utcNow().time().msec()));
    });
    tick->start(0);
}

bool frmPlace::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Search && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        if (k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_PageUp || k == Qt::Key_PageDown) {
            QKeyEvent copy(QEvent::KeyPress, k, key->modifiers());
            QCoreApplication::sendEvent(Places, &copy);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmPlace::filter(const QString& typed)
{
    const PlaceSearch::Found found = m_search.find(typed, Places->currentRow());
    for (int i = 0; i < Places->count(); ++i)
        Places->item(i)->setHidden(!found.shown.value(i));
    // What is selected is always a place the operator can see, and the one that fits best.
    Places->setCurrentRow(found.selected);
    if (found.selected < 0)
        match();
    else
        Places->scrollToItem(Places->currentItem());
}

void frmPlace::match()
{
    const QListWidgetItem* item = Places->currentItem();
    m_choice.reset();
    if (item && !item->isHidden()) {
        const QByteArray id = item->data(Qt::UserRole).toByteArray();
        if (const QList<CodeMatch> matches = MatchingCodes(id, m_fromYear, m_toYear, m_openedSecs); !matches.isEmpty())
            m_choice = matches.first();
    }
    OKButton->setEnabled(m_choice.has_value());
    if (!m_choice) {
        bool anyShown = false;
        for (int i = 0; i < Places->count() && !anyShown; ++i)
            anyShown = !Places->item(i)->isHidden();
        Result->setText(item && !item->isHidden() ? QStringLiteral("No codes can be worked out for this place.")
                        : anyShown                ? QStringLiteral("Choose a place from the list.")
                                                  : QStringLiteral("No place matches the search."));
        return;
    }
    const QString place = QString::fromUtf8(item->data(Qt::UserRole).toByteArray());
    const CodeMatch& m = *m_choice;
    const QString codes =
        QStringLiteral("Time Zone: %1\nDaylight Savings: %2")
            .arg(EntryText(TimeZoneList[size_t(m.zonePosition)]), EntryText(DaylightList[size_t(m.daylightPosition)]));
    QString verdict =
        m.exact() ? QStringLiteral("Exact: these codes show the time of %1 at every moment from now to the end of %2.")
                        .arg(place)
                        .arg(m_toYear)
                  : QStringLiteral("Not exact: no codes show the time of %1 at every moment from now to the end of %2. "
                                   "With the closest, the time shown %3")
                        .arg(place)
                        .arg(m_toYear)
                        .arg(DescribeMatch(m, item->data(Qt::UserRole).toByteArray()));
    if (!verdict.endsWith(u'.'))
        verdict += u'.';
    if (m.approximate && m.exact()) // else the description above has said it
        verdict += QStringLiteral(" The daylight rule's text is unclear; it is read as: %1.")
                       .arg(ApproximateReading(m.daylightPosition));
    m_verdict = codes + u'\n' + verdict;
    showNow();
}

void frmPlace::showNow()
{
    if (!m_choice)
        return;
    const ShownTimeText now = DescribeShownTime(m_choice->zonePosition, m_choice->daylightPosition, m_utcNow());
    Result->setText(QStringLiteral("%1\nClocks would show %2 now; %3.")
                        .arg(m_verdict, now.shows,
                             now.change.isEmpty() ? QStringLiteral("no change ahead") : "next change " + now.change));
}

QToolButton* MakePlaceButton(QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("PlaceButton"));
    button->setText(QStringLiteral("Choose by p&lace..."));
    button->setToolTip(QStringLiteral("Fill Time Zone and Daylight Savings with the codes that show a place's time"));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    return button;
}

QString frmPlace::place() const
{
    const QListWidgetItem* item = Places->currentItem();
    return item && !item->isHidden() ? QString::fromUtf8(item->data(Qt::UserRole).toByteArray()) : QString();
}

void frmPlace::selectPlace(const QString& place)
{
    const QByteArray id = place.toUtf8();
    for (int i = 0; i < Places->count(); ++i)
        if (Places->item(i)->data(Qt::UserRole).toByteArray() == id) {
            Places->setCurrentRow(i);
            Places->scrollToItem(Places->currentItem(), QAbstractItemView::PositionAtCenter);
            return;
        }
    // At the end, where the search's own list has it too.
    auto* item = new QListWidgetItem(place, Places);
    item->setData(Qt::UserRole, id);
    m_search.add(id, QTimeZone(id).territory());
    Places->setCurrentItem(item);
    Places->scrollToItem(item);
}

QString ChooseCodesByPlace(QComboBox* zone, QComboBox* daylight, const QString& place,
                           const std::function<QDateTime()>& utcNow, QWidget* owner)
{
    frmPlace dialog(utcNow, owner);
    if (!place.isEmpty())
        dialog.selectPlace(place);
    if (dialog.exec() != QDialog::Accepted || !dialog.choice())
        return {};
    zone->setCurrentIndex(dialog.choice()->zonePosition);
    daylight->setCurrentIndex(dialog.choice()->daylightPosition);
    return dialog.place();
}
