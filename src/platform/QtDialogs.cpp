#include "platform/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton toStandard(MsgResult r)
{
    switch (r) {
    case MsgResult::Ok:
        return QMessageBox::Ok;
    case MsgResult::Cancel:
        return QMessageBox::Cancel;
    case MsgResult::Yes:
        return QMessageBox::Yes;
    case MsgResult::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

} // namespace

MsgResult QtDialogs::MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, MsgResult defaultButton,
                            const QString& title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    // Our texts break lines with CR; on screen each CR is a line break.
    QString shown = text;
    shown.replace(QChar(13), QChar(10));
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toStandard(defaultButton));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Ok:
        return MsgResult::Ok;
    default:
        // Closed without a button (Escape, close box): the escape button's answer.
        return buttons == MsgButtons::Ok      ? MsgResult::Ok
               : buttons == MsgButtons::YesNo ? MsgResult::No
                                              : MsgResult::Cancel;
    }
}
