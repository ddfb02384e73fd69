#include "uikit/VeskImageView.h"

#include "connection/KVImageLoader.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QPointer>

namespace vesk {
namespace {
constexpr auto kUrlProperty = "kvImageURL";

// Shows the image at once and after loading, on a view that may be gone by then.
template <typename View, typename Show> void load(View *view, const QString &url, const QPixmap &placeholder, Show show)
{
    if (!view)
        return;
    // The same address again keeps its picture while it loads (no flash of the placeholder).
    const QVariant shown = view->property(kUrlProperty);
    if (url.isEmpty() || !shown.isValid() || shown.toString() != url)
        show(view, placeholder);
    view->setProperty(kUrlProperty, url);
    if (url.isEmpty())
        return;
    QPointer<View> weak(view);
    KVImageLoader::sharedLoader()->loadImage(view, url, [weak, url, show](const QImage &image) {
        if (!weak || image.isNull() || weak->property(kUrlProperty).toString() != url)
            return;
        show(weak.data(), QPixmap::fromImage(image));
    });
}
} // namespace

void setImageWithURL(QLabel *imageView, const QString &url, const QPixmap &placeholder)
{
    load(imageView, url, placeholder, [](QLabel *label, const QPixmap &pixmap) {
        if (label->hasScaledContents() || pixmap.isNull() || label->size().isEmpty()) {
            label->setPixmap(pixmap);
            return;
        }
        const qreal dpr = label->devicePixelRatioF();
        QPixmap fitted = pixmap.scaled(label->size() * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        fitted.setDevicePixelRatio(dpr);
        label->setPixmap(fitted);
    });
}

void setImageWithURL(VeskButton *button, const QString &url, const QPixmap &placeholder)
{
    load(button, url, placeholder, [](VeskButton *b, const QPixmap &pixmap) { b->setImage(pixmap); });
}
} // namespace vesk
