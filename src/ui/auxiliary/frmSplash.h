// The splash window shown while the program loads: product name, maker, version.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;

class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    QFrame* fraMainFrame = nullptr;
    QLabel* picLogo = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblCopyright = nullptr;

private:
    void Form_Load();
};

// A font family list that falls back to what Debian has when the original's fonts are missing.
QFont DesignFont(const QString& family, double pointSize, bool bold = false, bool italic = false);
