#include "meeting/sharing/FileShareImageViewCollectionViewItem.h"

#include "connection/KVImageLoader.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

FileShareImageViewCollectionViewItem::FileShareImageViewCollectionViewItem(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(kIdentifier));
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    contentImageView = new QLabel(this);
    contentImageView->setObjectName(QStringLiteral("contentImageView"));
    contentImageView->setAlignment(Qt::AlignCenter);
    contentImageView->setMinimumSize(1, 1);
    contentImageView->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    box->addWidget(contentImageView);
}

void FileShareImageViewCollectionViewItem::loadPage(const QString &downloadUrl)
{
    // The page on show stays; a tile reused for another page is blank until its image comes.
    if (downloadUrl == m_url && !m_image.isNull())
        return;
    m_url = downloadUrl;
    setImage(QPixmap());
    if (downloadUrl.isEmpty())
        return;
    QPointer<FileShareImageViewCollectionViewItem> weak(this);
    KVImageLoader::sharedLoader()->loadImage(this, downloadUrl, [weak, downloadUrl](const QImage &image) {
        // A tile reused for another page meanwhile keeps that page.
        if (!weak || image.isNull() || weak->m_url != downloadUrl)
            return;
        weak->setImage(QPixmap::fromImage(image));
    });
}

void FileShareImageViewCollectionViewItem::setImage(const QPixmap &image)
{
    m_image = image;
    fit();
}

void FileShareImageViewCollectionViewItem::setPageNumber(int page)
{
    contentImageView->setAccessibleName(QStringLiteral("第%1页").arg(page));
}

void FileShareImageViewCollectionViewItem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fit();
}

void FileShareImageViewCollectionViewItem::fit()
{
    // The image view fills the tile.
    if (m_image.isNull() || size().isEmpty()) {
        contentImageView->setPixmap(m_image);
        return;
    }
    const qreal dpr = contentImageView->devicePixelRatioF();
    QPixmap fitted = m_image.scaled(size() * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(dpr);
    contentImageView->setPixmap(fitted);
}
