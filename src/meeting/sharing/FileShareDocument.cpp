#include "meeting/sharing/FileShareDocument.h"

#include "agent/engine/KRTCVideoView.h"
#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/StringHelpers.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/common/MeetingLog.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/sharing/FileShareImageViewCollectionViewItem.h"
#include "meeting/sharing/FileSharePageView.h"
#include "meeting/sharing/FileShareSpeedSwicthPanel.h"
#include "meeting/sharing/ShareBottomPanel.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/MacDisableScrollView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cmath>

using namespace std::chrono_literals;
using A = KVLayoutConstraint::Attribute;

namespace {

constexpr int kDocumentBarHeight = 52; // the document's bar under the title bar
constexpr double kScrollSendIntervalMs = 200;
constexpr double kScrollJump = 0.1;

QString orFallback(const QString &message, const QString &fallback)
{
    return message.isEmpty() ? fallback : message;
}

void setShown(QWidget *w, bool shown)
{
    if (w)
        w->setVisible(shown);
}

QString compact(const QJsonObject &record)
{
    return QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact));
}

QStringList pageUrls(const QList<FileSliceModel> &pages)
{
    QStringList urls;
    urls.reserve(pages.size());
    for (const FileSliceModel &page : pages)
        urls.append(page.downloadUrl);
    return urls;
}

// The sharer named by a model: the user himself by phone number or user id, encrypted or plain.
bool isMe(const QString &userId, const FileShareDocumentServices::Me &me)
{
    if (userId.isEmpty())
        return false;
    const QString plain = RXEncrypt::aes128ecbDecrypt(userId);
    return plain == me.phoneNumber || userId == me.phoneNumber || (!me.userId.isEmpty() && userId == me.userId);
}

} // namespace

FileShareDocument::FileShareDocument(FileShareDocumentViews views, MeetingSharing::State &state, Calls calls,
                                     std::shared_ptr<FileShareDocumentServices> services, QObject *parent)
    : QObject(parent), m_ui(views), m_state(state), m_calls(std::move(calls)),
      m_services(services ? std::move(services) : FileShareDocumentServices::agent())
{
}

FileShareDocument::~FileShareDocument() = default;

void FileShareDocument::buildViews()
{
    if (m_bar || !m_ui.topView || !m_ui.topView->parentWidget())
        return;
    QWidget *host = m_ui.topView->parentWidget();
    m_bar = new QWidget(host);
    m_bar->setObjectName(QStringLiteral("fileShareDocumentBar"));
    vesk::setBackgroundColor(m_bar, vesk::colorWithHexString(QStringLiteral("#1D1D1D")));
    AutoLayout::autoPinEdge(m_bar, A::Top, A::Bottom, m_ui.topView);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_bar, A::Leading);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_bar, A::Trailing);
    AutoLayout::autoSetDimension(m_bar, A::Height, kDocumentBarHeight);
    m_bar->hide();
    m_bar->installEventFilter(this);

    // Who shares what, and the quick list of the room's files.
    m_ui.currentFilePanel = new QWidget(m_bar);
    m_ui.currentFilePanel->setObjectName(QStringLiteral("currentFilePanel"));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_ui.currentFilePanel, A::Leading, 16);
    AutoLayout::autoAlignAxisToSuperviewAxis(m_ui.currentFilePanel, A::CenterY);
    AutoLayout::autoSetDimension(m_ui.currentFilePanel, A::Height, 28);
    m_sharerWidth = AutoLayout::autoSetDimension(m_ui.currentFilePanel, A::Width, 0);
    // Cut in the middle when the bar is short: "…正在共享" keeps its end.
    m_ui.currentFileShareNameLabel = new KVElidedLabel(m_ui.currentFilePanel, Qt::ElideMiddle);
    m_ui.currentFileShareNameLabel->setObjectName(QStringLiteral("currentFileShareNameLabel"));
    m_ui.currentFileShareNameLabel->setFont(vesk::systemFont(12));
    m_ui.currentFileShareNameLabel->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
    AutoLayout::autoPinEdgeToSuperviewEdge(m_ui.currentFileShareNameLabel, A::Leading, 0);
    // As wide as its panel, which is as wide as the whole text.
    AutoLayout::autoPinEdgeToSuperviewEdge(m_ui.currentFileShareNameLabel, A::Trailing, 0);
    AutoLayout::autoAlignAxisToSuperviewAxis(m_ui.currentFileShareNameLabel, A::CenterY);
    auto *fileName = new KVElidedLabel(m_bar);
    m_ui.shareFileName = fileName;
    fileName->setObjectName(QStringLiteral("shareFileName"));
    fileName->setFont(vesk::systemFont(12));
    fileName->setStyleSheet(QStringLiteral("color: #FFFFFF; background: #2B2C32; border-radius: 4px;"));
    fileName->setAlignment(Qt::AlignCenter);
    m_fileNameGap = AutoLayout::autoPinEdge(fileName, A::Leading, A::Trailing, m_ui.currentFilePanel, 8);
    AutoLayout::autoAlignAxisToSuperviewAxis(fileName, A::CenterY);
    AutoLayout::autoSetDimension(fileName, A::Height, 28);
    m_ui.currentFilePanelWidthConstraint = AutoLayout::autoSetDimension(fileName, A::Width, 30);
    m_ui.fileShareSwitchButton = new VeskButton(QStringLiteral("切换"), m_bar);
    m_ui.fileShareSwitchButton->setObjectName(QStringLiteral("fileShareSwitchButton"));
    m_ui.fileShareSwitchButton->setAccessibleName(QStringLiteral("切换共享文件"));
    m_ui.fileShareSwitchButton->setToolTip(QStringLiteral("切换共享文件"));
    m_ui.fileShareSwitchButton->setTextColor(Qt::white);
    m_ui.fileShareSwitchButton->setToggle(true);
    AutoLayout::autoPinEdge(m_ui.fileShareSwitchButton, A::Leading, A::Trailing, fileName, 8);
    AutoLayout::autoAlignAxisToSuperviewAxis(m_ui.fileShareSwitchButton, A::CenterY);
    AutoLayout::autoSetDimensionsToSize(m_ui.fileShareSwitchButton, QSizeF(48, 28));

    // Page numbers between the flip buttons, in the middle of the bar.
    m_ui.currentPagePanel = new QWidget(m_bar);
    m_ui.currentPagePanel->setObjectName(QStringLiteral("currentPagePanel"));
    AutoLayout::autoCenterInSuperview(m_ui.currentPagePanel);
    AutoLayout::autoSetDimension(m_ui.currentPagePanel, A::Height, 28);
    m_ui.pageNumPanelWidthConstraint = AutoLayout::autoSetDimension(m_ui.currentPagePanel, A::Width, 53);
    m_ui.currentPage = new QLabel(m_ui.currentPagePanel);
    m_ui.currentPage->setObjectName(QStringLiteral("currentPage"));
    m_ui.totalPage = new QLabel(m_ui.currentPagePanel);
    m_ui.totalPage->setObjectName(QStringLiteral("totalPage"));
    for (QLabel *l : {m_ui.currentPage.data(), m_ui.totalPage.data()}) {
        l->setTextFormat(Qt::PlainText);
        l->setFont(vesk::systemFont(12));
        l->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
        AutoLayout::autoAlignAxisToSuperviewAxis(l, A::CenterY);
    }
    m_ui.currentPage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_ui.currentPage, A::Leading, 0);
    m_ui.currentPageNumWidthConstraint = AutoLayout::autoSetDimension(m_ui.currentPage, A::Width, 18);
    AutoLayout::autoPinEdge(m_ui.totalPage, A::Leading, A::Trailing, m_ui.currentPage, 0);
    m_ui.leftFlipOverButton = new VeskButton(QStringLiteral("上一页"), m_bar);
    m_ui.rightFlipOverButton = new VeskButton(QStringLiteral("下一页"), m_bar);
    m_ui.leftFlipOverButton->setObjectName(QStringLiteral("leftFlipOverButton"));
    m_ui.rightFlipOverButton->setObjectName(QStringLiteral("rightFlipOverButton"));
    for (VeskButton *b : {m_ui.leftFlipOverButton.data(), m_ui.rightFlipOverButton.data()}) {
        b->setAccessibleName(b->text());
        b->setToolTip(b->text());
        b->setTextColor(Qt::white);
        AutoLayout::autoAlignAxisToSuperviewAxis(b, A::CenterY);
        AutoLayout::autoSetDimensionsToSize(b, QSizeF(56, 28));
        b->hide();
    }
    AutoLayout::autoPinEdge(m_ui.leftFlipOverButton, A::Trailing, A::Leading, m_ui.currentPagePanel, -8);
    AutoLayout::autoPinEdge(m_ui.rightFlipOverButton, A::Leading, A::Trailing, m_ui.currentPagePanel, 8);
    connect(m_ui.leftFlipOverButton, &QAbstractButton::clicked, this,
            [this] { leftFlipOverAction(m_ui.leftFlipOverButton); });
    connect(m_ui.rightFlipOverButton, &QAbstractButton::clicked, this,
            [this] { rightFlipOverAction(m_ui.rightFlipOverButton); });

    connect(m_ui.fileShareSwitchButton, &QAbstractButton::clicked, this,
            [this] { FileshareSwitchPanelAction(m_ui.fileShareSwitchButton); });
    if (m_ui.selectFileShareSwitchBtn)
        connect(m_ui.selectFileShareSwitchBtn, &QAbstractButton::clicked, this,
                [this] { showFileShareSwitchListView(m_ui.selectFileShareSwitchBtn); });

    if (m_ui.fileShareScrollView && m_ui.fileShareCollectionView) {
        // The pages take Tab: the arrow keys turn them, Up, Down and the page keys scroll.
        m_ui.fileShareScrollView->setAccessibleName(QStringLiteral("共享文档"));
        m_ui.fileShareScrollView->installEventFilter(this);
        m_pages = new FileSharePageView(m_ui.fileShareScrollView, m_ui.fileShareCollectionView, this);
        m_pages->setTiles([](QWidget *parent) { return new FileShareImageViewCollectionViewItem(parent); },
                          [](QWidget *tile, const FileSliceModel &page, int index) {
                              auto *item = static_cast<FileShareImageViewCollectionViewItem *>(tile);
                              item->setPageNumber(index + 1);
                              item->loadPage(page.downloadUrl);
                          });
    }
}

bool FileShareDocument::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_bar && event->type() == QEvent::Resize)
        fitBarStart();
    if (event->type() == QEvent::KeyPress && watched == m_ui.fileShareScrollView && m_state.fileShareMode == 1) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
            if (key->key() == Qt::Key_Left)
                leftFlipOverAction(nullptr);
            else
                rightFlipOverAction(nullptr);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- Layout mode ----------------------------------------------------------------------------------------

void FileShareDocument::setFileShareMode(int mode)
{
    const bool share = mode >= 1 && mode <= 3;
    m_state.fileShareMode = share ? mode : 0;
    setShown(m_ui.scrollView, !share);
    setShown(m_ui.shareShowBKView, share);
    // A member's screen share on show keeps the strip beside it.
    const bool screenOnShow = m_ui.screenShareRenderView && !m_ui.screenShareRenderView->isHidden();
    setShown(m_ui.verticalShowScrollView, share || screenOnShow);
    setShown(m_ui.verticalShowCollectionView, share || screenOnShow);
    setShown(m_ui.fileSharePanelBKView, share);
    // The bar names the file in every share mode; who shares and the pages only for a document.
    setShown(m_bar, share);
    placeFileName(mode == 1);
    // The share sits between the bars, under the document's bar; the grid uses the whole middle.
    if (m_ui.videoViewTopConstraint)
        m_ui.videoViewTopConstraint->setConstant(share ? kDocumentBarHeight : 0);
    const QColor bars = vesk::colorWithHexString(QStringLiteral("#1D1D1D"), share ? 1.0 : 0.5);
    for (QWidget *w : {m_ui.bottomView.data(), m_ui.toolBarMiddleView.data()}) {
        if (w)
            vesk::setBackgroundColor(w, bars);
    }
    if (!share) {
        const bool screen = m_services->selfScreenOrWindowSharing();
        // Only a share the user can end keeps the end button.
        setShown(m_ui.finishShareBtn, screen);
        if (m_ui.shareBtn)
            m_ui.shareBtn->setState(screen ? 1 : 0);
        return;
    }
    if (mode == 1) {
        setShown(m_ui.fileShareScrollView, true);
        setShown(m_ui.currentPagePanel, true);
        setShown(m_ui.currentFilePanel, true);
        // Who shares: hidden by a file's layout, so shown again for every document.
        setShown(m_ui.currentFileShareNameLabel, true);
        setShown(m_ui.avFileShareRenderView, false);
        if (userCanControl())
            setFlipButtonsShown(false);
    } else {
        setShown(m_ui.fileShareScrollView, false);
    }
}

// ---- Starting the view ----------------------------------------------------------------------------------

void FileShareDocument::startFileShareFromAction(const FileShareDatailModel &model)
{
    const FileShareDocumentServices::Me me = m_services->me();
    m_services->setSelfFileSharing(true);
    setFileShareFlipOverReceiveSequenceId(0);
    if (m_ui.shareBtn)
        m_ui.shareBtn->setState(1);
    setFileShareMode(1);
    setShown(m_ui.fileSharePanelBKView, true);
    m_state.fileShareFlipOverSendSequenceId = 1;
    setFlipButtonsShown(true);
    auto shown = std::make_shared<FileShareDatailModel>(model);
    shown->userId = me.phoneNumber;
    shown->userName = me.userName;
    m_state.fileShareDatailModel = shown;
    showSharerName();
    showFileName(shown->fileName);
    setWheelScroll(fileShareDisplayEnableScroll() && userCanControl());
    setShown(m_ui.finishShareBtn, true);
    resetScrollSync();
    reloadPages();
    setCurrentPageNum(0);
    scrollToItemAtIndex(0);
    if (m_calls.reloadMembers)
        m_calls.reloadMembers();
}

void FileShareDocument::queryFileShareList(int source)
{
    if (source != 3)
        setFileShareMode(1);
    const QString fileId = m_state.fileShareDatailModel ? m_state.fileShareDatailModel->fileId : QString();
    const quint64 askedAt = m_state.fileShareFlipOverReceiveSequenceId;
    QPointer<FileShareDocument> weak(this);
    m_services->queryFileSliceUrl(this, fileId, [weak, source, fileId, askedAt](const KVMResponse &response) {
        if (!weak)
            return;
        FileShareDocument &self = *weak;
        MeetingSharing::State &state = self.m_state;
        // A reply for a document that is no longer shown changes nothing.
        if (!state.fileShareDatailModel || state.fileShareDatailModel->fileId != fileId)
            return;
        if (!response.successed) {
            VeskToast::showToastInMeeting(orFallback(response.message, QStringLiteral("未获取到共享文件信息失败")));
            return;
        }
        auto detail =
            std::make_shared<FileShareDatailModel>(jx_objectWithKeyValues<FileShareDatailModel>(response.data));
        if (detail->sliceInfo.isEmpty()) {
            VeskToast::showToastInMeeting(QStringLiteral("未获取到共享文件信息，请稍后再试"));
            return;
        }
        const std::shared_ptr<FileShareDatailModel> shown = state.fileShareDatailModel;
        if (source == 1) {
            detail->enableOperationFileStatus = FileShareRights::NotGiven;
            detail->setUserCanControl(shown->userCanControl());
            const FileSharedResp running = self.m_services->runningShare();
            detail->userId = running.userId;
            detail->userName = running.userName;
            state.fileShareDatailModel = detail;
            self.startFileShareFromEnter();
        } else if (source == 2) {
            detail->enableUserList = shown->enableUserList;
            detail->enableOperationFileStatus = shown->enableOperationFileStatus;
            detail->setUserCanControl(shown->userCanControl());
            detail->userId = shown->userId;
            detail->userName = shown->userName;
            state.fileShareDatailModel = detail;
            // A page the sharer turned to while the list was on its way stays shown.
            const bool followed = state.fileShareFlipOverReceiveSequenceId != askedAt;
            const int page = state.currentPageNum;
            self.startFileShareFromIMControl();
            if (followed && page > 0 && page < self.pageCount()) {
                self.setCurrentPageNum(page);
                self.scrollToItemAtIndex(page);
            }
        }
        self.showFileName(detail->fileName);
    });
    queryAllShareFileInfo();
}

void FileShareDocument::startFileShareFromEnter()
{
    setFileShareMode(1);
    const FileSharedResp running = m_services->runningShare();
    const FileShareDocumentServices::Me me = m_services->me();
    const bool can = userCanControl();
    if (isMe(running.userId, me)) {
        setFlipButtonsShown(true);
        setShown(m_ui.finishShareBtn, true);
        m_services->setSelfFileSharing(true);
        setWheelScroll(fileShareDisplayEnableScroll() && can);
    } else {
        setFlipButtonsShown(can);
        setShown(m_ui.finishShareBtn, can);
        setWheelScroll(can && fileShareDisplayEnableScroll());
        m_services->setSelfFileSharing(false);
    }
    setFileShareFlipOverReceiveSequenceId(MeetingHostControlRules::announcedSequenceId(running.orderStatus.sequenceId));
    showSharerName();
    resetScrollSync();
    reloadPages();

    const FileShareInfoModel &position = running.orderStatus;
    QPointer<FileShareDocument> weak(this);
    if (!position.fileId.isEmpty() && position.flipOverType != 0) {
        const double scale = position.offsetScale.toDouble();
        KVTimer::singleShot(this, 200ms, [weak, scale] {
            if (weak)
                weak->scrollToPosition(scale);
        });
    } else {
        int page = 0;
        if (!position.fileId.isEmpty() && m_state.fileShareDatailModel) {
            if (const auto index = MeetingHostControlRules::pageIndexForSlice(m_state.fileShareDatailModel->sliceInfo,
                                                                              position.sliceId))
                page = *index;
        }
        setCurrentPageNum(page);
        KVTimer::singleShot(this, 200ms, [weak] {
            if (weak)
                weak->scrollToItemAtIndex(weak->m_state.currentPageNum);
        });
    }
    if (m_calls.reloadMembers)
        m_calls.reloadMembers();
}

void FileShareDocument::startFileShareFromIMControl()
{
    const bool can = userCanControl();
    setFlipButtonsShown(can);
    setShown(m_ui.finishShareBtn, can);
    setWheelScroll(can && fileShareDisplayEnableScroll());
    showSharerName();
    // The send id stays at the announced id, so the sharer's first position (its id 1 after a
    // start at 0) is greater than both of ours and is followed.
    m_services->setSelfFileSharing(false);
    resetScrollSync();
    reloadPages();
    setCurrentPageNum(0);
    scrollToItemAtIndex(0);
    if (m_calls.reloadMembers)
        m_calls.reloadMembers();
}

void FileShareDocument::queryAllShareFileInfo(ListBlock block)
{
    QPointer<FileShareDocument> weak(this);
    m_services->queryAllShareFileInfo(this, [weak, block](const KVMResponse &response) {
        if (!weak)
            return;
        FileShareDocument &self = *weak;
        self.m_state.allFileShareArray.clear();
        if (!response.successed) {
            VeskToast::showToastInMeeting(QStringLiteral("获取共享文件信息失败"));
            if (block)
                block(false, false);
            return;
        }
        if (!response.data.isValid() || response.data.isNull()) {
            if (block)
                block(false, false);
            return;
        }
        self.m_state.allFileShareArray = jx_objectArrayWithKeyValuesArray<FileShareDatailModel>(response.data);
        const bool hasFiles = !self.m_state.allFileShareArray.isEmpty();
        if (block)
            block(hasFiles, true);
        if (!weak)
            return;
        const FileShareDocumentServices::Me me = self.m_services->me();
        if (!self.m_ui.selectFileShareSwitchBtn)
            return;
        // Hosts keep the arrow: the room's share permission is set behind it.
        const bool arrow = me.host || me.assistantHost || hasFiles;
        self.m_ui.selectFileShareSwitchBtn->setVisible(arrow);
        if (!arrow)
            self.m_ui.selectFileShareSwitchBtn->setState(0);
        if (self.m_ui.bottomSareContainerViewWidthConst)
            self.m_ui.bottomSareContainerViewWidthConst->setConstant(arrow ? MeetingWindowRules::kShareBoxWithArrow
                                                                           : MeetingWindowRules::kShareBox);
    });
}

// ---- Pages ----------------------------------------------------------------------------------------------

bool FileShareDocument::fileShareDisplayEnableScroll() const
{
    if (!m_state.fileShareDatailModel)
        return false;
    const QList<FileSliceModel> &pages = m_state.fileShareDatailModel->sliceInfo;
    const auto landscape =
        std::count_if(pages.cbegin(), pages.cend(), [](const FileSliceModel &p) { return p.picWidth >= p.picHeight; });
    return landscape < pages.size() / 2;
}

void FileShareDocument::setCurrentPageNum(int page)
{
    m_state.currentPageNum = page;
    const QString current = QString::asprintf("%d", page + 1);
    const QString total = QString::asprintf(" /   %ld", long(pageCount()));
    const QFont font = vesk::systemFont(12);
    const double currentWidth = std::max(18.0, std::ceil(vesk::widthOfStringwithFont(current, font)));
    if (m_ui.currentPage)
        m_ui.currentPage->setText(current);
    if (m_ui.totalPage)
        m_ui.totalPage->setText(total);
    if (m_ui.currentPageNumWidthConstraint)
        m_ui.currentPageNumWidthConstraint->setConstant(currentWidth);
    if (m_ui.pageNumPanelWidthConstraint)
        m_ui.pageNumPanelWidthConstraint->setConstant(std::ceil(vesk::widthOfStringwithFont(total, font)) + 35 +
                                                      currentWidth);
    if (m_ui.currentPagePanel)
        m_ui.currentPagePanel->setAccessibleName(QStringLiteral("第%1页，共%2页").arg(page + 1).arg(pageCount()));
    if (userCanControl()) {
        setShown(m_ui.leftFlipOverButton, page != 0);
        setShown(m_ui.rightFlipOverButton, page + 1 != pageCount());
    }
    fitBarStart();
    prefetchAround(page);
}

void FileShareDocument::prefetchAround(int page)
{
    // Only the pages about to be shown: a whole document of large pages at once would hold them
    // all in memory together.
    const QList<FileSliceModel> &pages =
        m_state.fileShareDatailModel ? m_state.fileShareDatailModel->sliceInfo : QList<FileSliceModel>();
    const int first = std::max(0, page - kPrefetchBehind);
    const int last = std::min(int(pages.size()) - 1, page + kPrefetchAhead);
    if (first <= last)
        m_services->prefetch(pageUrls(pages.mid(first, last - first + 1)));
}

void FileShareDocument::scrollToItemAtIndex(int index)
{
    if (index < 0 || index >= pageCount() || !m_pages || !m_ui.fileShareScrollView)
        return;
    m_state.flipOverDuration = true;
    m_ui.fileShareScrollView->verticalScrollBar()->setValue(m_pages->pageTop(index));
    endFlipOverDurationLater();
}

void FileShareDocument::scrollToPosition(double scale)
{
    scale = std::clamp(scale, 0.0, 1.0);
    const double height = m_pages ? m_pages->documentHeight() : 0;
    const double y = height * scale;
    if (const double step = tileHeight(); step > 0 && pageCount() > 0)
        setCurrentPageNum(std::min(int(y / step), pageCount() - 1));
    if (m_ui.fileShareScrollView)
        m_ui.fileShareScrollView->verticalScrollBar()->setValue(int(std::lround(y)));
}

// ---- Flips and scroll positions sent to the room ---------------------------------------------------------

void FileShareDocument::leftFlipOverAction(QObject *)
{
    if (!m_ui.leftFlipOverButton || m_ui.leftFlipOverButton->isHidden() || m_state.currentPageNum <= 0)
        return;
    flipTo(m_state.currentPageNum - 1);
}

void FileShareDocument::rightFlipOverAction(QObject *)
{
    if (!m_ui.rightFlipOverButton || m_ui.rightFlipOverButton->isHidden() || m_state.currentPageNum + 1 >= pageCount())
        return;
    flipTo(m_state.currentPageNum + 1);
}

void FileShareDocument::flipTo(int page)
{
    const std::shared_ptr<FileShareDatailModel> model = m_state.fileShareDatailModel;
    if (!model)
        return;
    const int previous = m_state.currentPageNum;
    setCurrentPageNum(page);
    // Raised as the record goes out: a second flip before the first reply carries a new id, or
    // peers (which apply only greater ids) would drop it.
    const quint64 sequenceId = m_state.fileShareFlipOverSendSequenceId;
    m_state.fileShareFlipOverSendSequenceId = MeetingHostControlRules::nextSequenceId(sequenceId);
    const QJsonObject record{
        {QStringLiteral("fileId"), model->fileId},
        {QStringLiteral("sliceId"), page < model->sliceInfo.size() ? model->sliceInfo.at(page).sliceId : QString()},
        {QStringLiteral("peerId"), RXEncrypt::aes128ecbEncrypt(m_services->me().userId)},
        {QStringLiteral("flipOverType"), 0},
        {QStringLiteral("page"), page + 1},
        {QStringLiteral("sequenceId"), QJsonValue(qint64(sequenceId))},
    };
    QPointer<FileShareDocument> weak(this);
    m_services->flipOver(this, compact(record), model->fileId, [weak, previous, page](const KVMResponse &response) {
        if (!weak)
            return;
        if (!response.successed) {
            // A later flip or a peer's position has moved on: that page stays.
            if (weak->m_state.currentPageNum == page) {
                weak->setCurrentPageNum(previous);
                weak->scrollToItemAtIndex(previous);
            }
            VeskToast::showToastInMeeting(orFallback(response.message, QStringLiteral("翻页失败")));
            return;
        }
        weak->scrollToItemAtIndex(std::clamp(weak->m_state.currentPageNum, 0, std::max(0, weak->pageCount() - 1)));
    });
}

void FileShareDocument::scrollViewDidScroll()
{
    if (!m_pages || !m_ui.fileShareScrollView || !userCanControl() || m_state.flipOverDuration ||
        !m_ui.fileShareScrollView->enableScroll())
        return;
    const double height = m_pages->documentHeight();
    if (height <= 0)
        return;
    const int y = m_ui.fileShareScrollView->verticalScrollBar()->value();
    const double scale = y / height;
    const QString text = QString::asprintf("%.05f", scale);

    if (m_state.scrollTimer)
        m_state.scrollTimer->invalidate();
    QPointer<FileShareDocument> weak(this);
    m_state.scrollTimer = KVTimer::singleShot(this, 200ms, [weak, text] {
        if (weak)
            weak->scrollDidStop(text);
    });

    bool jump = false;
    if (m_state.lastOffsetScale == 0)
        m_state.lastOffsetScale = scale;
    else
        jump = std::abs(m_state.lastOffsetScale - scale) >= kScrollJump;

    if (const int step = int(tileHeight()); step > 0) {
        setCurrentPageNum(std::min(y / step, std::max(0, pageCount() - 1)));
        const double now = double(KVClock::current().nowMs());
        if (!m_scrollSent || now - m_state.lastScrollTimeInterval >= kScrollSendIntervalMs || jump) {
            m_scrollSent = true;
            m_state.lastScrollTimeInterval = now;
            postScrollPostitionOffsetScale(text);
        }
    }
}

void FileShareDocument::scrollDidStop(const QString &offsetScale)
{
    m_state.scrollTimer = nullptr;
    postScrollPostitionOffsetScale(offsetScale);
}

void FileShareDocument::postScrollPostitionOffsetScale(const QString &offsetScale)
{
    const std::shared_ptr<FileShareDatailModel> model = m_state.fileShareDatailModel;
    const QString fileId = model ? model->fileId : QString();
    const quint64 sequenceId = m_state.fileShareFlipOverSendSequenceId;
    m_state.fileShareFlipOverSendSequenceId = MeetingHostControlRules::nextSequenceId(sequenceId);
    const QJsonObject record{
        {QStringLiteral("fileId"), fileId},
        {QStringLiteral("offsetScale"), offsetScale},
        {QStringLiteral("flipOverType"), 1},
        {QStringLiteral("page"), m_state.currentPageNum + 1},
        {QStringLiteral("sequenceId"), QJsonValue(qint64(sequenceId))},
    };
    m_services->flipOver(this, compact(record), fileId, [](const KVMResponse &response) {
        if (!response.successed)
            VeskToast::showToastInMeeting(orFallback(response.message, QStringLiteral("同步滚动失败")));
    });
}

void FileShareDocument::setFileShareFlipOverReceiveSequenceId(quint64 sequenceId)
{
    m_state.fileShareFlipOverReceiveSequenceId = sequenceId;
    m_state.fileShareFlipOverSendSequenceId = sequenceId;
}

// ---- The shared-file lists ------------------------------------------------------------------------------

namespace {
void switchOff(VeskButton *button)
{
    if (button)
        button->setState(0);
}
} // namespace

void FileShareDocument::FileshareSwitchPanelAction(VeskButton *sender)
{
    QPointer<QWidget> &slot = m_state.fileShareSpeedSwicthPanel;
    if (!sender || (slot && slot->isVisible())) {
        removeQuickList();
        switchOff(m_ui.fileShareSwitchButton);
        return;
    }
    const QList<FileShareDatailModel> files = m_state.allFileShareArray;
    if (files.isEmpty()) {
        VeskToast::showToastInMeeting(QStringLiteral("暂无可共享文件"));
        switchOff(sender);
        return;
    }
    QWidget *host = m_bar ? m_bar->parentWidget() : nullptr;
    if (!host)
        return;
    removeQuickList();
    auto *panel = new FileShareSpeedSwicthPanel(host);
    panel->setAllFileShareArray(files);
    panel->setAlignment(Qt::AlignLeft);
    const QFont font = vesk::systemFont(14);
    int width = 0;
    for (const FileShareDatailModel &file : files)
        width = std::max(width,
                         std::clamp(int(std::ceil(vesk::widthOfStringwithFont(file.fileName, font))) + 24, 142, 320));
    const QSize size(width, int(files.size()) * FileShareSpeedSwitchPanelRow::kHeight + 6);
    panel->setCustomFrameSize(size);
    const QPoint at = sender->mapTo(host, QPoint(0, sender->height()));
    panel->setGeometry(QRect(QPoint(at.x(), at.y() + 2), size));
    QPointer<VeskButton> opener(sender);
    QPointer<FileShareDocument> weak(this);
    panel->selectedBlock = [weak, opener](const FileShareDatailModel &file) {
        switchOff(opener);
        if (weak)
            weak->fileShareSwitchAction(file);
    };
    slot = panel;
    panel->show();
    panel->raise();
    panel->presentFrom(sender, [weak] {
        if (!weak)
            return;
        weak->removeQuickList();
        switchOff(weak->m_ui.fileShareSwitchButton);
    });
}

void FileShareDocument::showFileShareSwitchListView(VeskButton *sender)
{
    // A file chosen in the list is switched to by the picker; without one the choice would be lost.
    if (m_calls.ensureSharePicker)
        m_calls.ensureSharePicker();
    const FileShareDocumentServices::Me me = m_services->me();
    const bool privileged = me.host || me.assistantHost;
    QPointer<FileShareDocument> weak(this);
    QPointer<VeskButton> opener(sender);
    queryAllShareFileInfo([weak, opener, privileged](bool hasFiles, bool ok) {
        if (!weak)
            return;
        FileShareDocument &self = *weak;
        if (!ok) {
            switchOff(opener);
            return;
        }
        if (!hasFiles && !privileged) {
            VeskToast::showToastInMeeting(QStringLiteral("暂无可共享文件"));
            switchOff(opener);
            return;
        }
        QPointer<QWidget> &slot = self.m_state.fileShareSpeedSwicthPanelBottom;
        if (slot && slot->isVisible()) {
            self.removeBottomPanel();
            switchOff(opener);
            return;
        }
        QWidget *host = self.m_bar ? self.m_bar->parentWidget() : nullptr;
        if (!opener || !host)
            return;
        const QList<FileShareDatailModel> files = self.m_state.allFileShareArray;
        self.removeBottomPanel();
        auto *panel = new ShareBottomPanel(nullptr, host);
        panel->setAllFileShareArray(files);
        panel->setAlignment(Qt::AlignHCenter);
        const QSize size = ShareBottomPanel::sizeFor(files, privileged);
        panel->setCustomFrameSize(size);
        if (self.m_calls.hideOtherOverViews)
            self.m_calls.hideOtherOverViews(panel);
        // Left edge 10 pt left of the share button, bottom 13 pt above the tool bar.
        const int left = self.m_ui.shareBtn ? self.m_ui.shareBtn->mapTo(host, QPoint(0, 0)).x() - 10
                                            : opener->mapTo(host, QPoint(0, 0)).x();
        const int bottom = self.m_ui.bottomView ? self.m_ui.bottomView->mapTo(host, QPoint(0, 0)).y() - 13
                                                : opener->mapTo(host, QPoint(0, 0)).y() - 13;
        panel->setGeometry(QRect(QPoint(std::max(0, left), bottom - size.height()), size));
        panel->selectedBlock = [weak, opener](const FileShareDatailModel &file) {
            switchOff(opener);
            if (weak)
                weak->fileShareSwitchAction(file);
        };
        panel->allowSharePermissionTypeChangeBlock = [weak](int value) {
            if (!weak)
                return;
            if (value == 1 && weak->m_calls.openMemberList)
                weak->m_calls.openMemberList();
            if (weak->m_calls.querySharePermission)
                weak->m_calls.querySharePermission();
        };
        slot = panel;
        panel->show();
        panel->raise();
        panel->presentFrom(opener, [weak, opener] {
            if (weak)
                weak->removeBottomPanel();
            switchOff(opener);
        });
    });
}

void FileShareDocument::removeQuickList()
{
    QPointer<QWidget> &slot = m_state.fileShareSpeedSwicthPanel;
    if (!slot)
        return;
    slot->hide();
    slot->deleteLater();
    slot = nullptr;
}

void FileShareDocument::removeBottomPanel()
{
    QPointer<QWidget> &slot = m_state.fileShareSpeedSwicthPanelBottom;
    if (!slot)
        return;
    slot->hide();
    slot->deleteLater();
    slot = nullptr;
}

// ---- Switching the shared file --------------------------------------------------------------------------

void FileShareDocument::fileShareSwitchAction(const FileShareDatailModel &target)
{
    if (target.fileId.isEmpty())
        return;
    // The picker carries the switch out; after a start from it, it has closed.
    if (m_calls.ensureSharePicker)
        m_calls.ensureSharePicker();
    QVariantMap info{
        {QStringLiteral("userId"), target.userId},
        {QStringLiteral("fileId"), target.fileId},
        {QStringLiteral("fileName"), target.fileName},
        {QStringLiteral("fileType"), target.fileType},
        {QStringLiteral("duration"), qlonglong(target.duration)},
    };
    if (m_state.fileShareMode == 1) {
        const std::shared_ptr<FileShareDatailModel> shown = m_state.fileShareDatailModel;
        info.insert(QStringLiteral("sharing"), 1);
        info.insert(QStringLiteral("fileShareMode"), 1);
        info.insert(QStringLiteral("oldUserId"), shown ? shown->userId : QString());
        info.insert(QStringLiteral("oldFileId"), shown ? shown->fileId : QString());
        info.insert(QStringLiteral("oldFileName"), shown ? shown->fileName : QString());
    } else if (m_state.fileShareMode == 2) {
        if (m_ui.avFileSharePlayButton)
            m_ui.avFileSharePlayButton->setState(1);
        if (m_calls.stopAVFileShareTimer)
            m_calls.stopAVFileShareTimer(false);
        const std::shared_ptr<FileShareModel> shown = m_state.avFileShareModel; // the file played
        info.insert(QStringLiteral("sharing"), 1);
        info.insert(QStringLiteral("fileShareMode"), 2);
        info.insert(QStringLiteral("oldUserId"), shown ? shown->userId : QString());
        info.insert(QStringLiteral("oldFileId"), shown ? shown->fileId : QString());
        info.insert(QStringLiteral("oldFileName"), shown ? shown->fileName : QString());
        info.insert(QStringLiteral("oldFileType"), shown ? shown->fileType : QString());
    } else {
        info.insert(QStringLiteral("sharing"), 0);
        // A new share, as from the share button: it holds the lock, or another could start too.
        if (m_calls.withShareLock) {
            QPointer<QObject> window(parent());
            m_calls.withShareLock([window, info] {
                NotificationCenter::defaultCenter().post(QStringLiteral("switchShareFile"),
                                                         QVariant::fromValue<QObject *>(window.data()), info);
            });
            return;
        }
    }
    NotificationCenter::defaultCenter().post(QStringLiteral("switchShareFile"),
                                             QVariant::fromValue<QObject *>(parent()), info);
}

void FileShareDocument::shareSelectPanelSwitchFile(const QVariantMap &userInfo)
{
    FileShareDatailModel target;
    target.userId = userInfo.value(QStringLiteral("userId")).toString();
    target.fileId = userInfo.value(QStringLiteral("fileId")).toString();
    target.fileName = userInfo.value(QStringLiteral("fileName")).toString();
    target.fileType = userInfo.value(QStringLiteral("fileType")).toString();
    target.duration = userInfo.value(QStringLiteral("duration")).toLongLong();
    fileShareSwitchAction(target);
}

// ---- Control events -------------------------------------------------------------------------------------

namespace {
std::shared_ptr<FileShareDatailModel> documentFrom(const MeetingControlData &data)
{
    auto model = std::make_shared<FileShareDatailModel>();
    model->fileId = data.fileId;
    model->sliceCount = data.sliceCount;
    model->sliceInfo = data.sliceInfo;
    model->userId = data.peerId;
    model->userName = data.peerName;
    return model;
}
} // namespace

void FileShareDocument::applyDocumentShare(const MeetingControlData &data)
{
    if (data.sharedFileStatus == 1) {
        auto model = documentFrom(data);
        model->enableUserList = data.enableUserList;
        model->enableOperationFileStatus = data.enableOperationFileStatus;
        m_state.fileShareDatailModel = model;
        setFileShareFlipOverReceiveSequenceId(MeetingHostControlRules::announcedSequenceId(data.sequenceId));
        queryFileShareList(2);
        return;
    }
    const bool selfSharing = m_services->selfFileSharing();
    if (!selfSharing && m_state.fileShareDatailModel && !m_state.fileShareDatailModel->fileId.isEmpty())
        VeskToast::showToast(
            QStringLiteral("%1的共享已结束").arg(KVDataText::isolatedName(m_state.fileShareDatailModel->userName)));
    FileshareSwitchPanelAction(nullptr);
    setFileShareFlipOverReceiveSequenceId(0);
    m_state.fileShareDatailModel = std::make_shared<FileShareDatailModel>();
    if (m_state.scrollTimer)
        m_state.scrollTimer->invalidate();
    setFileShareMode(0);
    reloadPages();
    if (m_calls.reloadMembers)
        m_calls.reloadMembers();
    if (selfSharing && m_calls.stopScreenShare)
        m_calls.stopScreenShare(true);
}

void FileShareDocument::applyDocumentSwitch(const MeetingControlData &data)
{
    if (m_services->selfFileSharing() && m_calls.stopScreenShare)
        m_calls.stopScreenShare(true);
    m_state.fileShareDatailModel = documentFrom(data);
    setFileShareFlipOverReceiveSequenceId(MeetingHostControlRules::announcedSequenceId(data.sequenceId));
    queryFileShareList(2);
}

void FileShareDocument::applyDocumentFollow(const MeetingControlData &data)
{
    if (data.sequenceId > MeetingHostControlRules::kMaxSequenceId) {
        qCInfo(lcMeeting) << "document position with an id out of range dropped";
        return;
    }
    if (!MeetingHostControlRules::followApplies(data.sequenceId, m_state.fileShareFlipOverReceiveSequenceId,
                                                m_state.fileShareFlipOverSendSequenceId))
        return;
    setFileShareFlipOverReceiveSequenceId(data.sequenceId);
    m_state.flipOverDuration = true;
    if (data.flipOverType == 1) {
        scrollToPosition(data.offsetScale);
    } else if (data.flipOverType == 0 && m_state.fileShareDatailModel) {
        if (const auto index =
                MeetingHostControlRules::pageIndexForSlice(m_state.fileShareDatailModel->sliceInfo, data.sliceId)) {
            setCurrentPageNum(*index);
            scrollToItemAtIndex(*index);
        }
    }
    endFlipOverDurationLater();
}

// ---- Helpers --------------------------------------------------------------------------------------------

bool FileShareDocument::userCanControl() const
{
    return m_state.fileShareDatailModel && m_state.fileShareDatailModel->userCanControl();
}

int FileShareDocument::pageCount() const
{
    return m_state.fileShareDatailModel ? int(m_state.fileShareDatailModel->sliceInfo.size()) : 0;
}

double FileShareDocument::tileHeight() const
{
    return m_pages ? m_pages->tileSize().height() : 0;
}

void FileShareDocument::setFlipButtonsShown(bool shown)
{
    setShown(m_ui.leftFlipOverButton, shown);
    setShown(m_ui.rightFlipOverButton, shown);
    fitBarStart();
}

void FileShareDocument::setWheelScroll(bool on)
{
    if (m_ui.fileShareScrollView)
        m_ui.fileShareScrollView->setEnableScroll(on);
}

void FileShareDocument::showSharerName()
{
    if (!m_ui.currentFileShareNameLabel || !m_state.fileShareDatailModel)
        return;
    const FileShareDatailModel &model = *m_state.fileShareDatailModel;
    const QString who =
        model.userId == m_services->me().phoneNumber ? QStringLiteral("您") : KVDataText::isolatedName(model.userName);
    KVDataText::setText(m_ui.currentFileShareNameLabel, QStringLiteral("%1正在共享").arg(who));
    placeFileName(m_state.fileShareMode == 1);
}

void FileShareDocument::placeFileName(bool afterSharer)
{
    if (m_sharerWidth) {
        const QLabel *label = m_ui.currentFileShareNameLabel;
        m_sharerWidth->setConstant(afterSharer && label ? label->sizeHint().width() : 0);
    }
    if (m_fileNameGap)
        m_fileNameGap->setConstant(afterSharer ? 8 : 0);
    fitBarStart();
}

void FileShareDocument::showFileName(const QString &fileName)
{
    // A name's direction marks stay inside it, whatever it holds.
    const QString shown = KVDataText::isolated(KVDataText::bounded(fileName, DataText::kLineLength));
    if (auto *label = dynamic_cast<KVElidedLabel *>(m_ui.shareFileName.data()))
        label->setFullText(shown);
    else if (m_ui.shareFileName)
        KVDataText::setText(m_ui.shareFileName, shown);
    if (m_ui.shareFileName)
        m_ui.shareFileName->setAccessibleName(shown);
    m_fileNameWidth = std::min(200, int(std::ceil(vesk::widthOfStringwithFont(shown, vesk::systemFont(12)))) + 30);
    if (m_ui.currentFilePanelWidthConstraint)
        m_ui.currentFilePanelWidthConstraint->setConstant(m_fileNameWidth);
    fitBarStart();
}

// The start of the bar (who shares, the file, the switch) ends before the page buttons in its
// middle: on a narrow bar the sharer's text gives way first, then the file name; both are cut.
void FileShareDocument::fitBarStart()
{
    if (!m_bar || m_state.fileShareMode != 1 || !m_ui.currentPagePanel)
        return;
    constexpr int kLead = 16, kGap = 8, kSwitch = 48, kFlip = 56, kSharerAtLeast = 80;
    const int panel = m_ui.pageNumPanelWidthConstraint ? int(m_ui.pageNumPanelWidthConstraint->constant())
                                                       : m_ui.currentPagePanel->width();
    int limit = m_bar->width() / 2 - panel / 2 - kGap;
    const bool flips = (m_ui.leftFlipOverButton && !m_ui.leftFlipOverButton->isHidden()) ||
                       (m_ui.rightFlipOverButton && !m_ui.rightFlipOverButton->isHidden());
    if (flips)
        limit -= kFlip + kGap;
    const QLabel *label = m_ui.currentFileShareNameLabel;
    const int sharerWanted = label ? label->sizeHint().width() : 0;
    const int room = std::max(0, limit - kLead - kGap - kGap - kSwitch);
    const int name = std::min(m_fileNameWidth, std::max(0, room - std::min(sharerWanted, kSharerAtLeast)));
    if (m_ui.currentFilePanelWidthConstraint)
        m_ui.currentFilePanelWidthConstraint->setConstant(name);
    if (m_sharerWidth)
        m_sharerWidth->setConstant(std::min(sharerWanted, std::max(0, room - name)));
}

void FileShareDocument::resetScrollSync()
{
    m_state.lastScrollTimeInterval = 0;
    m_state.lastOffsetScale = 0;
    m_scrollSent = false;
}

void FileShareDocument::reloadPages()
{
    if (!m_pages)
        return;
    const QSizeF size = m_calls.pageSize ? m_calls.pageSize() : m_state.fileShareFlowLayout;
    m_pages->reload(m_state.fileShareDatailModel ? m_state.fileShareDatailModel->sliceInfo : QList<FileSliceModel>(),
                    size);
}

void FileShareDocument::endFlipOverDurationLater()
{
    QPointer<FileShareDocument> weak(this);
    KVTimer::singleShot(this, 100ms, [weak] {
        if (weak)
            weak->m_state.flipOverDuration = false;
    });
}
