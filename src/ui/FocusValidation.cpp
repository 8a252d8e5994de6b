#include "ui/FocusValidation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

FocusValidation::FocusValidation(QWidget* window) : QObject(window), m_window(window)
{
    // An application-wide filter sees a click before the clicked widget takes the focus.
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &FocusValidation::focusMoved);
}

FocusValidation::~FocusValidation()
{
    qApp->removeEventFilter(this);
}

void FocusValidation::setValidator(QWidget* field, std::function<bool()> validate)
{
    m_validators.insert(field, std::move(validate));
}

void FocusValidation::setCausesValidation(QWidget* control, bool causes)
{
    m_causes.insert(control, causes);
}

QWidget* FocusValidation::controlOf(QWidget* widget) const
{
    for (QWidget* w = widget; w && w != m_window; w = w->parentWidget()) {
        if (m_validators.contains(w) || m_causes.contains(w))
            return w;
    }
    return widget;
}

QWidget* FocusValidation::fieldDue(QWidget* from, QWidget* to)
{
    QWidget* field = from && m_validators.contains(from) ? from : m_waiting.data();
    if (!field || !to)
        return nullptr;
    if (to == field) { // back in the field: checked when it is left again
        m_waiting = nullptr;
        return nullptr;
    }
    if (!m_causes.value(to, true)) {
        m_waiting = field;
        return nullptr;
    }
    m_waiting = nullptr;
    return field;
}

bool FocusValidation::runValidator(QWidget* field)
{
    // A validator may show a message box; the clicks, keys and focus changes of that box are not ours to judge.
    m_validating = true;
    const bool ok = m_validators.value(field)();
    m_validating = false;
    return ok;
}

bool FocusValidation::validateBefore(QWidget* target)
{
    if (m_validating)
        return true;
    m_passed = nullptr;
    QWidget* from = controlOf(QApplication::focusWidget());
    QWidget* to = controlOf(target);
    QWidget* field = fieldDue(from, to);
    if (!field)
        return true;
    if (!runValidator(field)) {
        if (field != from)
            field->setFocus(Qt::OtherFocusReason);
        return false;
    }
    m_passed = to;
    return true;
}

void FocusValidation::focusMoved(QWidget* old, QWidget* now)
{
    if (m_validating || !now || now->window() != m_window)
        return;
    QWidget* to = controlOf(now);
    if (to == m_passed) {
        m_passed = nullptr;
        return;
    }
    m_passed = nullptr;
    QWidget* from = old && old->window() == m_window ? controlOf(old) : nullptr;
    QPointer<QWidget> field = fieldDue(from, to);
    if (!field)
        return;
    // After the move has ended: a message box in the middle of Qt's own focus change would confuse it.
    QTimer::singleShot(0, this, [this, field] {
        if (field && !runValidator(field))
            field->setFocus(Qt::OtherFocusReason);
    });
}

QWidget* FocusValidation::tabTarget(bool forward) const
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return nullptr;
    QWidget* from = controlOf(focus);
    QWidget* w = focus;
    for (int guard = 0; guard < 1000; ++guard) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == focus)
            return nullptr;
        if (w->window() == m_window && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisibleTo(m_window) && controlOf(w) != from)
            return w;
    }
    return nullptr;
}

bool FocusValidation::eventFilter(QObject* watched, QEvent* event)
{
    if (m_validating)
        return false;
    // A click reaches the window before the widget under it: Qt moves the focus to the widget before any
    // filter sees the widget's own press, so the veto has to come here.
    if (watched == m_window->windowHandle() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        QWidget* target = m_window->childAt(at);
        return !validateBefore(target ? target : m_window);
    }
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Shortcut: // a button's Alt+mnemonic
        return !validateBefore(widget);
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Only the event as it reaches the focused widget counts, not its propagation to the parents.
        if (widget != QApplication::focusWidget())
            return false;
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return !validateBefore(tabTarget(!(key->modifiers() & Qt::ShiftModifier)));
        if (key->key() == Qt::Key_Backtab)
            return !validateBefore(tabTarget(false));
        // A focused button takes Enter itself; elsewhere Enter presses the default button.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !qobject_cast<QAbstractButton*>(widget) &&
            m_defaultButton && m_defaultButton->isEnabled())
            return !validateBefore(m_defaultButton);
        return false;
    }
    default:
        return false;
    }
}
