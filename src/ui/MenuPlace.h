// Where a button such as Help... opens its pop-up menu: where the pointer was when the button was clicked, and
// below the button when it was pressed from the keyboard (Space, Enter, its mnemonic), wherever the pointer is then.
#pragma once

#include <QObject>
#include <QPoint>
#include <optional>

class QAbstractButton;

class MenuPlace : public QObject
{
public:
    explicit MenuPlace(QAbstractButton* button); // watches the button, which owns it
    // For the press being handled now.
    QPoint take();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* m_button;
    std::optional<QPoint> m_clickedAt; // a mouse release on the button not yet taken
};
