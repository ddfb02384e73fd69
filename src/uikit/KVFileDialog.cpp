#include "uikit/KVFileDialog.h"

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

#include <algorithm>

namespace {

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

namespace KVFileDialog {

QFileDialog *make(QWidget *parent, const QString &title, QFileDialog::AcceptMode mode)
{
    // Installed before the first dialog is made, so that it is made with these texts; the
    // windows already open take the change of language now, before the dialog is one of their
    // children (its buttons would go back to Qt's own texts).
    static ChooserTexts *const texts = [] {
        auto *t = new ChooserTexts(QCoreApplication::instance());
        QCoreApplication::installTranslator(t);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        return t;
    }();
    Q_UNUSED(texts);
    auto *dialog = new QFileDialog(parent, title);
    // Qt's own dialog, so that every text on it can be the client's.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // The mode makes the buttons anew with Qt's texts: it comes before the client's.
    dialog->setAcceptMode(mode);
    dialog->setLabelText(QFileDialog::LookIn, QStringLiteral("位置："));
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dialog->setLabelText(QFileDialog::FileType, QStringLiteral("文件类型："));
    dialog->setLabelText(QFileDialog::Accept,
                         mode == QFileDialog::AcceptSave ? QStringLiteral("保存") : QStringLiteral("打开"));
    dialog->setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    dialog->setProxyModel(new FileColumns(dialog));
    // Room for the places' names and a whole date.
    dialog->resize(std::max(dialog->width(), 720), std::max(dialog->height(), 440));
    if (auto *places = dialog->findChild<QSplitter *>(QStringLiteral("splitter")); places && places->count() == 2)
        places->setSizes({140, dialog->width() - 140});
    if (auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView")))
        details->header()->resizeSection(
            3, details->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 24);
    return dialog;
}

} // namespace KVFileDialog
