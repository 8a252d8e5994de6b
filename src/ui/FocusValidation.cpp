#include "ui/FocusValidation.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

FocusValidation::FocusValidation(QWidget* window) : QObject(window), m_window(window)
{
    // An application-wide filter sees a click before the clicked widget takes the focus.
    qApp->installEventFilter(this);
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

bool FocusValidation::validateBefore(QWidget* target)
{
    QWidget* field = controlOf(QApplication::focusWidget());
    if (!field || !m_validators.contains(field) || m_validating)
        return true;
    QWidget* to = controlOf(target);
    if (!to || to == field || !m_causes.value(to, true))
        return true;
    // A validator may show a message box; the clicks and keys of that box are not ours to judge.
    m_validating = true;
    const bool ok = m_validators.value(field)();
    m_validating = false;
    return ok;
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
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_defaultButton &&
            m_defaultButton->isEnabled())
            return !validateBefore(m_defaultButton);
        return false;
    }
    default:
        return false;
    }
}
