#include "ui/auxiliary/frmWarning.h"

#include "model/SettingsStore.h"
#include "platform/Sounds.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

bool ShouldShowTimeWarning(const QString& stored)
{
    const QString text = stored.trimmed();
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    return !(isNumber && number == 0);
}

frmWarning::frmWarning(SettingsStore& settings, Sounds& sounds, const QString& clockSyncLine, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_settings(settings)
{
    setObjectName(QStringLiteral("frmWarning"));
    setWindowTitle(QStringLiteral("Quillmarch - SYSTEM TIME WARNING"));
    setModal(true);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(83, 83);
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(64, 64));

    auto* heading = new QLabel(QStringLiteral("WARNING"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont headingFont = heading->font();
    headingFont.setPointSize(18);
    headingFont.setBold(true);
    heading->setFont(headingFont);

    // Plain text: the "&" shows as it stands, and the two blanks after "time." are kept.
    auto* message = new QLabel(QStringLiteral("This program will set the date & time of all attached clocks to your "
                                              "current system time.  Please check and correct your system time (by "
                                              "clicking on the time in the taskbar) before proceeding."),
                               this);
    message->setObjectName(QStringLiteral("Label2"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setFixedWidth(420);

    ClockSyncLine = new QLabel(clockSyncLine, this);
    ClockSyncLine->setObjectName(QStringLiteral("ClockSyncLine"));
    ClockSyncLine->setTextFormat(Qt::PlainText);
    ClockSyncLine->setWordWrap(true);
    ClockSyncLine->setFixedWidth(420);
    ClockSyncLine->setVisible(!clockSyncLine.isEmpty());

    auto* press = new QLabel(QStringLiteral("PRESS OK TO PROCEED OR CANCEL TO TERMINATE THIS PROGRAM"), this);
    press->setObjectName(QStringLiteral("Label3"));
    press->setTextFormat(Qt::PlainText);

    Check1 = new QCheckBox(QStringLiteral("Never ask me this again"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &frmWarning::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmWarning::CancelButton_Click);

    auto* texts = new QVBoxLayout;
    texts->addWidget(heading);
    texts->addWidget(message);
    texts->addSpacing(8);
    texts->addWidget(ClockSyncLine);
    texts->addSpacing(8);
    texts->addWidget(press);
    auto* top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Check1);
    bottom->addStretch();
    bottom->addWidget(OKButton);
    bottom->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(top);
    layout->addSpacing(12);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Load: the warning sound, without waiting for it.
    sounds.exclamation();
}

void frmWarning::OKButton_Click()
{
    if (Check1->isChecked())
        m_settings.SaveSetting(QStringLiteral("TimeWarn"), QStringLiteral("False"));
    accept();
}

void frmWarning::CancelButton_Click()
{
    done(QDialog::Rejected);
}

void frmWarning::reject()
{
    accept();
}

void frmWarning::keyPressEvent(QKeyEvent* event)
{
    // Escape must not end the program, nor silently go on: it does nothing here, as Cancel is no escape button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
