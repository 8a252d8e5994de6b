// The time warning shown at start-up: the clocks will copy this PC's time, so check it first.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class SettingsStore;
class Sounds;

// The stored "TimeWarn" text: "False" or a zero turns the warning off; anything else leaves it on.
bool ShouldShowTimeWarning(const QString& stored);

class frmWarning : public QDialog
{
    Q_OBJECT

public:
    // exec() returns Accepted to go on with start-up, Rejected when the operator chose to end the program.
    // `clockSyncLine`: one line on whether the PC clock is synchronised right now; none when empty.
    frmWarning(SettingsStore& settings, Sounds& sounds, const QString& clockSyncLine = QString(),
               QWidget* parent = nullptr);

    QLabel* Picture1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QLabel* ClockSyncLine = nullptr;

public slots:
    // The close box goes on like OK, without saving.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void OKButton_Click();
    void CancelButton_Click();

private:
    SettingsStore& m_settings;
};
