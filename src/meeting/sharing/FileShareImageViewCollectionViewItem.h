#pragma once

// One page of a shared document: the page image scaled to the tile, keeping its proportions.

#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;

class FileShareImageViewCollectionViewItem final : public QWidget {
    Q_OBJECT
public:
    static constexpr auto kIdentifier = "FileShareImageViewCollectionViewItem";

    explicit FileShareImageViewCollectionViewItem(QWidget *parent = nullptr);

    // The page from the image loader: the image cached under the address at once, then the loaded one.
    void loadPage(const QString &downloadUrl);
    // What the tile shows now, at its own size.
    void setImage(const QPixmap &image);
    [[nodiscard]] QPixmap image() const { return m_image; }
    // The page number read to screen readers.
    void setPageNumber(int page);

    QPointer<QLabel> contentImageView;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();

    QPixmap m_image; // the page at its own size; the view shows it fitted
    QString m_url;
};
