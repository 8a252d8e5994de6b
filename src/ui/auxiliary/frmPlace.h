// Choosing by place: a place from the system's time zones, and the zone and daylight codes that show its time.
#pragma once

#include "app/PlaceSearch.h"
#include "model/CodeMatching.h"

#include <QDateTime>
#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

class frmPlace : public QDialog
{
    Q_OBJECT

public:
    // Codes are matched from the moment it opens to the end of the tenth year after; the "now" shown is `utcNow`'s,
    // each second.
    frmPlace(std::function<QDateTime()> utcNow, QWidget* owner);

    QLineEdit* Search = nullptr;
    QListWidget* Places = nullptr;
    QLabel* Result = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

    // The best codes for the place selected, exact or closest; nothing while no place is selected.
    const std::optional<CodeMatch>& choice() const { return m_choice; }
    // The place selected, such as "Africa/Cairo"; empty while none is.
    QString place() const;
    // Selects a place; one the list does not hold (an old name the database keeps as a link) is added to it.
    void selectPlace(const QString& place);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filter(const QString& typed);
    void match();
    void showNow();

    std::function<QDateTime()> m_utcNow;
    qint64 m_openedSecs;
    int m_fromYear, m_toYear;
    PlaceSearch m_search;
    QString m_verdict; // the codes and whether they fit, above the "now" line
    std::optional<CodeMatch> m_choice;
};

// The button beside Time Zone that opens the dialog: it takes no focus, so the tab order stays, and Alt+L opens it.
QToolButton* MakePlaceButton(QWidget* parent);

// Asks for a place, opening on `place` when one is given, and puts its best codes into the two lists, as if the
// operator had chosen them there; the place chosen, or empty when the operator cancelled.
QString ChooseCodesByPlace(QComboBox* zone, QComboBox* daylight, const QString& place,
                           const std::function<QDateTime()>& utcNow, QWidget* owner);
