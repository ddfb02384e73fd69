#include "meeting/sharing/ShareMediaCollectionItem.h"

#include "agent/engine/KRTCVideoView.h"
#include "meeting/common/MeetingIcons.h"
#include "uikit/KVAccessibility.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

namespace {

constexpr int kBarHeight = 24;

void setFill(QWidget *view, const QColor &color)
{
    view->setAutoFillBackground(true);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, color);
    view->setPalette(palette);
}

KVElidedLabel *nameLabel(QWidget *parent, qreal size)
{
    auto *label = new KVElidedLabel(parent, Qt::ElideMiddle);
    label->setFont(vesk::systemFont(size));
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

VeskMicrophoneIcon *microphone(QWidget *parent)
{
    auto *icon = new VeskMicrophoneIcon(parent);
    // It shows the member's microphone; nothing to press, so no stop for Tab.
    icon->setFocusPolicy(Qt::NoFocus);
    KVAccessibility::setRole(icon, QAccessible::Indicator);
    icon->setFixedSize(20, 20);
    return icon;
}

int textWidth(const QString &text, qreal size)
{
    return QFontMetrics(vesk::systemFont(size)).horizontalAdvance(text);
}

} // namespace

int ShareMediaCollectionItem::largeNameBarWidth(int textWidth, int tileWidth)
{
    return qMax(0, qMin(textWidth + 26, tileWidth - 10));
}

int ShareMediaCollectionItem::smallNameBarWidth(int textWidth, int microphoneLeft, int tileWidth)
{
    return qMax(0, qMin(textWidth + microphoneLeft + 30, tileWidth - 10));
}

QString ShareMediaCollectionItem::displayName(const MeetingActiveModel &model)
{
    const QString name = KVDataText::bounded(model.userName(), DataText::kNameLength);
    return model.isSelf() ? KVDataText::isolated(name) + QStringLiteral("(我)") : name;
}

ShareMediaCollectionItem::ShareMediaCollectionItem(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(kIdentifier));
    m_parking = new QWidget(this);
    m_parking->setObjectName(QStringLiteral("videoViewParking"));
    m_parking->hide();
    bkView = new QWidget(this);
    bkView->setObjectName(QStringLiteral("bkView"));
    setFill(bkView, vesk::colorWithHexString(QStringLiteral("222222")));

    m_largeBar = new QWidget(this);
    microPhoneButton = microphone(m_largeBar);
    userNameLabe = nameLabel(m_largeBar, 14);

    littleBkView = new QWidget(this);
    littleBkView->setObjectName(QStringLiteral("littleBkView"));
    littleBkView->setAttribute(Qt::WA_StyledBackground);
    littleBkView->setStyleSheet(
        QStringLiteral("#littleBkView { background: rgba(0, 0, 0, 153); border-radius: 12px; }"));
    auto *mark = new QLabel(littleBkView);
    mark->setPixmap(MeetingIcons::image(QStringLiteral("toolbar_share"), 16));
    mark->setAccessibleName(QStringLiteral("正在共享屏幕"));
    shareImageView = mark;
    littleMicrophoneButton = microphone(littleBkView);
    littleUserNameLabel = nameLabel(littleBkView, 12);
    connect(littleMicrophoneButton, &VeskMicrophoneIcon::levelChanged, this, [this] { barChanged(); });
    bind();
}

ShareMediaCollectionItem::~ShareMediaCollectionItem()
{
    releaseVideoView();
    // The views belong to their members: handed back on the way out, never deleted.
    for (KRTCVideoView *view : m_parking->findChildren<KRTCVideoView *>(Qt::FindDirectChildrenOnly))
        view->setParent(nullptr);
}

void ShareMediaCollectionItem::setActiveModel(const std::shared_ptr<MeetingActiveModel> &model)
{
    m_activeModel = model;
    bind();
}

void ShareMediaCollectionItem::releaseVideoView()
{
    // The view belongs to its member: handed back, never deleted, and only while still ours.
    if (m_videoView && m_videoView->parentWidget() == bkView) {
        if (auto *video = qobject_cast<KRTCVideoView *>(m_videoView.data()))
            video->setOverlay({});
        m_videoView->hide();
        m_videoView->setParent(m_parking);
    }
    m_videoView.clear();
}

void ShareMediaCollectionItem::bind()
{
    const MeetingActiveModel *model = m_activeModel.get();
    const QString name = model ? displayName(*model) : QString();
    setAccessibleName(name);
    KRTCVideoView *video = model && model->activeVideoSourceType() != 0 ? model->videoView() : nullptr;
    // A reload of the same member keeps its video where it is.
    if (!video || m_videoView != video || video->parentWidget() != bkView)
        releaseVideoView();
    if (!model) {
        m_largeBar->hide();
        littleBkView->hide();
        return;
    }
    if (!video) {
        userNameLabe->setFullText(name);
        microPhoneButton->setPhoneNumber(model->phoneNumber());
        microPhoneButton->setIconState(model->audioFlag() ? 1 : 0);
        littleBkView->hide();
        m_largeBar->show();
    } else {
        if (video->parentWidget() != bkView) {
            m_videoView = video;
            video->setParent(bkView);
            video->lower();
            video->show();
        }
        QPointer<ShareMediaCollectionItem> self(this);
        QPointer<KRTCVideoView> view(video);
        video->setOverlay([self, view](QPainter &painter, const QRect &) {
            // Only while the view is still in this tile (another may have taken it meanwhile).
            if (self && view && view->parentWidget() == self->bkView && !self->m_barImage.isNull())
                painter.drawPixmap(self->littleBkView->geometry().topLeft(), self->m_barImage);
        });
        littleMicrophoneButton->setPhoneNumber(model->phoneNumber());
        littleMicrophoneButton->setIconState(model->audioFlag() ? 1 : 0);
        const bool screen = model->activeVideoSourceType() == 2;
        shareImageView->setVisible(screen);
        littleMicrophoneLeftConstraint = screen ? 28 : 8;
        littleUserNameLabel->setFullText(name);
        m_largeBar->hide();
        littleBkView->show();
        // Under the video, which paints it.
        littleBkView->stackUnder(bkView);
    }
    layoutBars();
}

void ShareMediaCollectionItem::barChanged()
{
    // Grabbing delivers pending resizes, which lay the bars out again: one grab at a time.
    if (m_grabbing || !m_videoView || m_videoView->parentWidget() != bkView || !littleBkView->isVisibleTo(this))
        return;
    m_grabbing = true;
    m_barImage = littleBkView->grab();
    m_grabbing = false;
    m_videoView->update(littleBkView->geometry());
}

void ShareMediaCollectionItem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutBars();
}

void ShareMediaCollectionItem::layoutBars()
{
    bkView->setGeometry(rect());
    if (m_videoView && m_videoView->parentWidget() == bkView)
        m_videoView->setGeometry(bkView->rect());
    if (m_largeBar->isVisibleTo(this)) {
        const int barWidth = largeNameBarWidth(textWidth(userNameLabe->fullText(), 14), width());
        userNameLabelWidthConstraint = qMax(0, barWidth - 24);
        m_largeBar->setGeometry((width() - barWidth) / 2, (height() - kBarHeight) / 2, barWidth, kBarHeight);
        microPhoneButton->setGeometry(0, 2, 20, 20);
        userNameLabe->setGeometry(24, 0, userNameLabelWidthConstraint, kBarHeight);
    }
    if (littleBkView->isVisibleTo(this)) {
        const int left = littleMicrophoneLeftConstraint;
        nameBarWidthConstraint = smallNameBarWidth(textWidth(littleUserNameLabel->fullText(), 12), left, width());
        littleBkView->setGeometry(5, height() - kBarHeight - 5, nameBarWidthConstraint, kBarHeight);
        shareImageView->setGeometry(8, 4, 16, 16);
        littleMicrophoneButton->setGeometry(left, 2, 20, 20);
        const int labelLeft = left + 22;
        littleUserNameLabel->setGeometry(labelLeft, 0, qMax(0, nameBarWidthConstraint - labelLeft - 8), kBarHeight);
        barChanged();
    }
}
