#include "ui/main/frmMfgMode.h"

#include "platform/Dialogs.h"
#include "platform/Sounds.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kPassword = QStringLiteral("brashor");
// Wider than the controls need: a window manager's title bar, with its buttons, must hold the whole title.
constexpr double kWidened = 1200;
} // namespace

frmMfgMode::frmMfgMode(Dialogs& dialogs, Sounds& sounds, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmMfgMode"));
    setWindowTitle(QStringLiteral(" Quillmarch Manufacturing Mode"));
    const double dpi = LogicalDpi(owner);
    setFixedSize(TwipsToPixels(4500 + kWidened, dpi), TwipsToPixels(1215, dpi));

    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    Password->setGeometry(TwipsRect(240, 720, 2655 + kWidened, 285, dpi));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(TwipsRect(3120 + kWidened, 720, 1215, 375, dpi));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(TwipsRect(3120 + kWidened, 120, 1215, 375, dpi));
    CancelButton->setAutoDefault(false);
    Label1 = new QLabel(QStringLiteral("Please enter the manufacturing mode password to use this feature"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(TwipsRect(240, 120, 3015 + kWidened, 735, dpi));
    setTabOrder(Password, OKButton);
    setTabOrder(OKButton, CancelButton);
    connect(OKButton, &QPushButton::clicked, this, &frmMfgMode::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmMfgMode::CancelButton_Click);
    Password->setFocus();

    // Load: the system beep.
    sounds.exclamation();
}

void frmMfgMode::OKButton_Click()
{
    // Exactly as typed: case counts and blanks are not trimmed.
    if (Password->text() == kPassword) {
        m_unlocked = true;
        accept();
        return;
    }
    m_dialogs.MsgBox(QStringLiteral("Incorrect Password"), MsgButtons::Ok, MsgIcon::None, MsgResult::Ok);
}

void frmMfgMode::CancelButton_Click()
{
    reject();
}
