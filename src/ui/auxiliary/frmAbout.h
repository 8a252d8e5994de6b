// The About window: product name, version, description and the maker's contact block.
#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;

class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* owner = nullptr);

    QLabel* picLogo = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    std::array<QLabel*, 10> Label{}; // Label1 to Label10: the contact block, the rights notice last
    QPushButton* cmdOK = nullptr;

private slots:
    void cmdOK_Click();

private:
    void Form_Load();
};
