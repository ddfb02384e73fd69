#include "meeting/sharing/ShareSelectPanel.h"

#include "foundation/KVClock.h"
#include "foundation/models/MeetingDataModel.h"
#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "meeting/sharing/FileSharePermissionSettingView.h"
#include "meeting/sharing/FileShareSupportFileList.h"
#include "meeting/sharing/FileUploadPermissionPanelView.h"
#include "meeting/sharing/ShareFileRowsModel.h"
#include "meeting/sharing/ShareFileServices.h"
#include "meeting/sharing/ShareIcons.h"
#include "meeting/sharing/ShareSelectCells.h"
#include "uikit/KVDataText.h"
#include "uikit/KVRowListView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"
#include "uikit/VeskMeetingToast.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QVBoxLayout>

namespace S = ShareSelectSections;

namespace {

constexpr int kGridWidth = ShareSelectPanel::kSize.width() - 2 * S::kSideInset;
constexpr int kTileColumns = kGridWidth / S::kScreenTile.width();
constexpr int kAppColumns = kGridWidth / S::kAppTile.width();
// A room name from the service, cut where it enters the view.
constexpr int kMaxNameLength = 128;

// The creator's name stays in its own direction inside our title.
QString creatorsMeeting(const QString &creator)
{
    return QStringLiteral("%1创建的会议").arg(KVDataText::isolatedName(creator));
}

QColor hex(const char *code, qreal alpha = 1.0)
{
    return vesk::colorWithHexString(QString::fromLatin1(code), alpha);
}

void fill(QWidget *view, const QColor &colour, qreal radius = 0)
{
    if (!view)
        return;
    VeskLayer *layer = VeskLayer::of(view);
    layer->setBackgroundColor(colour);
    layer->setCornerRadius(radius);
}

QWidget *line(QWidget *parent, const char *name)
{
    auto *w = new QWidget(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setFixedHeight(1);
    return w;
}

VeskButton *textButton(QWidget *parent, const QString &title, const char *name)
{
    auto *b = new VeskButton(title, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFont(vesk::systemFont(14));
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

// A section of the grid: a fixed-column grid with the section's spacing and insets.
QWidget *section(QWidget *parent, QPointer<QGridLayout> &grid)
{
    auto *w = new QWidget(parent);
    grid = new QGridLayout(w);
    grid->setContentsMargins(S::kSideInset, 0, S::kSideInset, 0);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(S::kLineSpacing);
    grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return w;
}

template <typename T> void clear(QList<T *> &items)
{
    for (T *item : items)
        delete item;
    items.clear();
}

} // namespace

ShareSelectPanel::ShareSelectPanel(QWidget *parent, std::shared_ptr<ShareFileServices> services)
    : QWidget(parent), m_services(services ? std::move(services) : ShareFileServices::current())
{
    setObjectName(QStringLiteral("ShareSelectPanel"));
    setAccessibleName(QStringLiteral("选择共享内容"));
    setFocusPolicy(Qt::StrongFocus);
    buildViews();
    createUI();
}

ShareSelectPanel::~ShareSelectPanel()
{
    stopQueryTimer();
    // Files still read stop at their next chunk; their workers report to a guard that is gone by
    // then, and the picker does not wait for them.
    for (Pending &p : m_pending)
        p.reading.request_stop();
}

void ShareSelectPanel::buildViews()
{
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);

    auto *header = new QWidget(this);
    header->setFixedHeight(56);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(S::kSideInset, 10, 12, 10);
    titleLabel = new QLabel(header);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    titleLabel->setTextFormat(Qt::PlainText);
    headerRow->addWidget(titleLabel);
    headerRow->addStretch(1);
    tabView = new QWidget(header);
    tabView->setObjectName(QStringLiteral("tabView"));
    auto *tabs = new QHBoxLayout(tabView);
    tabs->setContentsMargins(2, 2, 2, 2);
    tabs->setSpacing(0);
    generalShareButton = textButton(tabView, QStringLiteral("标准"), "generalShareButton");
    fileShareButton = textButton(tabView, QStringLiteral("文件"), "fileShareButton");
    for (VeskButton *b : {generalShareButton.data(), fileShareButton.data()}) {
        b->setFixedSize(88, 28);
        tabs->addWidget(b);
    }
    headerRow->addWidget(tabView);
    headerRow->addStretch(1);
    closeButton = textButton(header, QStringLiteral("✕"), "closeButton");
    closeButton->setAccessibleName(QStringLiteral("关闭"));
    closeButton->setToolTip(QStringLiteral("关闭"));
    closeButton->setFixedSize(28, 28);
    headerRow->addWidget(closeButton);
    box->addWidget(header);

    line1 = line(this, "line1");
    box->addWidget(line1);

    // The desktop tab.
    generalScrollView = new QScrollArea(this);
    generalScrollView->setObjectName(QStringLiteral("generalScrollView"));
    generalScrollView->setAccessibleName(QStringLiteral("屏幕和窗口"));
    generalScrollView->setFrameShape(QFrame::NoFrame);
    generalScrollView->setWidgetResizable(true);
    generalScrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    generalShareCollectionView = new QWidget();
    generalShareCollectionView->setObjectName(QStringLiteral("generalShareCollectionView"));
    auto *sections = new QVBoxLayout(generalShareCollectionView);
    sections->setContentsMargins(0, S::kLineSpacing, 0, S::kLineSpacing);
    sections->setSpacing(0);
    m_screenSection = section(generalShareCollectionView, m_screenGrid);
    m_appSection = section(generalShareCollectionView, m_appGrid);
    m_windowSection = section(generalShareCollectionView, m_windowGrid);
    sections->addWidget(m_screenSection);
    sections->addSpacing(S::kFooterGap.height());
    sections->addWidget(m_appSection);
    sections->addSpacing(S::kFooterGap.height());
    sections->addWidget(m_windowSection);
    sections->addStretch(1);
    generalScrollView->setWidget(generalShareCollectionView);
    box->addWidget(generalScrollView, 1);

    // The file tab: its list comes with the uploads; until then it is empty.
    fileShareBKview = new QWidget(this);
    fileShareBKview->setObjectName(QStringLiteral("fileShareBKview"));
    auto *fileBox = new QVBoxLayout(fileShareBKview);
    fileBox->setContentsMargins(0, 0, 0, 0);
    fileBox->setSpacing(0);
    fileActionView = new QWidget(fileShareBKview);
    fileActionView->setObjectName(QStringLiteral("fileActionView"));
    fileActionView->setFixedHeight(56);
    auto *actionRow = new QHBoxLayout(fileActionView);
    actionRow->setContentsMargins(S::kSideInset, 0, S::kSideInset, 0);
    meetingNameLabel = new KVElidedLabel(fileActionView);
    meetingNameLabel->setObjectName(QStringLiteral("meetingNameLabel"));
    actionRow->addWidget(meetingNameLabel, 1);
    fileUploadButton = textButton(fileActionView, QStringLiteral("上传"), "fileUploadButton");
    fileUploadButton->setFixedSize(72, 30);
    fileUploadButton->installEventFilter(this);
    buildFileViews(fileActionView, actionRow);
    fileBox->addWidget(fileActionView);
    fileTitleView = new QWidget(fileShareBKview);
    fileTitleView->setObjectName(QStringLiteral("fileTitleView"));
    fileTitleView->setFixedHeight(36);
    // The rows' own columns, so that each title stands over its column.
    using Row = FileShareCollectionViewItem;
    auto *titles = new QHBoxLayout(fileTitleView);
    titles->setContentsMargins(Row::kInset, 0, Row::kInset, 0);
    titles->setSpacing(Row::kColumnSpacing);
    const QString columnTitles[] = {QStringLiteral("文件名称"), QStringLiteral("上传者"), QStringLiteral("大小"),
                                    QStringLiteral("上传时间")};
    for (size_t i = 0; i < Row::kColumnStretch.size(); ++i) {
        auto *label = new QLabel(columnTitles[i], fileTitleView);
        label->setObjectName(QStringLiteral("fileColumnTitle"));
        label->setTextFormat(Qt::PlainText);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        titles->addWidget(label, Row::kColumnStretch[i]);
    }
    // A widget, not a spacing: the layout puts its spacing before it as before the rows' actions.
    auto *actionsTitle = new QWidget(fileTitleView);
    actionsTitle->setFixedWidth(Row::kActionsWidth);
    titles->addWidget(actionsTitle);
    fileBox->addWidget(fileTitleView);
    line3 = line(fileShareBKview, "line3");
    fileBox->addWidget(line3);
    fileShareScollView = new QWidget(fileShareBKview);
    fileShareScollView->setObjectName(QStringLiteral("fileShareScollView"));
    auto *emptyBox = new QVBoxLayout(fileShareScollView);
    emptyBox->setContentsMargins(0, 0, 0, 0);
    fileEmptyLabel = new QLabel(QStringLiteral("暂无文件"), fileShareScollView);
    fileEmptyLabel->setTextFormat(Qt::PlainText);
    fileEmptyLabel->setAlignment(Qt::AlignCenter);
    emptyBox->addWidget(fileEmptyLabel);
    // Row widgets only for the files in view, bound again in place as the list changes.
    m_fileRowsModel = new ShareFileRowsModel(this);
    m_fileList = new KVRowListView(fileShareScollView);
    m_fileList->setObjectName(QStringLiteral("fileRowsScroll"));
    m_fileList->setAccessibleName(QStringLiteral("文件列表"));
    m_fileList->setRowHeight(FileShareCollectionViewItem::kRowHeight);
    m_fileList->setDelegate({[this](QWidget *parent) -> QWidget * { return createFileRow(parent); },
                             [this](QWidget *row, const QModelIndex &index) {
                                 bindFileRow(static_cast<FileShareCollectionViewItem *>(row),
                                             m_fileRowsModel->rowAt(index.row()));
                             }});
    m_fileList->setModel(m_fileRowsModel);
    m_fileRows = m_fileList->widget();
    m_fileRows->setObjectName(QStringLiteral("fileRows"));
    m_fileList->viewport()->setAutoFillBackground(false);
    m_fileRows->setAutoFillBackground(false);
    emptyBox->addWidget(m_fileList, 1);
    m_fileList->hide();
    fileBox->addWidget(fileShareScollView, 1);
    box->addWidget(fileShareBKview, 1);

    line2 = line(this, "line2");
    box->addWidget(line2);
    auto *footer = new QWidget(this);
    footer->setObjectName(QStringLiteral("footer"));
    footer->setFixedHeight(60);
    auto *footerRow = new QHBoxLayout(footer);
    footerRow->setContentsMargins(S::kSideInset, 0, S::kSideInset, 0);
    footerRow->addStretch(1);
    startShareButton = textButton(footer, QStringLiteral("开始共享"), "startShareButton");
    startShareButton->setFixedSize(104, 34);
    footerRow->addWidget(startShareButton);
    box->addWidget(footer);

    connect(closeButton, &QAbstractButton::clicked, this, [this] { closeSharePanelAction(); });
    connect(generalShareButton, &QAbstractButton::clicked, this, [this] { generalShareAction(); });
    connect(fileShareButton, &QAbstractButton::clicked, this, [this] { fileShareAction(); });
    connect(startShareButton, &QAbstractButton::clicked, this, [this] { startShareAction(); });
}

// The look of the mode; applied whenever a mode flag changes.
void ShareSelectPanel::createUI()
{
    const bool light = m_onlyShareFile;
    auto *footer = startShareButton->parentWidget();
    if (light) {
        fill(this, Qt::white, 4);
        closeButton->hide();
        titleLabel->setText(QStringLiteral("共享文件"));
        titleLabel->setFont(vesk::systemFont(24));
        titleLabel->setStyleSheet(QStringLiteral("color: #13202F;"));
        tabView->hide();
        line1->hide();
        line2->hide();
        generalScrollView->hide();
        footer->hide();
        fill(fileActionView, hex("F5F7FA"));
        meetingNameLabel->setStyleSheet(QStringLiteral("color: #333333;"));
        meetingNameLabel->setFont(vesk::systemFont(18));
        fill(fileTitleView, Qt::white);
        for (QLabel *title : fileTitleView->findChildren<QLabel *>(QStringLiteral("fileColumnTitle")))
            title->setStyleSheet(QStringLiteral("color: #666666;"));
        fill(line3, hex("D8DBE4"));
        fill(fileShareScollView, Qt::white);
        fill(fileShareBKview, Qt::white);
        fileEmptyLabel->setStyleSheet(QStringLiteral("color: #666666;"));
        m_shareFile = true;
    } else {
        fill(this, hex("3D3E44"), 4);
        closeButton->show();
        closeButton->setTextColor(hex("B4B4B4"));
        titleLabel->setText(QStringLiteral("选择共享内容"));
        titleLabel->setFont(vesk::systemFont(16));
        titleLabel->setStyleSheet(QStringLiteral("color: white;"));
        fill(titleLabel, Qt::transparent, 4);
        tabView->show();
        line1->show();
        line2->show();
        footer->show();
        fill(line1, hex("323338"));
        fill(line2, hex("323338"));
        fill(line3, hex("636363"));
        fill(startShareButton, hex("007AFF"), 3);
        startShareButton->setTextColor(Qt::white);
        fill(fileActionView, hex("2B2C32"));
        fill(tabView, hex("2B2C32"), 4);
        fill(fileTitleView, hex("3D3E44"));
        fill(fileShareScollView, hex("3D3E44"));
        fill(fileShareBKview, hex("3D3E44"));
        meetingNameLabel->setStyleSheet(QStringLiteral("color: white;"));
        meetingNameLabel->setFont(vesk::systemFont(14));
        for (QLabel *title : fileTitleView->findChildren<QLabel *>(QStringLiteral("fileColumnTitle")))
            title->setStyleSheet(QStringLiteral("color: #B4B4B4;"));
        fileEmptyLabel->setStyleSheet(QStringLiteral("color: #B4B4B4;"));
        meetingNameLabel->setFullText(creatorsMeeting(m_creatorName));
    }
    fill(fileUploadButton, hex("007AFF"), 6);
    fileUploadButton->setTextColor(Qt::white);
    uploadUIRefresh();
    if (m_shareFile)
        fileShareAction();
    else
        generalShareAction();
}

void ShareSelectPanel::setDarkMode(bool dark)
{
    m_darkMode = dark;
    if (m_permissionView)
        m_permissionView->setDarkMode(dark);
    if (m_uploadPermissionView)
        m_uploadPermissionView->setDarkMode(dark);
}

void ShareSelectPanel::setOnlyShareFile(bool only)
{
    if (m_onlyShareFile == only)
        return;
    m_onlyShareFile = only;
    createUI();
    for (FileShareCollectionViewItem *item : fileItems())
        item->setDarkAppearance(!only);
}

void ShareSelectPanel::setShareFile(bool file)
{
    if (file)
        fileShareAction();
    else if (!m_onlyShareFile)
        generalShareAction();
}

void ShareSelectPanel::setModel(std::shared_ptr<MeetingDataModel> model)
{
    m_model = std::move(model);
    uploadUIRefresh();
    meetingNameLabel->setFullText(m_model && !m_model->roomName.isNull() ? m_model->roomName.left(kMaxNameLength)
                                                                         : QStringLiteral("创建会议"));
}

void ShareSelectPanel::setCreatorName(const QString &name)
{
    m_creatorName = name;
    if (!m_onlyShareFile)
        meetingNameLabel->setFullText(creatorsMeeting(m_creatorName));
}

void ShareSelectPanel::setScreenArray(const QList<DesktopCaptureSnapshotModel> &screens)
{
    m_screens = screens;
}

void ShareSelectPanel::setWindowsArray(const QList<DesktopCaptureSnapshotModel> &windows)
{
    m_windows = windows;
    m_groups = S::groupWindows(m_windows);
}

void ShareSelectPanel::reloadView()
{
    rebuildScreens();
    rebuildApplications();
    rebuildWindows();
    refreshSelection();
    queryFileList();
    if (!fileShareQueryTimer)
        fileShareQueryTimer = KVTimer::repeating(this, kFileListPoll, [this] { timerFired(); });
}

// ---- Tabs ---------------------------------------------------------------------------------------

void ShareSelectPanel::generalShareAction()
{
    if (m_onlyShareFile)
        return;
    m_shareFile = false;
    generalScrollView->show();
    fileShareBKview->hide();
    fill(generalShareButton, Qt::transparent, 6);
    generalShareButton->setTextColor(Qt::white);
    fill(fileShareButton, QColor(31, 31, 31), 6);
    fileShareButton->setTextColor(hex("B4B4B4"));
    generalShareButton->setState(1);
    fileShareButton->setState(0);
    startShareButton->setEnabled(true);
    hideSupportFileList();
    refreshSelection();
}

void ShareSelectPanel::fileShareAction()
{
    m_shareFile = true;
    generalScrollView->hide();
    fileShareBKview->show();
    fill(fileShareButton, Qt::transparent, 6);
    fileShareButton->setTextColor(Qt::white);
    fill(generalShareButton, QColor(31, 31, 31), 6);
    generalShareButton->setTextColor(hex("B4B4B4"));
    fileShareButton->setState(1);
    generalShareButton->setState(0);
    // The file list brings its own start; until then the desktop's does not apply here.
    startShareButton->setEnabled(false);
    if (!m_onlyShareFile)
        fill(fileShareScollView, hex("3D3E44"));
}

// ---- Grid ---------------------------------------------------------------------------------------

void ShareSelectPanel::rebuildScreens()
{
    clear(m_screenItems);
    for (int i = 0; i < m_screens.size(); ++i) {
        const DesktopCaptureSnapshotModel &screen = m_screens.at(i);
        auto *item = new GeneralShareCollectionViewItem(m_screenSection);
        item->setFixedSize(S::kScreenTile);
        item->setTitle(screen.title);
        item->setThumbnail(screen.image);
        item->setIcon({});
        item->setBackgroundColor(hex("007AFF"));
        connect(item, &QAbstractButton::clicked, this, [this, i] { selectScreen(i); });
        m_screenGrid->addWidget(item, i / kTileColumns, i % kTileColumns);
        m_screenItems.append(item);
    }
}

void ShareSelectPanel::rebuildApplications()
{
    clear(m_appItems);
    const qsizetype count = S::applicationCount(m_groups);
    for (qsizetype i = 0; i < count; ++i) {
        auto *item = new GenealAppShareCollectionViewItem(m_appSection);
        item->setFixedSize(S::kAppTile);
        // An icon alone: its name is also its tool tip (a window's title shown literally).
        if (i == 0) {
            item->setThumbnail(ShareIcons::image(QStringLiteral("all"), 26));
            item->setAccessibleName(QStringLiteral("全部窗口"));
            item->setToolTip(QStringLiteral("全部窗口"));
        } else {
            const DesktopCaptureSnapshotModel &first = m_groups.at(i - 1).constFirst();
            const QString name = first.title.left(GeneralShareCollectionViewItem::kMaxTitleLength);
            // Without an icon of its own the cell would be an empty square.
            item->setThumbnail(first.iconImage.isNull() ? ShareIcons::image(QStringLiteral("application"), 26)
                                                        : QPixmap::fromImage(first.iconImage));
            item->setAccessibleName(name);
            KVDataText::setToolTip(item, name);
        }
        connect(item, &QAbstractButton::clicked, this, [this, i] { selectApplication(i); });
        m_appGrid->addWidget(item, int(i / kAppColumns), int(i % kAppColumns));
        m_appItems.append(item);
    }
}

void ShareSelectPanel::rebuildWindows()
{
    clear(m_windowItems);
    m_shownWindows = S::windowsFor(m_applicationIndex, m_windows, m_groups);
    for (int i = 0; i < m_shownWindows.size(); ++i) {
        const DesktopCaptureSnapshotModel &window = m_shownWindows.at(i);
        auto *item = new GeneralShareCollectionViewItem(m_windowSection);
        item->setFixedSize(S::kWindowTile);
        item->setTitle(window.title);
        item->setIcon(window.iconImage);
        item->setThumbnail(window.image);
        item->setBackgroundColor(hex("2D2E34"));
        connect(item, &QAbstractButton::clicked, this, [this, i] { selectWindow(i); });
        m_windowGrid->addWidget(item, i / kTileColumns, i % kTileColumns);
        m_windowItems.append(item);
    }
    orderTabStops();
}

void ShareSelectPanel::orderTabStops()
{
    QList<QWidget *> order{generalShareButton, fileShareButton, closeButton, generalScrollView};
    for (QWidget *tile : std::as_const(m_screenItems))
        order << tile;
    for (QWidget *application : std::as_const(m_appItems))
        order << application;
    for (QWidget *tile : std::as_const(m_windowItems))
        order << tile;
    order << startShareButton;
    order.removeAll(nullptr);
    // New tiles join the end of the chain in the order they are made, and each setTabOrder walks
    // the chain: so only the pairs out of order are moved, the last first, which leaves the new
    // runs of tiles whole (moving every tile cost the square of their number).
    const QSet<QWidget *> ordered(order.cbegin(), order.cend());
    const auto nextOrdered = [&ordered](QWidget *w) -> QWidget * {
        for (QWidget *n = w->nextInFocusChain(); n && n != w; n = n->nextInFocusChain()) {
            if (ordered.contains(n))
                return n;
        }
        return nullptr;
    };
    for (qsizetype i = order.size() - 1; i > 0; --i) {
        if (nextOrdered(order.at(i - 1)) != order.at(i))
            QWidget::setTabOrder(order.at(i - 1), order.at(i));
    }
}

void ShareSelectPanel::refreshSelection()
{
    const auto chosen = [this](const DesktopCaptureSnapshotModel &m) {
        return m_selected && S::sameSource(*m_selected, m);
    };
    for (int i = 0; i < m_screenItems.size() && i < m_screens.size(); ++i)
        m_screenItems.at(i)->setIsSelected(chosen(m_screens.at(i)));
    for (int i = 0; i < m_appItems.size(); ++i)
        m_appItems.at(i)->setIsSelected(i == m_applicationIndex);
    for (int i = 0; i < m_windowItems.size() && i < m_shownWindows.size(); ++i)
        m_windowItems.at(i)->setIsSelected(chosen(m_shownWindows.at(i)));
}

void ShareSelectPanel::selectScreen(int index)
{
    if (index < 0 || index >= m_screens.size())
        return;
    m_selected = m_screens.at(index);
    refreshSelection();
}

void ShareSelectPanel::selectApplication(qint64 index)
{
    if (index < 0 || index >= S::applicationCount(m_groups))
        return;
    // The chosen window, if any, stays chosen.
    if (index != m_applicationIndex) {
        m_applicationIndex = index;
        rebuildWindows();
    }
    refreshSelection();
}

void ShareSelectPanel::selectWindow(int index)
{
    if (index < 0 || index >= m_shownWindows.size())
        return;
    m_selected = m_shownWindows.at(index);
    refreshSelection();
}

// ---- Start and close ------------------------------------------------------------------------------

void ShareSelectPanel::startShareAction()
{
    if (!m_selected) {
        VeskMeetingToast::showNomalTip(window(), QStringLiteral("请选择要分享的窗口/屏幕"));
        return;
    }
    if (generalStartShareBlock)
        generalStartShareBlock(*m_selected);
}

void ShareSelectPanel::closeSharePanelAction()
{
    if (closeSharePanelBlock)
        closeSharePanelBlock(true);
}

void ShareSelectPanel::hideEvent(QHideEvent *event)
{
    // Gone from view: no more polling until the next reloadView.
    if (!event->spontaneous())
        stopQueryTimer();
    QWidget::hideEvent(event);
}

bool ShareSelectPanel::focusNextPrevChild(bool next)
{
    QWidget *from = QApplication::focusWidget();
    if (!from || (from != this && !isAncestorOf(from)))
        return QWidget::focusNextPrevChild(next);
    // The window's focus chain is a ring: walking it from here comes back to one of ours.
    for (QWidget *w = next ? from->nextInFocusChain() : from->previousInFocusChain(); w && w != from;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if ((w == this || isAncestorOf(w)) && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return true;
}

void ShareSelectPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_permissionView && m_permissionView->isVisible()) {
        m_permissionView->cancelBtnAction();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_uploadPermissionView && m_uploadPermissionView->isShow()) {
        fileUploadPermissionPanelViewClose();
        allowUploadFilePermissionBtn->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (event->key() == Qt::Key_Escape && !m_onlyShareFile) {
        closeSharePanelAction();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- The supported-types pop-over ---------------------------------------------------------------

void ShareSelectPanel::showSupportFileList()
{
    if (m_files.supportFileTypeArray.isEmpty())
        return;
    if (!m_supportList)
        m_supportList = new FileShareSupportFileList(this);
    m_supportList->setSupportFileTypeArray(m_files.supportFileTypeArray);
    // Read with the button, as the list shows without taking the focus.
    QStringList kinds;
    for (const FileShareSupportFileListRow *row : m_supportList->rows())
        kinds << KVDataText::isolated(row->accessibleName()) + QStringLiteral("（") +
                     KVDataText::isolated(row->accessibleDescription()) + QStringLiteral("）");
    // The service's list of kinds is bounded as a whole, as each row's texts are.
    fileUploadButton->setAccessibleDescription(m_supportList->accessibleName() + QStringLiteral("：") +
                                               KVDataText::bounded(kinds.join(QStringLiteral("、")), 2000));
    const QRect button(fileUploadButton->mapTo(this, QPoint(0, 0)), fileUploadButton->size());
    const int height = FileShareSupportFileList::heightFor(m_files.supportFileTypeArray.size());
    m_supportList->setGeometry(button.right() + 1 - FileShareSupportFileList::kWidth, button.bottom() + 1 + 4,
                               FileShareSupportFileList::kWidth, height);
    m_supportList->show();
    m_supportList->raise();
}

FileShareSupportFileList *ShareSelectPanel::fileShareSupportFileList() const
{
    return m_supportList;
}

void ShareSelectPanel::hideSupportFileList()
{
    delete m_supportList;
}

void ShareSelectPanel::mousePressEvent(QMouseEvent *event)
{
    hideSupportFileList();
    QWidget::mousePressEvent(event);
}

bool ShareSelectPanel::eventFilter(QObject *watched, QEvent *event)
{
    // A file row chosen by a click, or by Return or Space while it has focus.
    auto *row = qobject_cast<FileShareCollectionViewItem *>(watched);
    if (row && row->parentWidget() == m_fileRows) {
        const bool click = event->type() == QEvent::MouseButtonRelease &&
                           static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        const bool key =
            event->type() == QEvent::KeyPress && (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return ||
                                                  static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space);
        if (click || key) {
            selectFile(ShareFileList::keyOf(row->model()));
            return true;
        }
    }
    if (watched == fileUploadButton) {
        // The pointer on the button, or the keyboard's focus, shows what may be uploaded.
        const auto reason = [event] { return static_cast<QFocusEvent *>(event)->reason(); };
        if (event->type() == QEvent::FocusIn &&
            (reason() == Qt::TabFocusReason || reason() == Qt::BacktabFocusReason)) {
            m_supportListForKeyboard = true;
            showSupportFileList();
        } else if (event->type() == QEvent::Enter) {
            showSupportFileList();
        } else if (event->type() == QEvent::Leave && !m_supportListForKeyboard) {
            hideSupportFileList();
        } else if (event->type() == QEvent::FocusOut) {
            m_supportListForKeyboard = false;
            if (!fileUploadButton->underMouse())
                hideSupportFileList();
        }
    }
    return QWidget::eventFilter(watched, event);
}
