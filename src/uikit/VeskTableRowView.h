#pragma once

#include <QColor>
#include <QWidget>

// A table row that fills itself with its highlight colour while selected.
class VeskTableRowView : public QWidget {
    Q_OBJECT
public:
    explicit VeskTableRowView(QWidget *parent = nullptr);

    void setHighlightColor(const QColor &color);
    [[nodiscard]] QColor highlightColor() const { return m_highlight; }
    void setSelected(bool selected);
    [[nodiscard]] bool isSelected() const { return m_selected; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_highlight;
    bool m_selected = false;
};
