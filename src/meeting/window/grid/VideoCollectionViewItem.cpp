#include "meeting/window/grid/VideoCollectionViewItem.h"

#include "agent/engine/KRTCVideoView.h"
#include "meeting/window/grid/MeetingActiveView.h"
#include "meeting/window/grid/VideoViewParking.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QLabel>
#include <QPainter>

VideoCollectionViewItem::VideoCollectionViewItem(QWidget *parent, QWidget *parking)
    : QWidget(parent), m_parking(parking ? parking : new VideoViewParking(this))
{
    setObjectName(QString::fromLatin1(kIdentifier));
    m_contentView = new QWidget(this);
    m_contentView->setObjectName(QStringLiteral("contentView"));
    // Over a video the overlay lies under the video view: clicks go through to its buttons.
    m_contentView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_resolutionLabel = new QLabel(this);
    m_resolutionLabel->setObjectName(QStringLiteral("resolutionLabel"));
    m_resolutionLabel->hide();
}

VideoCollectionViewItem::~VideoCollectionViewItem()
{
    // The overlay's parts report changes while the widgets go: nobody is left to hear them.
    if (m_activeView)
        m_activeView->disconnect(this);
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
    if (m_videoView && m_videoView->parentWidget() == m_contentView)
        park(m_videoView);
    m_videoView.clear();
}

void VideoCollectionViewItem::park(QWidget *view)
{
    if (auto *video = qobject_cast<KRTCVideoView *>(view)) {
        video->setOverlay({});
        video->setOnScreen(true); // wherever it goes next decides again
    }
    view->hide();
    // Without a parking the view is handed back (its owner's parking went first).
    view->setParent(m_parking);
}

KRTCVideoView *VideoCollectionViewItem::shownVideoView() const
{
    auto *video = qobject_cast<KRTCVideoView *>(m_videoView.data());
    return video && video->parentWidget() == m_contentView ? video : nullptr;
}

void VideoCollectionViewItem::stackContent()
{
    KRTCVideoView *video = shownVideoView();
    // Over a video, the video view draws the overlay in its own paint (a frame costs one paint):
    // the content goes on top, opaque, so the overlay's widgets under it are never painted.
    const bool overVideo = video && m_activeView;
    m_contentView->setAttribute(Qt::WA_OpaquePaintEvent, overVideo);
    // Under the content the overlay's own widgets are never seen: a new level asks for no paint
    // of theirs, only the video view's (overlayChanged).
    if (m_activeView)
        m_activeView->setUpdatesEnabled(!overVideo);
    if (!overVideo) {
        if (m_activeView)
            m_activeView->raise();
        return;
    }
    m_contentView->raise();
    QPointer<MeetingActiveView> overlay(m_activeView);
    QPointer<QWidget> content(m_contentView);
    QPointer<KRTCVideoView> view(video);
    video->setOverlay([overlay, content, view](QPainter &painter, const QRect &dirty) {
        // Only while the view is still in this tile (another view may have taken it meanwhile).
        if (overlay && content && view && view->parentWidget() == content)
            overlay->paintOverVideo(painter, overlay->pos() - content->pos() - view->pos(), dirty);
    });
}

void VideoCollectionViewItem::overlayChanged(const QRect &area)
{
    // Out of sight nothing is painted; the scroll that brings the tile in paints it whole.
    if (m_resetting || !m_onScreen)
        return;
    if (KRTCVideoView *video = shownVideoView(); video && m_activeView)
        video->update(area.translated(m_activeView->pos() - m_contentView->pos() - video->pos()));
}

void VideoCollectionViewItem::resetContent()
{
    // The rebuild repaints the whole tile at its end: the parts' own requests on the way add nothing.
    m_resetting = true;
    m_borderWidth = 0;
    releaseVideoView();
    for (QWidget *child : m_contentView->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        // Engine views belong to their participants: handed back, never deleted.
        if (qobject_cast<KRTCVideoView *>(child)) {
            park(child);
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
        connect(m_activeView, &MeetingActiveView::appearanceChanged, this, &VideoCollectionViewItem::overlayChanged);
    }
    m_activeView->show();

    if (model && model->activeVideoSourceType() != 0) {
        if (KRTCVideoView *video = model->videoView()) {
            video->setParent(m_contentView);
            video->setOnScreen(m_onScreen);
            video->show();
            m_videoView = video;
        }
    }
    const QString name = model ? MeetingActiveView::displayName(*model) : QString();
    m_activeView->nameLabel()->setText(name);
    m_activeView->setAccessibleName(name);
    // It names whose microphone it shows.
    m_activeView->microphoneIcon()->setAccessibleName(name + QStringLiteral(" 麦克风"));
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
    stackContent();
    layoutContent();
    m_activeView->contentChanged();
    m_resetting = false;
    update();
}

void VideoCollectionViewItem::refreshContent()
{
    const MeetingActiveModel *model = m_activeModel.get();
    if (!model || !m_activeView) {
        resetContent();
        return;
    }
    KRTCVideoView *video = model->activeVideoSourceType() != 0 ? model->videoView() : nullptr;
    if (video != m_videoView.data() || (video && video->parentWidget() != m_contentView)) {
        // The view went elsewhere meanwhile (a share strip, a new view): rebuild.
        resetContent();
        return;
    }
    const qint64 state = model->audioFlag() ? 1 : 0;
    if (m_activeView->microphoneIcon()->iconState() != state) {
        m_activeView->microphoneIcon()->setIconState(state);
        m_activeView->contentChanged();
    }
    layoutContent();
}

void VideoCollectionViewItem::setOnScreen(bool onScreen)
{
    if (m_onScreen == onScreen)
        return;
    m_onScreen = onScreen;
    if (KRTCVideoView *video = shownVideoView())
        video->setOnScreen(onScreen);
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
