#pragma once

#include <QLineEdit>
#include <QPointer>

class VeskTextField;

// Told when a field becomes first responder (gets the keyboard focus).
class VeskTextFieldFirstResponderDelegate {
public:
    virtual ~VeskTextFieldFirstResponderDelegate() = default;
    virtual void textFieldBecomeFirstResponder(VeskTextField *field) { Q_UNUSED(field); }
};

// A text field that tells its delegate when it becomes first responder.
class VeskTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit VeskTextField(QWidget *parent = nullptr);

    // Held weakly: a QObject delegate is forgotten when destroyed; any other
    // delegate must be reset by its owner before it goes.
    void setResponderDelegate(VeskTextFieldFirstResponderDelegate *delegate);
    [[nodiscard]] VeskTextFieldFirstResponderDelegate *responderDelegate() const;

    [[nodiscard]] QString stringValue() const { return text(); }
    void setStringValue(const QString &value) { setText(value); }

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    VeskTextFieldFirstResponderDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
};
