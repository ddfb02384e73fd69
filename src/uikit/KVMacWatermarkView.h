#pragma once

#include <QWidget>

// The watermark text tiled diagonally over the view; clicks pass through.
class KVMacWatermarkView : public QWidget {
    Q_OBJECT
public:
    explicit KVMacWatermarkView(QWidget *parent = nullptr);

    void setWatermarkText(const QString &text);
    [[nodiscard]] QString watermarkText() const { return m_text; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};
