// Validation that can keep the focus: before the focus leaves a field for a control that "causes validation"
// (by a click, Tab, Backtab, a mnemonic, or Enter pressing the default button), the field's validator runs; when it
// refuses, the click or key is eaten, so the focus, and the click on a button, stay where they were.
// A field left for a control that causes no validation (Presets..., Help...) waits: its validator runs as soon as the
// focus reaches one that does, however it gets there, and a refusal takes the focus back to the field.
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

    // Runs the validator of the focused field, or of the field waiting, as the focus would go to `target`; true when
    // it may go.
    bool validateBefore(QWidget* target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* controlOf(QWidget* widget) const; // the registered control that holds `widget`, or the widget itself
    QWidget* tabTarget(bool forward) const;
    // The field whose check is due when the focus goes from `from` to `to`, or none; a field passed over for a
    // control that causes no validation is kept waiting.
    QWidget* fieldDue(QWidget* from, QWidget* to);
    bool runValidator(QWidget* field);
    // Moves the filter did not see: a window's own setFocus after a dialog, a shortcut of another window.
    void focusMoved(QWidget* old, QWidget* now);

    QWidget* m_window;
    QHash<QWidget*, std::function<bool()>> m_validators;
    QHash<QWidget*, bool> m_causes;
    QPointer<QWidget> m_defaultButton;
    QPointer<QWidget> m_waiting; // left for a control that causes no validation, not yet checked
    QPointer<QWidget> m_passed;  // checked for the move under way: not again when the focus arrives
    bool m_validating = false;
};
