#include "ui/auxiliary/frmSplash.h"

#include "app/MakerInfo.h"
#include "app/ProgramVersion.h"
#include "ui/auxiliary/Logo.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

QFont DesignFont(const QString& family, double pointSize, bool bold, bool italic)
{
    QFont font;
    font.setFamilies({family, QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

namespace {
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}
} // namespace

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    const QString sansSerif = QStringLiteral("MS Sans Serif");
    fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    fraMainFrame->setFrameStyle(QFrame::Box | QFrame::Plain);

    picLogo = new QLabel(fraMainFrame);
    picLogo->setObjectName(QStringLiteral("picLogo"));
    picLogo->setPixmap(DrawLogo(128));
    lblProductName = makeLabel(fraMainFrame, "lblProductName", QStringLiteral("Quillix"),
                               DesignFont(QStringLiteral("Verdana"), 36, true, true));
    lblCompanyProduct = makeLabel(fraMainFrame, "lblCompanyProduct", QStringLiteral("Orvale Instruments"),
                                  DesignFont(sansSerif, 18, true));
    lblPlatform = makeLabel(fraMainFrame, "lblPlatform", QStringLiteral("Time Network Control for Windows"),
                            DesignFont(sansSerif, 13.5, true));
    lblVersion = makeLabel(fraMainFrame, "lblVersion", QStringLiteral("Version X.Y"), DesignFont(sansSerif, 12, true));
    lblCompany =
        makeLabel(fraMainFrame, "lblCompany", QStringLiteral("Orvale Instruments, Inc."), DesignFont(sansSerif, 9.75));
    lblCopyright = makeLabel(fraMainFrame, "lblCopyright", MakerInfo::kRightsNotice, DesignFont(sansSerif, 9.75));

    auto* grid = new QGridLayout(fraMainFrame);
    grid->setContentsMargins(24, 20, 24, 16);
    grid->setHorizontalSpacing(24);
    grid->addWidget(picLogo, 0, 0, 3, 1, Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(lblCompanyProduct, 0, 1, Qt::AlignRight);
    grid->addWidget(lblProductName, 1, 1, Qt::AlignRight);
    grid->addWidget(lblPlatform, 2, 1, Qt::AlignRight);
    grid->addWidget(lblVersion, 3, 1, Qt::AlignRight);
    grid->setRowMinimumHeight(4, 24);
    grid->addWidget(lblCompany, 5, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(lblCopyright, 6, 0, 1, 2, Qt::AlignLeft);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(fraMainFrame);
    Form_Load();
}

void frmSplash::Form_Load()
{
    lblVersion->setText(VersionText());
    adjustSize();
    setFixedSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}
