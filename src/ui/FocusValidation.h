// Validation that can keep the focus: before the focus leaves a field for a control that "causes validation"
// (by a click, Tab, Backtab, or Enter pressing the default button), the field's validator runs; when it refuses,
// the click or key is eaten, so the focus, and the click on a button, stay where they were.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

class FocusValidation : public QObject
{
    Q_OBJECT

public:
    // Watches the key presses and clicks aimed at `window` and its children.
    explicit FocusValidation(QWidget* window);
    ~FocusValidation() override;

    // `validate` returns false to keep the focus in `field`.
    void setValidator(QWidget* field, std::function<bool()> validate);
    // Every control causes validation unless marked otherwise (Cancel, Exit, Help...).
    void setCausesValidation(QWidget* control, bool causes);
    // The button Enter presses; it receives the same treatment as a click on it.
    void setDefaultButton(QWidget* button) { m_defaultButton = button; }

    // Runs the focused field's validator as the focus would leave it for `target`; true when it may go.
    bool validateBefore(QWidget* target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* controlOf(QWidget* widget) const; // the registered control that holds `widget`, or the widget itself
    QWidget* tabTarget(bool forward) const;

    QWidget* m_window;
    QHash<QWidget*, std::function<bool()>> m_validators;
    QHash<QWidget*, bool> m_causes;
    QPointer<QWidget> m_defaultButton;
    bool m_validating = false;
};
