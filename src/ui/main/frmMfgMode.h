// The manufacturing-mode password dialog: the right password unlocks the command keys for the rest of the run.
#pragma once

#include <QDialog>

class Dialogs;
class QLabel;
class QLineEdit;
class QPushButton;
class Sounds;

class frmMfgMode : public QDialog
{
    Q_OBJECT

public:
    frmMfgMode(Dialogs& dialogs, Sounds& sounds, QWidget* owner);

    bool unlocked() const { return m_unlocked; }

    QLineEdit* Password = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QLabel* Label1 = nullptr;

private slots:
    void OKButton_Click();
    void CancelButton_Click();

private:
    Dialogs& m_dialogs;
    bool m_unlocked = false;
};
