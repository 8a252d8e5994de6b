#include "ui/auxiliary/frmAbout.h"

#include "app/MakerInfo.h"
#include "app/ProgramVersion.h"
#include "ui/auxiliary/Logo.h"
#include "ui/auxiliary/frmSplash.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillmarch"));

    picLogo = new QLabel(this);
    picLogo->setObjectName(QStringLiteral("picLogo"));
    picLogo->setPixmap(DrawLogo(96));

    lblName = new QLabel(QStringLiteral("Quillix"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblName->setFont(DesignFont(QStringLiteral("Verdana"), 29.25, true, true));

    lblVersion = new QLabel(QStringLiteral("Version X.Y"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    lblDescription = new QLabel(QStringLiteral("Time Network Control Software for Windows"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setFont(DesignFont(QStringLiteral("MS Sans Serif"), 9.75));

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* contact = new QVBoxLayout;
    contact->setSpacing(1);
    for (int i = 0; i < int(Label.size()); ++i) {
        auto* label = new QLabel(MakerInfo::kContactBlock.value(i), this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        // Addresses are there to be copied.
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        contact->addWidget(label);
        Label[size_t(i)] = label;
    }
    contact->insertSpacing(int(Label.size()) - 1, 8); // the rights notice stands apart

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true); // Enter; Escape closes the dialog the same way (reject)
    cmdOK->setMinimumWidth(90);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(18, 16, 18, 14);
    grid->setHorizontalSpacing(18);
    grid->addWidget(picLogo, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblName, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(rule, 3, 0, 1, 2);
    grid->addLayout(contact, 4, 0, 1, 2);
    grid->addWidget(cmdOK, 5, 1, Qt::AlignRight);
    Form_Load();
}

void frmAbout::Form_Load()
{
    lblVersion->setText(VersionText());
    adjustSize();
    setFixedSize(size());
    if (const QWidget* owner = parentWidget())
        move(owner->window()->frameGeometry().center() - rect().center());
}

void frmAbout::cmdOK_Click()
{
    accept();
}
