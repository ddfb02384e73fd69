#pragma once

#include <QPlainTextEdit>

#include <functional>

// A text view that draws a grey 12-point placeholder while it is empty.
class VeskTextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit VeskTextView(QWidget *parent = nullptr);

    void setPlaceHolderString(const QString &placeholder);
    [[nodiscard]] QString placeHolderString() const { return m_placeholder; }
    [[nodiscard]] QString string() const { return toPlainText(); }
    void setString(const QString &text) { setPlainText(text); }

    // Asked before typed, pasted or composed text goes in; replacement is what would be inserted
    // ("\n" for Return or Enter). Returning false drops the change. Unset: every change goes in.
    std::function<bool(const QString &replacement)> shouldChangeTextBlock;
    // Selectable and editable, or neither.
    void setEditableAndSelectable(bool on);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    QString m_placeholder;
};
