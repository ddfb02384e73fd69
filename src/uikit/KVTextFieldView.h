#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

class KVTextField;

// A bordered text field with a placeholder, optionally digits only and of
// limited length, that reports each change and can show an invalid state.
class KVTextFieldView : public QWidget {
    Q_OBJECT
public:
    using TextBlock = std::function<void(const QString &text)>;

    explicit KVTextFieldView(QWidget *parent = nullptr);

    [[nodiscard]] KVTextField *textField() const { return m_field; }

    void setOnlySupportNumber(bool only);
    [[nodiscard]] bool onlySupportNumber() const { return m_onlyNumber; }
    // At most this many characters; 0 means no limit.
    void setLimitLength(int length);
    [[nodiscard]] int limitLength() const { return m_limit; }
    // Given the current text after each change the user makes: typed (held to the digits and the
    // limit), or set through the accessibility interface (as it was set).
    void setDidChangedBlock(TextBlock block) { m_didChanged = std::move(block); }
    // Marks the field invalid (red border) until cleared.
    void setUnValidstate(bool invalid);
    [[nodiscard]] bool unValidstate() const { return m_invalid; }
    // Shows the value unchanged: only what the user types is held to the digits and the limit.
    void setStringValue(const QString &value);
    [[nodiscard]] QString stringValue() const;
    void setPlaceholder(const QString &placeholder);
    [[nodiscard]] QString placeholder() const;
    // Gives up the keyboard focus.
    void endEditing();

    // The text the field keeps: digits only when asked, cut to the limit.
    [[nodiscard]] static QString normalizedText(const QString &text, bool onlyNumber, int limit);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void userEdited(const QString &text);

    KVTextField *m_field;
    bool m_onlyNumber = false;
    int m_limit = 0;
    bool m_invalid = false;
    QString m_reported; // the text last given to the block, or shown by setStringValue
    TextBlock m_didChanged;
};
