#pragma once

#include <QColor>
#include <QVariant>
#include <QWidget>

#include <functional>

// One row of a MoreActionView: a title and, when selected, a tick.
class MoreActionItem : public QWidget {
    Q_OBJECT
public:
    // Given the clicked control and the item.
    using OnClick = std::function<void(QWidget *control, MoreActionItem *item)>;

    // A row with a tick; the caller (or the menu it joins) owns it.
    static MoreActionItem *itemStyle2WithTitle(const QString &title, const QVariant &associatedObject, OnClick onClick);

    void setSelect(bool select);
    [[nodiscard]] bool isSelect() const { return m_select; }
    void setTextAlignment(Qt::Alignment alignment);
    // A fixed title colour whatever the state.
    void setImmutableTitleColor(const QColor &color);
    // Space before the title.
    void setTitleSpacing(qreal spacing);
    void setItemSize(const QSize &size);
    [[nodiscard]] QSize itemSize() const { return m_itemSize; }
    [[nodiscard]] QString title() const { return m_title; }
    [[nodiscard]] QVariant associatedObject() const { return m_associatedObject; }

    // Runs the click block now. A click or key press runs it just after its
    // input event, so the block may delete the menu.
    void click();

    [[nodiscard]] QSize sizeHint() const override;

protected:
    explicit MoreActionItem(QWidget *parent = nullptr);
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void clickAfterEvent();

    QString m_title;
    QVariant m_associatedObject;
    OnClick m_onClick;
    bool m_select = false;
    bool m_hovered = false;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QColor m_immutableColor;
    qreal m_titleSpacing = 12;
    QSize m_itemSize;
};
