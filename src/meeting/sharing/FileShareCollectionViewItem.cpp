#include "meeting/sharing/FileShareCollectionViewItem.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/RXEncrypt.h"
#include "meeting/sharing/ShareIcons.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>

#include <array>

namespace {

const QColor kUploading = vesk::colorWithHexString(QStringLiteral("2ABA00"));
const QColor kFailed = vesk::colorWithHexString(QStringLiteral("C94141"));
const QColor kHover = vesk::colorWithHexString(QStringLiteral("2B2C32"));
const QColor kDarkLine = vesk::colorWithHexString(QStringLiteral("636363"));
const QColor kLightLine = vesk::colorWithHexString(QStringLiteral("D8DBE4"));
const QColor kLightDetail = vesk::colorWithHexString(QStringLiteral("666666"));

void setTextColor(QWidget *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

// A circular arrow in the failure colour: the retry mark.
QPixmap retryMark()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kFailed, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 290 * 16);
    p.setBrush(kFailed);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF{{11.5, 1.0}, {14.5, 5.5}, {9.0, 6.0}});
    return pixmap;
}

} // namespace

FileShareCollectionViewItem::Viewer FileShareCollectionViewItem::Viewer::current()
{
    Viewer viewer;
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent)
        return viewer;
    viewer.isHost = agent->myInfo().isHost();
    viewer.myUserId = agent->myInfo().userId;
    if (const VeskMeetingManager *manager = agent->meetingManager())
        viewer.isAssistantHost = manager->asssitantHost();
    return viewer;
}

std::optional<FileShareCollectionViewItem::StateLook> FileShareCollectionViewItem::stateLook(qint64 state)
{
    switch (state) {
    case 0:
    case 2:
        return StateLook{QStringLiteral("上传中"), kUploading};
    case 1:
        return StateLook{QString(), kUploading};
    case 3:
        return StateLook{QStringLiteral("转码失败"), kFailed};
    case 4:
        return StateLook{QStringLiteral("上传失败"), kFailed};
    default:
        return std::nullopt;
    }
}

QString FileShareCollectionViewItem::sizeText(const FileShareModel &model)
{
    if (!model.fileSize.isEmpty())
        return KVDataText::bounded(model.fileSize, 32);
    return QString::asprintf("%.02fMB", double(model.filesize) / 1024.0 / 1024.0);
}

QString FileShareCollectionViewItem::iconName(const QString &fileName)
{
    struct Kind {
        std::array<const char *, 4> marks;
        const char *image;
    };
    static const std::array<Kind, 8> kinds = {{
        {{"ppt"}, "ppt"},
        {{"doc"}, "word"},
        {{"pdf"}, "ic_pdf"},
        {{"mp4", "flv", "avi"}, "ic_video"},
        {{"mp3", "aac"}, "ic_audio"},
        {{"txt"}, "ic_txt"},
        {{"xls", "xlsx"}, "ic_excel"},
        {{"png", "jpg", "jpeg", "bmp"}, "ic_img"},
    }};
    for (const Kind &kind : kinds) {
        for (const char *mark : kind.marks) {
            if (mark && fileName.contains(QLatin1String(mark), Qt::CaseInsensitive))
                return QString::fromLatin1(kind.image);
        }
    }
    return {};
}

bool FileShareCollectionViewItem::showsPermission(const FileShareModel &model, const Viewer &viewer)
{
    if (viewer.isHost || viewer.isAssistantHost)
        return true;
    return !viewer.myUserId.isEmpty() && RXEncrypt::aes128ecbDecrypt(model.userId) == viewer.myUserId;
}

FileShareCollectionViewItem::FileShareCollectionViewItem(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(kIdentifier));
    setAttribute(Qt::WA_Hover);
    setMinimumHeight(kRowHeight);

    // The columns of the list's title bar: name, uploader, size, time, then the actions.
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(kInset, 8, kInset, 8);
    row->setSpacing(kColumnSpacing);
    const auto column = [&](QWidget *w, int index) {
        w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        row->addWidget(w, kColumnStretch[index]);
    };

    auto *nameColumn = new QWidget(this);
    auto *top = new QHBoxLayout(nameColumn);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(6);
    fileTypeImageView = new QLabel(nameColumn);
    fileTypeImageView->setFixedSize(32, 32);
    top->addWidget(fileTypeImageView, 0, Qt::AlignVCenter);
    fileNamelabel = new KVElidedLabel(nameColumn, Qt::ElideMiddle);
    fileNamelabel->setFont(vesk::systemFont(14));
    fileNamelabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    top->addWidget(fileNamelabel, 1);
    stateLabel = KVDataText::label(QString(), nameColumn);
    stateLabel->setFont(vesk::systemFont(12));
    top->addWidget(stateLabel);
    stateImageView = new VeskButton(nameColumn);
    stateImageView->setImage(retryMark());
    stateImageView->setFixedSize(18, 18);
    stateImageView->setObjectName(QStringLiteral("stateImageView"));
    stateImageView->setAccessibleName(QStringLiteral("重新上传"));
    stateImageView->setToolTip(QStringLiteral("重新上传"));
    stateImageView->hide();
    top->addWidget(stateImageView);
    column(nameColumn, 0);

    uploadUserNameLabel = new KVElidedLabel(this, Qt::ElideMiddle);
    fileSize = KVDataText::label(QString(), this);
    uploadTime = KVDataText::label(QString(), this);
    int index = 1;
    for (QLabel *label : {static_cast<QLabel *>(uploadUserNameLabel), static_cast<QLabel *>(fileSize),
                          static_cast<QLabel *>(uploadTime)}) {
        label->setFont(vesk::systemFont(12));
        column(label, index++);
    }

    auto *actions = new QWidget(this);
    actions->setFixedWidth(kActionsWidth);
    auto *actionRow = new QHBoxLayout(actions);
    actionRow->setContentsMargins(0, 0, 0, 0);
    actionRow->setSpacing(6);
    actionRow->addStretch(1);
    permissionBtn = new VeskButton(actions);
    permissionBtn->setObjectName(QStringLiteral("permissionBtn"));
    permissionBtn->setToggle(true);
    permissionBtn->setTitle(QStringLiteral("设置"));
    permissionBtn->setAccessibleName(QStringLiteral("文件操作权限"));
    permissionLabel = KVDataText::label(QStringLiteral("操作权限"), actions);
    permissionLabel->setFont(vesk::systemFont(12));
    actionRow->addWidget(permissionLabel, 0, Qt::AlignVCenter);
    actionRow->addWidget(permissionBtn, 0, Qt::AlignVCenter);
    deleteButton = new VeskButton(actions);
    deleteButton->setObjectName(QStringLiteral("deleteButton"));
    deleteButton->setTitle(QStringLiteral("删除"));
    deleteButton->setAccessibleName(QStringLiteral("删除"));
    actionRow->addWidget(deleteButton, 0, Qt::AlignVCenter);
    row->addWidget(actions);

    lineView = new QWidget(this);
    lineView->setFixedHeight(1);
    lineView->setAutoFillBackground(true);

    connect(deleteButton, &QAbstractButton::clicked, this, [this] { deleteAction(); });
    connect(stateImageView, &QAbstractButton::clicked, this, [this] { fileRecoveryAction(); });
    connect(permissionBtn, &QAbstractButton::clicked, this, [this] { fileSharePermissionAction(permissionBtn); });
    refreshLook();
}

void FileShareCollectionViewItem::setModel(const FileShareModel &model)
{
    m_model = model;
    // Names keep their own direction, here and in the controls' names that carry them.
    const QString name = KVDataText::isolated(KVDataText::bounded(model.fileName, kMaxNameLength));
    fileNamelabel->setFullText(name);
    setAccessibleName(name);
    const QString named = KVDataText::isolatedName(model.fileName);
    deleteButton->setAccessibleName(QStringLiteral("删除 %1").arg(named));
    permissionBtn->setAccessibleName(QStringLiteral("文件操作权限 %1").arg(named));
    stateImageView->setAccessibleName(QStringLiteral("重新上传 %1").arg(named));
    fileSize->setText(sizeText(model));
    uploadUserNameLabel->setFullText(KVDataText::isolated(KVDataText::bounded(model.userName, kMaxNameLength)));
    uploadTime->setText(KVDataText::bounded(model.createTime, 32));

    if (const std::optional<StateLook> look = stateLook(model.state)) {
        stateLabel->setText(look->text);
        setTextColor(stateLabel, look->color);
    }
    stateImageView->setVisible(model.state == 4);
    stateLabel->setAccessibleName(stateLabel->text());

    const QString icon = iconName(model.fileName);
    fileTypeImageView->setPixmap(icon.isEmpty() ? QPixmap() : ShareIcons::image(icon, 32));

    const bool permission = showsPermission(model, m_viewer ? *m_viewer : Viewer::current());
    permissionBtn->setVisible(permission);
    permissionLabel->setVisible(permission);
}

void FileShareCollectionViewItem::setDarkAppearance(bool dark)
{
    m_dark = dark;
    refreshLook();
}

void FileShareCollectionViewItem::refreshLook()
{
    QPalette line = lineView->palette();
    line.setColor(QPalette::Window, m_dark ? kDarkLine : kLightLine);
    lineView->setPalette(line);
    const QColor main = m_dark ? QColor(Qt::white) : QColor(Qt::black);
    const QColor detail = m_dark ? vesk::colorWithHexString(QStringLiteral("9A9A9A")) : kLightDetail;
    setTextColor(fileNamelabel, main);
    for (QWidget *label : {static_cast<QWidget *>(fileSize), static_cast<QWidget *>(uploadUserNameLabel),
                           static_cast<QWidget *>(uploadTime), static_cast<QWidget *>(permissionLabel)})
        setTextColor(label, detail);
    m_background = m_hovered && m_dark ? kHover : QColor();
    update();
}

void FileShareCollectionViewItem::deleteAction()
{
    if (deleteBlock)
        deleteBlock(m_model);
}

void FileShareCollectionViewItem::fileRecoveryAction()
{
    if (m_model.state == 4 && fileRecoverBlock)
        fileRecoverBlock(m_model);
}

void FileShareCollectionViewItem::fileSharePermissionAction(QAbstractButton *sender)
{
    if (fileSharePermissionBlock)
        fileSharePermissionBlock(m_model, sender && sender->isChecked());
}

void FileShareCollectionViewItem::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_hovered = true;
    refreshLook();
}

void FileShareCollectionViewItem::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_hovered = false;
    refreshLook();
}

void FileShareCollectionViewItem::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    lineView->setGeometry(kInset, height() - 1, width() - 2 * kInset, 1);
}

void FileShareCollectionViewItem::paintEvent(QPaintEvent *)
{
    if (!m_background.isValid())
        return;
    QPainter p(this);
    p.fillRect(rect(), m_background);
}
