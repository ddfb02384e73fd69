#pragma once

// The share pickers' tiles. They hold no logic beyond their looks: the picker fills them and
// decides what is selected. Each is a button, so Tab reaches it and its accessible press action
// is its click; its selection is its checked state.

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPointer>

class KVElidedLabel;
class QLabel;

// One screen or window: thumbnail, title and, for a window, its application's icon.
class GeneralShareCollectionViewItem final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kMaxTitleLength = 256;

    explicit GeneralShareCollectionViewItem(QWidget *parent = nullptr);

    // The title is plain text, cut to kMaxTitleLength; empty shows "".
    void setTitle(const QString &title);
    void setThumbnail(const QImage &image);
    // A null icon hides the icon view (screens).
    void setIcon(const QImage &icon);
    void setBackgroundColor(const QColor &color) { m_backgroundColor = color; }
    [[nodiscard]] QColor backgroundColor() const { return m_backgroundColor; }

    void setIsSelected(bool selected);
    [[nodiscard]] bool isSelected() const { return m_isSelected; }
    // What the tile is filled with now (normal "#2D2E34", selected "#007AFF").
    [[nodiscard]] QColor fillColor() const { return m_fill; }

    QPointer<QLabel> iconImageView;
    QPointer<QLabel> thumbnailImageView;
    QPointer<KVElidedLabel> titleLabel;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refreshUI();

    QColor m_backgroundColor;
    QColor m_fill;
    bool m_isSelected = false;
};

// One application of the application row (item 0: every application).
class GenealAppShareCollectionViewItem final : public QAbstractButton {
    Q_OBJECT
public:
    explicit GenealAppShareCollectionViewItem(QWidget *parent = nullptr);

    void setThumbnail(const QPixmap &image);
    void setIsSelected(bool selected);
    [[nodiscard]] bool isSelected() const { return m_isSelected; }
    // The border now: width 0 unselected, 1 in "#007AFF" selected.
    [[nodiscard]] double borderWidth() const { return m_borderWidth; }
    [[nodiscard]] QColor borderColor() const { return m_borderColor; }

    QPointer<QLabel> thumbnailImageView;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refreshUI();

    bool m_isSelected = false;
    double m_borderWidth = 0;
    QColor m_borderColor{255, 255, 255};
};

// The plain picker's tile: image and title with a border that follows hover and selection.
class ShareSelectCollectionViewItem final : public QAbstractButton {
    Q_OBJECT
public:
    explicit ShareSelectCollectionViewItem(QWidget *parent = nullptr);

    void setSelected(bool selected);
    [[nodiscard]] bool isSelected() const { return m_selected; }
    // The base's highlight only.
    void setHighlightState(bool highlighted) { setDown(highlighted); }
    [[nodiscard]] QColor borderColor() const { return m_borderColor; }

    QPointer<QLabel> shareImageView;
    QPointer<KVElidedLabel> titleLabel;

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_selected = false;
    QColor m_borderColor;
};
