// The share picker's file tab: the room's file list and its poll, the row actions (share,
// switch, delete, retry, rights) and the upload-permission area.
#include "meeting/sharing/ShareSelectPanel.h"

#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingDataModel.h"
#include "meeting/panels/MemberListIcons.h"
#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "meeting/sharing/FileSharePermissionSettingView.h"
#include "meeting/sharing/FileUploadPermissionPanelView.h"
#include "meeting/sharing/ShareFileRowsModel.h"
#include "meeting/sharing/ShareFileServices.h"
#include "uikit/KVDataText.h"
#include "uikit/KVRowListView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"
#include "uikit/VeskMeetingToast.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QString messageOr(const KVMResponse &r, const QString &text)
{
    return r.message.isEmpty() ? text : r.message;
}

// The rights entry of one file in a rights reply (the last that matches).
QVariantMap rightsEntry(const KVMResponse &r, const QString &fileId)
{
    QVariantMap entry;
    for (const QVariant &v : r.dataList())
        if (v.toMap().value(QStringLiteral("fileId")).toString() == fileId)
            entry = v.toMap();
    return entry;
}

QString rightsStatus(const QVariantMap &entry)
{
    const QVariant status = entry.value(QStringLiteral("enableOperationFileStatus"));
    return status.isValid() ? status.toString() : QString();
}

} // namespace

void ShareSelectPanel::buildFileViews(QWidget *actionView, QHBoxLayout *actionRow)
{
    fileUploadPermissionBKView = new QWidget(actionView);
    fileUploadPermissionBKView->setObjectName(QStringLiteral("fileUploadPermissionBKView"));
    fileUploadPermissionBKView->setFixedSize(166, 30);
    auto *row = new QHBoxLayout(fileUploadPermissionBKView);
    row->setContentsMargins(8, 0, 4, 0);
    fileUploadPermissionLabel = new QLabel(fileUploadPermissionBKView);
    fileUploadPermissionLabel->setTextFormat(Qt::PlainText);
    fileUploadPermissionLabel->setFont(vesk::systemFont(13));
    row->addWidget(fileUploadPermissionLabel, 1);
    fileUploadPermissionIcon = new QLabel(fileUploadPermissionBKView);
    fileUploadPermissionIcon->setFixedSize(16, 16);
    row->addWidget(fileUploadPermissionIcon);
    // The whole frame is the button; label and icon show through it.
    allowUploadFilePermissionBtn = new VeskButton(QString(), fileUploadPermissionBKView);
    allowUploadFilePermissionBtn->setToggle(true);
    allowUploadFilePermissionBtn->setFocusPolicy(Qt::StrongFocus);
    allowUploadFilePermissionBtn->setCursor(Qt::PointingHandCursor);
    allowUploadFilePermissionBtn->setGeometry(0, 0, 166, 30);
    allowUploadFilePermissionBtn->setAccessibleName(QStringLiteral("上传权限"));
    allowUploadFilePermissionBtn->raise();
    connect(allowUploadFilePermissionBtn, &QAbstractButton::clicked, this, [this] { fileUploadPermissionAction(); });
    actionRow->addWidget(fileUploadPermissionBKView);
    actionRow->addSpacing(12);
    actionRow->addWidget(fileUploadButton);
    fileUploadButton->setAccessibleName(QStringLiteral("上传文件"));
    connect(fileUploadButton, &QAbstractButton::clicked, this, [this] { fileUploadAction(); });
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("RoomUploadPermissionTypeChange"),
                       [this](const Notification &) { roomUploadPermissionTypeChange(); });
    center.addObserver(this, QStringLiteral("switchShareFile"),
                       [this](const Notification &n) { switchShareFile(n.userInfo); });
}

QString ShareSelectPanel::fileRoomId() const
{
    if (m_onlyShareFile)
        return m_model ? m_model->roomId : QString();
    return m_services->joinedRoomId();
}

void ShareSelectPanel::toast(const QString &text)
{
    VeskMeetingToast::showNomalTip(window(), text);
}

QList<FileShareModel> ShareSelectPanel::uploadFailedArray() const
{
    QList<FileShareModel> rows;
    rows.reserve(m_pending.size());
    for (const Pending &p : m_pending)
        rows << p.row;
    return rows;
}

QList<FileShareModel> ShareSelectPanel::showArray() const
{
    return uploadFailedArray() + m_files.networkingArray;
}

std::optional<FileShareModel> ShareSelectPanel::rowFor(const ShareFileList::RowKey &key) const
{
    if (key.pending) {
        for (const Pending &p : m_pending)
            if (p.row.timeStamp == key.timeStamp)
                return p.row;
        return std::nullopt;
    }
    if (key.fileId.isEmpty())
        return std::nullopt;
    for (const FileShareModel &row : m_files.networkingArray)
        if (row.fileId == key.fileId)
            return row;
    return std::nullopt;
}

QList<FileShareCollectionViewItem *> ShareSelectPanel::fileItems() const
{
    QList<FileShareCollectionViewItem *> items;
    for (QWidget *row : m_fileList->rowWidgets())
        items << static_cast<FileShareCollectionViewItem *>(row);
    return items;
}

FileShareCollectionViewItem *ShareSelectPanel::itemFor(const ShareFileList::RowKey &key) const
{
    for (FileShareCollectionViewItem *item : fileItems())
        if (ShareFileList::keyOf(item->model()) == key)
            return item;
    return nullptr;
}

bool ShareSelectPanel::isPolling() const
{
    return fileShareQueryTimer && fileShareQueryTimer->isActive();
}

// ---- The list and its poll ------------------------------------------------------------------------

void ShareSelectPanel::timerFired()
{
    queryFileList();
}

void ShareSelectPanel::stopQueryTimer()
{
    if (fileShareQueryTimer)
        fileShareQueryTimer->invalidate();
    fileShareQueryTimer = nullptr;
}

void ShareSelectPanel::queryFileList()
{
    QPointer<ShareSelectPanel> self(this);
    m_services->queryFileList(this, fileRoomId(), [self](const KVMResponse &r) {
        if (!self || r.code != 0)
            return;
        const bool changed = ShareFileList::apply(self->m_files, r.dataMap());
        if (!ShareFileList::anyConverting(self->m_files))
            self->stopQueryTimer();
        if (changed)
            self->reloadPolledFiles();
    });
}

// A poll changed the service's list: when the rows show the pending rows and the list just before
// it, only the rows between the list's kept ends are replaced, so a poll costs what changed.
void ShareSelectPanel::reloadPolledFiles()
{
    const qsizetype pending = m_pending.size();
    const ShareFileList::State &files = m_files;
    const qsizetype kept = files.keptHead + files.keptTail;
    const qsizetype shownBefore = m_fileRowsModel->rowCount() - pending;
    bool pendingShown =
        files.edits == m_shownEdits + 1 && shownBefore == files.sizeBefore && !files.networkingArray.isEmpty();
    for (qsizetype i = 0; pendingShown && i < pending; ++i)
        pendingShown = m_fileRowsModel->rowAt(int(i)) == m_pending.at(i).row;
    if (!pendingShown) {
        reloadFileGrid();
        return;
    }
    ++m_fileGridReloads;
    m_shownEdits = files.edits;
    const qsizetype came = files.networkingArray.size() - kept;
    m_fileRowsModel->replaceRows(
        pending + files.keptHead, shownBefore - kept,
        std::span<const FileShareModel>(files.networkingArray.constData() + files.keptHead, size_t(came)));
    fileEmptyLabel->setVisible(false);
    m_fileList->setVisible(true);
    fileShareScollView->layout()->activate();
}

void ShareSelectPanel::reloadFileGrid()
{
    ++m_fileGridReloads;
    m_shownEdits = m_files.edits;
    const QList<FileShareModel> rows = showArray();
    QWidget *focused = window()->focusWidget();
    const bool focusInList = focused && (focused == m_fileList || m_fileList->isAncestorOf(focused));
    // Only the rows that came, went or read otherwise are bound again; the focus stays with its file.
    m_fileRowsModel->setRows(rows);
    fileEmptyLabel->setVisible(rows.isEmpty());
    m_fileList->setVisible(!rows.isEmpty());
    // Placed now, not once the layout gets to it: what the list shows is the list at once.
    fileShareScollView->layout()->activate();
    // The last file is gone: the upload button takes the keyboard.
    if (focusInList && rows.isEmpty())
        fileUploadButton->setFocus(Qt::OtherFocusReason);
}

FileShareCollectionViewItem *ShareSelectPanel::createFileRow(QWidget *parent)
{
    auto *item = new FileShareCollectionViewItem(parent);
    item->setFocusPolicy(Qt::StrongFocus);
    item->installEventFilter(this);
    // Each action holds the file its row shows when it is pressed, looked up again when it runs.
    QPointer<ShareSelectPanel> self(this);
    item->deleteBlock = [self](const FileShareModel &row) {
        if (self)
            self->deleteFile(ShareFileList::keyOf(row));
    };
    item->fileRecoverBlock = [self](const FileShareModel &row) {
        if (self)
            self->recoverFile(ShareFileList::keyOf(row));
    };
    item->fileSharePermissionBlock = [self](const FileShareModel &row, bool) {
        if (self)
            self->fileSharePermission(ShareFileList::keyOf(row));
    };
    return item;
}

void ShareSelectPanel::bindFileRow(FileShareCollectionViewItem *item, const FileShareModel &row)
{
    if (item->darkAppearance() == m_onlyShareFile)
        item->setDarkAppearance(!m_onlyShareFile);
    item->setModel(row);
    const ShareFileList::RowKey key = ShareFileList::keyOf(row);
    // The rights pop-over hangs off the row of its file, whichever widget shows that row now.
    FileSharePermissionSettingView *rights = m_permissionView;
    const bool rightsOpen = rights && rights->isVisible() && !key.pending && rights->model().fileId == key.fileId;
    if (rights && rightsOpen)
        rights->opener = item->permissionBtn;
    else if (rights && rights->opener == item->permissionBtn)
        rights->opener = m_fileList;
    item->permissionBtn->setState(rightsOpen ? 1 : 0);
}

// ---- Row actions ----------------------------------------------------------------------------------

void ShareSelectPanel::selectFile(const ShareFileList::RowKey &key)
{
    const std::optional<FileShareModel> found = rowFor(key);
    if (m_onlyShareFile || !found)
        return;
    const FileShareModel &row = *found;
    switch (row.status()) {
    case 2:
        toast(QStringLiteral("文件转码中，暂时无法共享"));
        queryFileList();
        return;
    case 3:
    case 4:
        toast(QStringLiteral("文件上传异常，请重新上传"));
        return;
    case 1:
        break;
    default:
        return; // a pending row
    }
    if (m_services->selfFileSharing() || m_services->selfAVFileSharing()) {
        NotificationCenter::defaultCenter().post(QStringLiteral("switchShareFileInShareSelectPanel"), {},
                                                 {{QStringLiteral("userId"), row.userId},
                                                  {QStringLiteral("fileId"), row.fileId},
                                                  {QStringLiteral("fileName"), row.fileName},
                                                  {QStringLiteral("fileType"), row.fileType},
                                                  {QStringLiteral("duration"), row.duration}});
        return;
    }
    startFileShare(1, row.userId, row.fileId, row.fileName, row.fileType, row.duration, true);
}

void ShareSelectPanel::startFileShare(int type, const QString &uploadUserId, const QString &fileId,
                                      const QString &fileName, const QString &fileType, qint64 duration, bool closeView)
{
    const ShareFileList::Kind kind = ShareFileList::kindOf(fileType, fileName, m_files);
    if (kind == ShareFileList::Kind::None || m_starting || (mayStartBlock && !mayStartBlock()))
        return;
    // Cleared where the chain ends: its failure (startFailed) or the service's yes (startAnswer).
    m_starting = true;
    switch (kind) {
    case ShareFileList::Kind::Document:
        startDocument(uploadUserId, fileId, fileName, closeView);
        return;
    case ShareFileList::Kind::Video:
        startAudioVideo(type, uploadUserId, fileId, fileName, 2, duration, closeView);
        return;
    case ShareFileList::Kind::Audio:
        startAudioVideo(type, uploadUserId, fileId, fileName, 3, duration, closeView);
        return;
    case ShareFileList::Kind::None:
        return;
    }
}

// Both start chains ask for the file's rights first; a failure ends the chain with its toast.
void ShareSelectPanel::queryRights(const QString &fileId, const QString &uploadUserId, const QString &failed,
                                   std::function<void(const QString &status, const QVariantList &users)> then)
{
    QPointer<ShareSelectPanel> self(this);
    m_services->queryFileShareOPPermission(
        this, fileId, m_services->joinedRoomId(), uploadUserId, [=](const KVMResponse &rights) {
            if (!self)
                return;
            if (rights.code != 0) {
                self->startFailed(messageOr(rights, failed));
                return;
            }
            const QVariantMap entry = rightsEntry(rights, fileId);
            then(rightsStatus(entry), entry.value(QStringLiteral("enableUserList")).toList());
        });
}

// The service's answer to a start: a failure toasts, success reports the share and closes the picker.
std::function<void(const KVMResponse &)> ShareSelectPanel::startAnswer(const QString &failed, bool closeView,
                                                                       std::function<void()> started)
{
    QPointer<ShareSelectPanel> self(this);
    return [=](const KVMResponse &r) {
        if (!self)
            return;
        if (r.code != 0) {
            self->startFailed(messageOr(r, failed));
            return;
        }
        self->m_starting = false;
        started();
        if (self)
            self->finishStart(closeView);
    };
}

void ShareSelectPanel::startDocument(const QString &uploadUserId, const QString &fileId, const QString &fileName,
                                     bool closeView)
{
    const QString failed = QStringLiteral("文件共享失败");
    QPointer<ShareSelectPanel> self(this);
    m_services->queryFileSliceUrl(this, fileId, fileRoomId(), [=](const KVMResponse &r) {
        if (!self)
            return;
        if (r.code != 0) {
            self->startFailed(messageOr(r, failed));
            return;
        }
        FileShareDatailModel detail = jx_objectWithKeyValues<FileShareDatailModel>(r.data);
        if (detail.sliceInfo.isEmpty()) {
            self->startFailed(QStringLiteral("未获取到共享文件信息，请稍后再试"));
            return;
        }
        self->queryRights(fileId, uploadUserId, failed, [=](const QString &status, const QVariantList &users) {
            if (!self || !self->stillMayStart())
                return;
            const QString pages = jx_JSONString(QVariant(jx_keyValuesArrayWithObjectArray(detail.sliceInfo)));
            self->m_services->startOrStopFileShare(self, true, RXEncrypt::aes128ecbEncrypt(uploadUserId), fileId,
                                                   fileName, pages, status, users,
                                                   self->startAnswer(failed, closeView, [=]() mutable {
                                                       if (!self || !self->fileShareStartShareBlock)
                                                           return;
                                                       FileShareDatailModel shared = detail;
                                                       shared.enableUserList = users;
                                                       shared.enableOperationFileStatus = status.toInt();
                                                       self->fileShareStartShareBlock(shared);
                                                   }));
        });
    });
}

void ShareSelectPanel::startAudioVideo(int type, const QString &uploadUserId, const QString &fileId,
                                       const QString &fileName, qint64 fileType, qint64 duration, bool closeView)
{
    const QString failed = fileType == 2 ? QStringLiteral("视频文件共享失败") : QStringLiteral("音频文件共享失败");
    QPointer<ShareSelectPanel> self(this);
    queryRights(fileId, uploadUserId, failed, [=](const QString &status, const QVariantList &users) {
        if (!self || !self->stillMayStart())
            return;
        self->m_services->startOrStopAVFileShare(self, type, uploadUserId, fileId, fileType, fileName, duration, status,
                                                 users, self->startAnswer(failed, closeView, [=] {
                                                     if (!self || !self->avFileShareStartShareBlock)
                                                         return;
                                                     FileShareModel file;
                                                     file.fileId = fileId;
                                                     file.fileType = QString::number(fileType);
                                                     file.fileName = fileName;
                                                     file.duration = duration;
                                                     file.userId = uploadUserId;
                                                     file.enableUserList = users;
                                                     file.enableOperationFileStatus = status.toInt();
                                                     self->avFileShareStartShareBlock(file);
                                                 }));
    });
}

bool ShareSelectPanel::stillMayStart()
{
    if (!mayStartBlock || mayStartBlock())
        return true;
    m_starting = false;
    return false;
}

void ShareSelectPanel::startFailed(const QString &text)
{
    m_starting = false;
    toast(text);
    if (startFailedBlock)
        startFailedBlock();
}

void ShareSelectPanel::finishStart(bool closeView)
{
    if (closeView && closeSharePanelBlock)
        closeSharePanelBlock(false);
}

void ShareSelectPanel::switchShareFile(const QVariantMap &userInfo)
{
    // Nothing is shared from the scheduled meeting's window: the meeting's own picker switches.
    if (m_onlyShareFile)
        return;
    if (userInfo.value(QStringLiteral("sharing")).toInt() != 1) {
        switchStartShareFile(userInfo);
        return;
    }
    const QVariant mode = userInfo.value(QStringLiteral("fileShareMode"));
    if (!mode.isValid())
        return;
    const QString oldUser = RXEncrypt::aes128ecbEncrypt(userInfo.value(QStringLiteral("oldUserId")).toString());
    const QString oldFileId = userInfo.value(QStringLiteral("oldFileId")).toString();
    const QString oldFileName = userInfo.value(QStringLiteral("oldFileName")).toString();
    const bool audioVideo = mode.toInt() == 2;
    const QString failed = audioVideo ? QStringLiteral("切换视频文件共享失败") : QStringLiteral("切换共享文件失败");
    QPointer<ShareSelectPanel> self(this);
    auto stopped = [self, userInfo, failed](const KVMResponse &r) {
        if (!self)
            return;
        if (r.code != 0) {
            self->toast(messageOr(r, failed));
            return;
        }
        // The service needs a moment between one file share and the next.
        KVTimer::singleShot(self, kSwitchPause, [self, userInfo] {
            if (self)
                self->switchStartShareFile(userInfo);
        });
    };
    if (audioVideo)
        m_services->startOrStopAVFileShare(this, 2, oldUser, oldFileId,
                                           userInfo.value(QStringLiteral("oldFileType")).toLongLong(), oldFileName, 0,
                                           QString(), {}, stopped);
    else
        m_services->startOrStopFileShare(this, false, oldUser, oldFileId, oldFileName, QString(), QString(), {},
                                         stopped);
}

void ShareSelectPanel::switchStartShareFile(const QVariantMap &userInfo)
{
    startFileShare(
        1, userInfo.value(QStringLiteral("userId")).toString(), userInfo.value(QStringLiteral("fileId")).toString(),
        userInfo.value(QStringLiteral("fileName")).toString(), userInfo.value(QStringLiteral("fileType")).toString(),
        userInfo.value(QStringLiteral("duration")).toLongLong(), true);
}

void ShareSelectPanel::deleteFile(const ShareFileList::RowKey &key)
{
    const std::optional<FileShareModel> row = rowFor(key);
    if (!row)
        return;
    if (key.pending) {
        // Its copy stops being read, and what was copied goes with the row.
        if (Pending *p = pendingRow(key.timeStamp))
            p->reading.request_stop();
        m_pending.removeIf([&](const Pending &p) { return p.row.timeStamp == key.timeStamp; });
        reloadFileGrid();
        queryFileList();
        return;
    }
    QPointer<ShareSelectPanel> self(this);
    m_services->deleteFiles(this, {row->fileId}, row->userId, fileRoomId(), [self](const KVMResponse &r) {
        if (!self)
            return;
        if (r.code != 0) {
            self->toast(messageOr(r, QStringLiteral("网络不给力，请稍后重试")));
            return;
        }
        self->queryFileList();
    });
}

void ShareSelectPanel::recoverFile(const ShareFileList::RowKey &key)
{
    Pending *p = key.pending ? pendingRow(key.timeStamp) : nullptr;
    // Only a failed row: one on its way is not sent twice.
    if (!p || p->row.state != 4)
        return;
    p->row.state = 0;
    reloadFileGrid();
    // The copy taken before is sent again under its identity; a file that could not be read is
    // read again.
    if (p->snapshot) {
        preUpload({key.timeStamp});
        return;
    }
    p->reading = std::stop_source();
    readFiles({key.timeStamp});
}

void ShareSelectPanel::fileSharePermission(const ShareFileList::RowKey &key)
{
    std::optional<FileShareModel> found = rowFor(key);
    if (!found)
        return;
    FileShareModel row = *found;
    if (row.status() != 1) {
        toast(QStringLiteral("文件未上传成功，暂时无法设置"));
        return;
    }
    FileShareCollectionViewItem *item = itemFor(key);
    VeskButton *toggle = item ? item->permissionBtn.data() : nullptr;
    FileSharePermissionSettingView *view = fileSharePermissionSettingView();
    if (view->isVisible()) {
        // Any row's switch pressed while a pop-over is open only closes it: no switch stays on.
        view->cancelBtnAction();
        if (toggle)
            toggle->setState(0);
        return;
    }
    row.fileType = ShareFileList::rightsTypeOf(row.fileType, row.fileName, m_files);
    if (row.roomId.isEmpty())
        row.roomId = fileRoomId();
    view->uploadFileAllowOpUserList =
        m_onlyShareFile && m_model ? m_model->uploadFileAllowOpUserList : QMap<QString, MeetingFileAllowOpUserList>();
    view->setModel(row);
    view->opener = toggle;
    QRect frame(QPoint(), FileSharePermissionSettingView::kSize);
    frame.moveCenter(rect().center());
    view->setGeometry(frame);
    view->show();
    view->raise();
    view->setFocus(Qt::OtherFocusReason);
}

FileSharePermissionSettingView *ShareSelectPanel::fileSharePermissionSettingView()
{
    if (m_permissionView)
        return m_permissionView;
    m_permissionView = new FileSharePermissionSettingView(this, m_services);
    m_permissionView->hide();
    m_permissionView->setDarkMode(m_darkMode);
    QPointer<ShareSelectPanel> self(this);
    m_permissionView->updateSelectMembersBlock = [self](const FileShareModel &row, int status,
                                                        const QList<VeskUserModel> &users) {
        if (!self || !self->m_onlyShareFile || !self->m_model)
            return;
        MeetingFileAllowOpUserList rights;
        rights.fileId = row.fileId;
        rights.uploadUserId = row.userId;
        rights.fileType = row.fileType.toLongLong();
        rights.enableOperationFileStatus = status;
        if (status == 2)
            rights.enableUserList = users;
        self->m_model->uploadFileAllowOpUserList.insert(row.fileId, rights);
    };
    return m_permissionView;
}

// ---- Who may upload ---------------------------------------------------------------------------------

void ShareSelectPanel::uploadUIRefresh()
{
    if (!fileUploadPermissionBKView)
        return;
    const bool manager = m_services->isHost() || m_services->asssitantHost();
    fileUploadPermissionBKView->setVisible(m_onlyShareFile || manager);
    fileUploadButton->setVisible(m_onlyShareFile || m_services->allowFileUpload() == 1);
    const bool hostOnly = (!m_onlyShareFile && m_services->roomUploadPermissionType() == 1) ||
                          (m_model && m_model->uploadPermissionType == 1);
    fileUploadPermissionLabel->setText(hostOnly ? QStringLiteral("仅主持人可上传")
                                                : QStringLiteral("全体参会成员可共享"));
    fileUploadPermissionLabel->setStyleSheet(m_onlyShareFile ? QStringLiteral("color: #666666;")
                                                             : QStringLiteral("color: white;"));
    const bool editable = !m_onlyShareFile || (m_model && m_services->isSelf(*m_model));
    allowUploadFilePermissionBtn->setEnabled(editable);
    fileUploadPermissionIcon->setVisible(editable);
    fileUploadPermissionIcon->setPixmap(MemberListIcons::image(
        allowUploadFilePermissionBtn->state() == 1 ? QStringLiteral("arrow_down") : QStringLiteral("arrow_down_talk"),
        16));
    VeskLayer *frame = VeskLayer::of(fileUploadPermissionBKView);
    frame->setBackgroundColor(Qt::transparent);
    frame->setCornerRadius(6);
    frame->setBorderColor(vesk::colorWithHexString(QStringLiteral("666565")));
    frame->setBorderWidth(editable ? 1 : 0);
}

void ShareSelectPanel::roomUploadPermissionTypeChange()
{
    uploadUIRefresh();
}

void ShareSelectPanel::fileUploadPermissionAction()
{
    if (allowUploadFilePermissionBtn->state() == 0) {
        fileUploadPermissionPanelViewClose();
        return;
    }
    FileUploadPermissionPanelView *panel = fileUploadPermissionPanelView();
    fileUploadPermissionIcon->setPixmap(MemberListIcons::image(QStringLiteral("arrow_down"), 16));
    panel->roomId = fileRoomId();
    const QRect frame(fileUploadPermissionBKView->mapTo(this, QPoint(0, 0)), fileUploadPermissionBKView->size());
    panel->setGeometry(frame.left(), frame.bottom() + 1 + 6, FileUploadPermissionPanelView::kSize.width(),
                       FileUploadPermissionPanelView::kSize.height());
    panel->uploadPermissionType = m_onlyShareFile && m_model ? m_model->uploadPermissionType : 0;
    panel->show();
    panel->hostPermissionButton->setFocus(Qt::OtherFocusReason);
}

FileUploadPermissionPanelView *ShareSelectPanel::fileUploadPermissionPanelView()
{
    if (m_uploadPermissionView)
        return m_uploadPermissionView;
    m_uploadPermissionView = new FileUploadPermissionPanelView(this, m_services);
    m_uploadPermissionView->hide();
    m_uploadPermissionView->setDarkMode(m_darkMode);
    QPointer<ShareSelectPanel> self(this);
    m_uploadPermissionView->fileUploadPermissionBlock = [self](const QString &title, int type) {
        if (!self)
            return;
        self->fileUploadPermissionLabel->setText(title);
        if (self->m_model)
            self->m_model->uploadPermissionType = type;
    };
    return m_uploadPermissionView;
}

void ShareSelectPanel::fileUploadPermissionPanelViewClose()
{
    allowUploadFilePermissionBtn->setState(0);
    fileUploadPermissionIcon->setPixmap(MemberListIcons::image(QStringLiteral("arrow_down_talk"), 16));
    if (m_uploadPermissionView)
        m_uploadPermissionView->close();
}
