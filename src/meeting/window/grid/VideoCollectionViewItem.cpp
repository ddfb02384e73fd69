#include "meeting/window/grid/VideoCollectionViewItem.h"

#include "agent/engine/KRTCVideoView.h"
#include "meeting/window/grid/MeetingActiveView.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QLabel>
#include <QPainter>

namespace {

// Holds engine views this tile gave back, hidden, inside the same window: moving a widget between
// windows walks the whole focus chain, which made a reload of many changed tiles quadratic. The
// views belong to their participants, so on the way out they are handed back, never deleted.
class VideoViewParking final : public QWidget {
public:
    explicit VideoViewParking(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("videoViewParking"));
        hide();
    }
    ~VideoViewParking() override
    {
        for (KRTCVideoView *view : findChildren<KRTCVideoView *>(Qt::FindDirectChildrenOnly))
            view->setParent(nullptr);
    }
};

} // namespace

VideoCollectionViewItem::VideoCollectionViewItem(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(kIdentifier));
    m_parking = new VideoViewParking(this);
    m_contentView = new QWidget(this);
    m_contentView->setObjectName(QStringLiteral("contentView"));
    m_resolutionLabel = new QLabel(this);
    m_resolutionLabel->setObjectName(QStringLiteral("resolutionLabel"));
    m_resolutionLabel->hide();
}

VideoCollectionViewItem::~VideoCollectionViewItem()
{
    releaseVideoView();
}

void VideoCollectionViewItem::setActiveModel(const std::shared_ptr<MeetingActiveModel> &model)
{
    m_activeModel = model;
    resetContent();
}

void VideoCollectionViewItem::releaseVideoView()
{
    // Only a view still inside this tile: another tile or the share view may have taken it since.
    if (m_videoView && m_videoView->parentWidget() == m_contentView) {
        m_videoView->hide();
        m_videoView->setParent(m_parking);
    }
    m_videoView.clear();
}

void VideoCollectionViewItem::resetContent()
{
    m_borderWidth = 0;
    releaseVideoView();
    for (QWidget *child : m_contentView->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        // Engine views belong to their participants: handed back, never deleted.
        if (qobject_cast<KRTCVideoView *>(child)) {
            child->hide();
            child->setParent(m_parking);
        } else {
            delete child;
        }
    }
    m_resolutionLabel->clear();

    const MeetingActiveModel *model = m_activeModel.get();
    // An overlay of the right kind is set up again rather than made anew: making one registers
    // its microphone icon with the notification centre, which costs more the more tiles exist.
    const bool wantAudio = !model || model->activeVideoSourceType() == 0;
    const bool haveAudio = qobject_cast<MeetingAudioView *>(m_activeView.data()) != nullptr;
    if (m_activeView && wantAudio == haveAudio) {
        m_activeView->setIsSelfShare(model && model->activeVideoSourceType() == 2 && model->isSelf());
    } else {
        delete m_activeView.data();
        m_activeView = MeetingActiveView::activeViewWithActiveModel(m_activeModel, this);
    }
    m_activeView->raise();
    m_activeView->show();

    if (model && model->activeVideoSourceType() != 0) {
        if (KRTCVideoView *video = model->videoView()) {
            video->setParent(m_contentView);
            video->show();
            m_videoView = video;
        }
    }
    const QString name = model ? MeetingActiveView::displayName(*model) : QString();
    m_activeView->nameLabel()->setText(name);
    m_activeView->setAccessibleName(name);
    m_activeView->microphoneIcon()->setPhoneNumber(model ? model->phoneNumber() : QString());
    m_activeView->microphoneIcon()->setIconState(model && model->audioFlag() ? 1 : 0);
    const bool hasVideo = model && (model->videoView() || model->shareView());
    m_activeView->setNameFont(vesk::systemFont(hasVideo ? 16 : 22));
    m_activeView->setNameBarWidth(MeetingActiveView::nameBarWidthFor(name, hasVideo));
    QPointer<VideoCollectionViewItem> weak(this);
    m_activeView->operateBlock = [weak] {
        if (weak && weak->m_delegate)
            weak->m_delegate->fullScreenWithModel(weak->m_activeModel);
    };
    layoutContent();
    update();
}

void VideoCollectionViewItem::refreshContent()
{
    const MeetingActiveModel *model = m_activeModel.get();
    if (!model || !m_activeView) {
        resetContent();
        return;
    }
    m_activeView->microphoneIcon()->setIconState(model->audioFlag() ? 1 : 0);
    KRTCVideoView *video = model->activeVideoSourceType() != 0 ? model->videoView() : nullptr;
    if (video != m_videoView.data() || (video && video->parentWidget() != m_contentView)) {
        // The view went elsewhere meanwhile (a share strip, a new view): rebuild.
        resetContent();
        return;
    }
    layoutContent();
}

void VideoCollectionViewItem::viewWillDisappear()
{
    delete m_activeView.data();
}

void VideoCollectionViewItem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutContent();
}

void VideoCollectionViewItem::layoutContent()
{
    const QRect bounds = rect();
    m_contentView->setGeometry(bounds);
    if (m_videoView && m_videoView->parentWidget() == m_contentView)
        m_videoView->setGeometry(m_contentView->rect());
    if (m_activeView)
        m_activeView->setGeometry(bounds);
}

void VideoCollectionViewItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), vesk::colorWithHexString(QStringLiteral("#080808")));
    if (m_borderWidth > 0) {
        p.setPen(QPen(vesk::colorWithHexString(QStringLiteral("#0A8AF9")), m_borderWidth));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
