#include "meeting/window/MeetingMoreView.h"

#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingIcons.h"
#include "meeting/window/ScreenShotFile.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVWorkspace.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMeetingToast.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
MeetingBottomButton *menuButton(QWidget *parent, const QString &title, const QString &image)
{
    auto *b = new MeetingBottomButton(title, MeetingIcons::image(image), parent);
    b->setAccessibleName(title);
    b->setImagePosition(VeskButton::ImagePosition::Above);
    b->setFixedSize(56, 56);
    return b;
}
} // namespace

MeetingMoreView::MeetingMoreView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MeetingMoreView"));
    setAccessibleName(QStringLiteral("更多"));
    screenShotBtn = menuButton(this, QStringLiteral("截图"), QStringLiteral("more_screenshot"));
    screenShotBtn->setGeometry(16, 34, 56, 56);
    connect(screenShotBtn, &QAbstractButton::clicked, this, [this] { screenShot(screenShotBtn); });
    recordBtn = menuButton(this, QStringLiteral("本地录制"), QStringLiteral("toolbar_record"));
    recordBtn->setToggle(true);
    recordBtn->setGeometry(80, 34, 56, 56);
    connect(recordBtn, &QAbstractButton::clicked, this, [this] { screenRecord(recordBtn); });
    closeBtn = new VeskButton(QStringLiteral("×"), this);
    closeBtn->setAccessibleName(QStringLiteral("关闭"));
    closeBtn->setToolTip(QStringLiteral("关闭"));
    closeBtn->setTextColor(Qt::white);
    closeBtn->setGeometry(kWidth - 28, 4, 24, 24);
    connect(closeBtn, &QAbstractButton::clicked, this, [this] { closeSelf(closeBtn); });
    resize(kWidth, kHeight);
}

MeetingMoreView::~MeetingMoreView() = default;

void MeetingMoreView::layoutSelfWithView(QWidget *anchor)
{
    QWidget *parent = parentWidget();
    if (!parent)
        return;
    using A = KVLayoutConstraint::Attribute;
    AutoLayout::removeConstraints(this);
    const int anchorLeft = anchor ? anchor->mapTo(parent, QPoint(0, 0)).x() : 20;
    AutoLayout::autoSetDimensionsToSize(this, QSizeF(kWidth, kHeight));
    AutoLayout::autoPinEdgeToSuperviewEdge(this, A::Bottom, 70);
    AutoLayout::autoPinEdgeToSuperviewEdge(this, A::Leading, anchorLeft - 20);
}

void MeetingMoreView::closeSelf(QObject *)
{
    if (closedBlock)
        closedBlock();
}

void MeetingMoreView::screenRecord(QObject *)
{
    if (recordBlock)
        recordBlock(recordBtn->state() == 1);
}

void MeetingMoreView::setIsRecord(bool isRecord)
{
    m_isRecord = isRecord;
    recordBtn->setState(isRecord ? 1 : 0);
}

void MeetingMoreView::screenShot(QObject *)
{
    QImage image;
    if (QWidget *target = shotWindow) {
        // The window alone, at its own size, without what lies over or under it.
        image = target->grab().toImage();
        if (!image.isNull() && image.size() != target->size())
            image = image.scaled(target->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(1.0);
    }
    const bool saved = saveImage(image);
    if (saved)
        VeskMeetingToast::showNomalTip(window(), kShotSaved);
    else
        VeskMeetingToast::showErrorTip(window(), kShotFailed);
}

bool MeetingMoreView::saveImage(const QImage &image)
{
    const QString path = ScreenShotFile::save(image, QDateTime::currentMSecsSinceEpoch());
    if (path.isEmpty())
        return false;
    m_lastSavedPath = path;
    KVWorkspace::revealInFileViewer(path);
    return true;
}

void MeetingMoreView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 6, 6);
    p.fillPath(path, vesk::colorWithHexString(QStringLiteral("#3D3F47")));
}
