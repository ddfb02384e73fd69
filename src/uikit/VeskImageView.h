#pragma once

#include <QPixmap>
#include <QString>

class QLabel;
class VeskButton;

// Images by address into views, through the shared image loader: the cached
// image of the address at once (else the placeholder), then the loaded one.
// A later call on the same view wins over an earlier one still loading; a
// failed load keeps what is shown.
namespace vesk {
void setImageWithURL(QLabel *imageView, const QString &url, const QPixmap &placeholder = QPixmap());
void setImageWithURL(VeskButton *button, const QString &url, const QPixmap &placeholder = QPixmap());
} // namespace vesk
