#pragma once

#include <QPlainTextEdit>

// A text view that draws a grey 12-point placeholder while it is empty.
class VeskTextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit VeskTextView(QWidget *parent = nullptr);

    void setPlaceHolderString(const QString &placeholder);
    [[nodiscard]] QString placeHolderString() const { return m_placeholder; }
    [[nodiscard]] QString string() const { return toPlainText(); }
    void setString(const QString &text) { setPlainText(text); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_placeholder;
};
