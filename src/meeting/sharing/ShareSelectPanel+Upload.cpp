// The share picker's upload road: choose a file, show it pending, digest it on a worker, ask
// the file service whether to send it, send it, and drop the pending row once the service
// holds it. Failed rows stay and can be retried.
#include "meeting/sharing/ShareSelectPanel.h"

#include "agent/VeskAppAgent.h"
#include "foundation/MainQueue.h"
#include "meeting/sharing/ShareFileServices.h"
#include "uikit/VeskButton.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHash>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QSplitter>
#include <QTranslator>
#include <QTreeView>

namespace {

const QString kNetworkFailed = QStringLiteral("网络不给力，请稍后重试");

// The list's columns in the client's language: titles, kinds, sizes and dates of its own rather
// than the system locale's.
class FileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titles{QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("类型"),
                                        QStringLiteral("修改日期")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < titles.size())
            return titles.at(section);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case 1:
            return info.isDir() ? QString() : sizeText(info.size());
        case 2:
            if (info.isDir())
                return QStringLiteral("文件夹");
            return info.suffix().isEmpty() ? QStringLiteral("文件")
                                           : QStringLiteral("%1 文件").arg(info.suffix().toUpper());
        default:
            return info.lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        }
    }

private:
    static QString sizeText(qint64 bytes)
    {
        if (bytes < 1024)
            return QStringLiteral("%1 B").arg(bytes);
        static const char *const units[] = {"KB", "MB", "GB", "TB"};
        double value = double(bytes);
        int unit = -1;
        while (value >= 1024 && unit < 3) {
            value /= 1024;
            ++unit;
        }
        return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
    }
};

// Texts of Qt's own that the chooser shows (its sidebar's root, a folder's kind, its menus and
// warnings): the app loads no Qt translations.
class ChooserTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;
    [[nodiscard]] bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const QHash<QByteArray, QString> texts{
            {"QFileSystemModel|Computer", QStringLiteral("计算机")},
            {"QAbstractFileIconProvider|Folder", QStringLiteral("文件夹")},
            {"QAbstractFileIconProvider|Drive", QStringLiteral("驱动器")},
            {"QFileDialog|Back", QStringLiteral("后退")},
            {"QFileDialog|Go back", QStringLiteral("回到上一个位置")},
            {"QFileDialog|Forward", QStringLiteral("前进")},
            {"QFileDialog|Go forward", QStringLiteral("前往下一个位置")},
            {"QFileDialog|Parent Directory", QStringLiteral("上一级")},
            {"QFileDialog|Go to the parent directory", QStringLiteral("前往上一级文件夹")},
            {"QFileDialog|Create New Folder", QStringLiteral("新建文件夹")},
            {"QFileDialog|Create a New Folder", QStringLiteral("新建一个文件夹")},
            {"QFileDialog|List View", QStringLiteral("列表视图")},
            {"QFileDialog|Change to list view mode", QStringLiteral("以列表显示")},
            {"QFileDialog|Detail View", QStringLiteral("详细视图")},
            {"QFileDialog|Change to detail view mode", QStringLiteral("显示详细信息")},
            {"QFileDialog|Files", QStringLiteral("文件")},
            {"QFileDialog|Sidebar", QStringLiteral("侧边栏")},
            {"QFileDialog|List of places and bookmarks", QStringLiteral("位置和书签")},
            {"QFileDialog|&Rename", QStringLiteral("重命名(&R)")},
            {"QFileDialog|&Delete", QStringLiteral("删除(&D)")},
            {"QFileDialog|Show &hidden files", QStringLiteral("显示隐藏文件(&H)")},
            {"QFileDialog|&New Folder", QStringLiteral("新建文件夹(&N)")},
            {"QFileDialog|New Folder", QStringLiteral("新建文件夹")},
            {"QFileDialog|Remove", QStringLiteral("移除")},
            {"QFileDialog|Recent Places", QStringLiteral("最近访问")},
            {"QFileDialog|Delete", QStringLiteral("删除")},
            {"QFileDialog|Are you sure you want to delete '%1'?", QStringLiteral("确定要删除“%1”吗？")},
            {"QFileDialog|'%1' is write protected.\nDo you want to delete it anyway?",
             QStringLiteral("“%1”有写保护。\n仍要删除吗？")},
            {"QFileDialog|Could not delete directory.", QStringLiteral("无法删除文件夹。")},
            {"QFileDialog|%1\nFile not found.\nPlease verify the correct file name was given.",
             QStringLiteral("%1\n找不到该文件。\n请确认文件名是否正确。")},
            {"QFileDialog|%1\nDirectory not found.\nPlease verify the correct directory name was given.",
             QStringLiteral("%1\n找不到该文件夹。\n请确认文件夹名是否正确。")},
            {"QPlatformTheme|OK", QStringLiteral("确定")},
            {"QPlatformTheme|&Yes", QStringLiteral("是(&Y)")},
            {"QPlatformTheme|&No", QStringLiteral("否(&N)")},
        };
        return texts.value(QByteArray(context) + '|' + source);
    }
};

} // namespace

QFileDialog *ShareSelectPanel::openFileDialog(QWidget *parent, const QStringList &types,
                                              std::function<void(const QList<QUrl> &)> done)
{
    // Installed before the first chooser is made, so that it is made with these texts; the
    // windows already open take the change of language now, before the chooser is one of their
    // children (its buttons would go back to Qt's own texts).
    static ChooserTexts *const texts = [] {
        auto *t = new ChooserTexts(QCoreApplication::instance());
        QCoreApplication::installTranslator(t);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        return t;
    }();
    Q_UNUSED(texts);
    auto *dialog = new QFileDialog(parent, QStringLiteral("选择要上传的文件"));
    dialog->setObjectName(QStringLiteral("uploadFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    // Qt's own dialog, so that every text on it can be the client's.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setAccessibleName(dialog->windowTitle());
    dialog->setLabelText(QFileDialog::LookIn, QStringLiteral("位置："));
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dialog->setLabelText(QFileDialog::FileType, QStringLiteral("文件类型："));
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("打开"));
    dialog->setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    dialog->setProxyModel(new FileColumns(dialog));
    // Room for the places' names and a whole date.
    dialog->resize(std::max(dialog->width(), 720), std::max(dialog->height(), 440));
    if (auto *places = dialog->findChild<QSplitter *>(QStringLiteral("splitter")); places && places->count() == 2)
        places->setSizes({140, dialog->width() - 140});
    if (auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView")))
        details->header()->resizeSection(
            3, details->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 24);
    QStringList patterns;
    for (const QString &type : types)
        patterns << QStringLiteral("*.%1").arg(type);
    dialog->setNameFilter(QStringLiteral("可共享的文件 (%1)").arg(patterns.join(QLatin1Char(' '))));
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done, answered](int result) {
        if (*answered)
            return;
        *answered = true;
        done(result == QDialog::Accepted ? dialog->selectedUrls() : QList<QUrl>());
    });
    dialog->open();
    return dialog;
}

void ShareSelectPanel::fileUploadAction()
{
    if (!m_onlyShareFile && m_services->allowFileUpload() == 0) {
        toast(QStringLiteral("主持人已关闭您的上传权限"));
        return;
    }
    fileUploadButton->setEnabled(false);
    // The types pop-over would cover the row the choice adds.
    hideSupportFileList();
    QPointer<ShareSelectPanel> self(this);
    const FileChooser choose =
        fileChooser
            ? fileChooser
            : FileChooser([](QWidget *parent, const QStringList &types, std::function<void(const QList<QUrl> &)> done) {
                  openFileDialog(parent, types, std::move(done));
              });
    choose(window(), ShareFileList::chooserTypes(m_files.supportFileTypeArray), [self](const QList<QUrl> &urls) {
        if (!self)
            return;
        self->fileUploadButton->setEnabled(true);
        // Disabled while the chooser was open, it lost the focus it is given back now.
        self->fileUploadButton->setFocus(Qt::OtherFocusReason);
        if (!urls.isEmpty())
            self->uploadFileNoExit(urls);
    });
}

void ShareSelectPanel::uploadFileNoExit(const QList<QUrl> &urls)
{
    // Reading every byte for the digest stays off the main thread.
    std::shared_ptr<ShareFileServices> services = m_services;
    QPointer<ShareSelectPanel> guard(this);
    const ShareSelectPanel *context = this;
    m_uploadQueue.start([services, urls, guard, context] {
        QList<Prepared> files;
        for (const QUrl &url : urls) {
            const QFileInfo info(url.toLocalFile());
            files.append({url, services->calculateMD5ForFileAtPath(url.toLocalFile()), url.fileName(),
                          info.isReadable() ? quint64(info.size()) : 0, QString()});
        }
        MainQueue::async(context, [guard, files] {
            if (guard)
                guard->uploadFile(files, false);
        });
    });
}

void ShareSelectPanel::uploadFileExit(const QList<QUrl> &urls)
{
    QList<Prepared> files;
    const QList<FileShareModel> pending = uploadFailedArray();
    for (const QUrl &url : urls) {
        const auto it = std::find_if(pending.cbegin(), pending.cend(), [&](const FileShareModel &row) {
            return row.fileURL.toLocalFile() == url.toLocalFile();
        });
        if (it != pending.cend())
            files.append({url, QString(), it->fileName, it->filesize, it->identity});
    }
    uploadFile(files, true);
}

void ShareSelectPanel::uploadFile(const QList<Prepared> &files, bool exist)
{
    QList<QUrl> urls;
    QStringList identities, md5s;
    {
        QMutexLocker lock(&m_pendingLock);
        for (const Prepared &file : files) {
            if (exist) {
                auto it = std::find_if(m_pending.begin(), m_pending.end(),
                                       [&](const FileShareModel &row) { return row.identity == file.identity; });
                // Deleted meanwhile: nothing to send for it.
                if (it == m_pending.end())
                    continue;
                it->state = 0;
                urls << it->fileURL;
                identities << it->identity;
                md5s << it->identity.section(QLatin1Char('_'), 0, 0);
                continue;
            }
            FileShareModel row;
            row.fileURL = file.url;
            row.filesize = file.size;
            row.fileName = file.fileName;
            row.userName = m_services->myUserName();
            row.state = 0;
            row.timeStamp = quint64(QDateTime::currentMSecsSinceEpoch());
            row.identity = ShareFileList::identity(file.md5, file.fileName, row.timeStamp);
            // The same file chosen twice within a millisecond still gets a row of its own.
            while (std::any_of(m_pending.cbegin(), m_pending.cend(),
                               [&](const FileShareModel &other) { return other.identity == row.identity; }))
                row.identity = ShareFileList::identity(file.md5, file.fileName, ++row.timeStamp);
            m_pending.append(row);
            urls << file.url;
            identities << row.identity;
            md5s << file.md5;
        }
    }
    reloadFileGrid();
    if (urls.isEmpty())
        return;
    QPointer<ShareSelectPanel> self(this);
    m_services->prepareUploadFileWithfileURL(this, urls, identities, md5s, fileRoomId(),
                                             [self, urls, identities](const KVMResponse &r) {
                                                 if (self)
                                                     self->prepareAnswered(urls, identities, r);
                                             });
}

void ShareSelectPanel::prepareAnswered(const QList<QUrl> &urls, const QStringList &identities,
                                       const KVMResponse &response)
{
    Q_UNUSED(urls);
    if (response.code != 0) {
        const QSet<QString> batch(identities.cbegin(), identities.cend());
        QMutexLocker lock(&m_pendingLock);
        for (FileShareModel &row : m_pending)
            if (batch.contains(row.identity))
                row.state = 4;
        lock.unlock();
        toast(response.message.isEmpty() ? kNetworkFailed : response.message);
        reloadFileGrid();
        return;
    }
    const ShareFileList::PreUploadPlan plan = ShareFileList::planPreUpload(response.dataList(), uploadFailedArray());
    if (!plan.held.isEmpty() || !plan.refused.isEmpty()) {
        QMutexLocker lock(&m_pendingLock);
        m_pending.removeIf([&](const FileShareModel &row) { return plan.held.contains(row.identity); });
        for (FileShareModel &row : m_pending)
            if (plan.refused.contains(row.identity))
                row.state = 4;
    }
    for (const QString &refusal : plan.refusals)
        toast(refusal);
    if (!plan.refused.isEmpty())
        reloadFileGrid();
    if (!plan.urls.isEmpty()) {
        // Rows the service already holds show once the list query of the road's end answers.
        if (!plan.held.isEmpty())
            reloadView();
        uploadFileInter(plan.urls, plan.fileIds, plan.identities);
    } else {
        reloadView();
    }
}

void ShareSelectPanel::uploadFileInter(const QList<QUrl> &urls, const QStringList &fileIds,
                                       const QStringList &identities)
{
    QPointer<ShareSelectPanel> self(this);
    // One request per file, each carrying its row's identity back.
    for (qsizetype i = 0; i < urls.size(); ++i) {
        const QString identity = identities.value(i);
        m_services->uploadFileWithfileURL(
            this, {urls.at(i)}, {fileIds.value(i)}, fileRoomId(),
            [self, identity](const QUrl &, bool ok, const QVariantMap &reply, const QString &) {
                if (self)
                    self->uploadAnswered(identity, ok, reply);
            });
    }
}

void ShareSelectPanel::uploadAnswered(const QString &identity, bool ok, const QVariantMap &reply)
{
    if (ok && reply.contains(QStringLiteral("code")) && reply.value(QStringLiteral("code")).toLongLong() == 0) {
        removePending(identity);
        reloadView();
        return;
    }
    markFailed(identity);
    if (ok) {
        const QString message = reply.value(QStringLiteral("message")).toString();
        toast(message.isEmpty() ? kNetworkFailed : message.left(256));
    }
    reloadFileGrid();
}

void ShareSelectPanel::markFailed(const QString &identity)
{
    QMutexLocker lock(&m_pendingLock);
    for (FileShareModel &row : m_pending)
        if (row.identity == identity)
            row.state = 4;
}

void ShareSelectPanel::removePending(const QString &identity)
{
    QMutexLocker lock(&m_pendingLock);
    m_pending.removeIf([&](const FileShareModel &row) { return row.identity == identity; });
}
