#pragma once

#include <QLineEdit>

#include <functional>

// The text field inside KVTextFieldView; its blocks get the text when editing
// begins (focus in) and ends (focus out or Return).
class KVTextField : public QLineEdit {
    Q_OBJECT
public:
    using TextBlock = std::function<void(const QString &text)>;

    explicit KVTextField(QWidget *parent = nullptr);

    [[nodiscard]] QString stringValue() const { return text(); }
    void setStringValue(const QString &value) { setText(value); }

    void setTextDidBeginEditing(TextBlock block) { m_didBegin = std::move(block); }
    void setTextDidEndEditing(TextBlock block) { m_didEnd = std::move(block); }

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    TextBlock m_didBegin;
    TextBlock m_didEnd;
};
