#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

// The kit's push button: title and alternate (state on) title, text colours,
// images, a platform-like on/off state and a tag, and hover tracking.
// Base of the meeting tool-bar button and of the kit's other buttons.
class VeskButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class ImagePosition { Left, Above, Right };

    explicit VeskButton(QWidget *parent = nullptr);
    explicit VeskButton(const QString &title, QWidget *parent = nullptr);

    // The title is the button's text (and so its accessible name).
    void setTitle(const QString &title);
    [[nodiscard]] QString title() const { return text(); }
    // Title shown while the state is on; empty keeps the title.
    void setAlternateTitle(const QString &title);
    [[nodiscard]] QString alternateTitle() const { return m_alternateTitle; }

    void setTextColor(const QColor &color);
    [[nodiscard]] QColor textColor() const { return m_textColor; }
    // Text colour while the state is on.
    void setAlternateTextColor(const QColor &color);
    [[nodiscard]] QColor alternateTextColor() const { return m_alternateTextColor; }
    // Font of the alternate title; unset uses the button's font.
    void setAlternateFont(const QFont &font);

    void setImage(const QPixmap &image);
    [[nodiscard]] QPixmap image() const { return m_image; }
    // Image while the state is on; null keeps the image.
    void setAlternateImage(const QPixmap &image);
    [[nodiscard]] QPixmap alternateImage() const { return m_alternateImage; }
    void setImagePosition(ImagePosition position);
    void setImageSpacing(int spacing);

    // A toggle button flips its state on each click before clicked() is emitted.
    void setToggle(bool toggle) { setCheckable(toggle); }
    // 0 off, anything else on (a plain button keeps it for its owner).
    void setState(qint64 state);
    [[nodiscard]] qint64 state() const { return isChecked() ? 1 : 0; }
    void setTag(qint64 tag) { m_tag = tag; }
    [[nodiscard]] qint64 tag() const { return m_tag; }

    [[nodiscard]] bool isHovered() const { return m_hovered; }

    [[nodiscard]] QSize sizeHint() const override;

    // Draws the image and title centred in rect, as the paint event does (also into another
    // painter: a tile drawing its overlay itself).
    void paintContent(QPainter &painter, const QRect &rect) const;

Q_SIGNALS:
    void hoverChanged(bool hovered);

protected:
    // Hover hooks for subclasses.
    virtual void mouseEntered() {}
    virtual void mouseExited() {}

    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

    // What the paint code shows for the current state.
    [[nodiscard]] QString currentTitle() const;
    [[nodiscard]] QColor currentTextColor() const;
    [[nodiscard]] QFont currentFont() const;
    [[nodiscard]] QPixmap currentImage() const;

private:
    void setHovered(bool hovered);

    QString m_alternateTitle;
    QColor m_textColor = Qt::white;
    QColor m_alternateTextColor;
    std::optional<QFont> m_alternateFont;
    QPixmap m_image;
    QPixmap m_alternateImage;
    ImagePosition m_imagePosition = ImagePosition::Left;
    int m_imageSpacing = 4;
    qint64 m_tag = 0;
    bool m_hovered = false;
};
