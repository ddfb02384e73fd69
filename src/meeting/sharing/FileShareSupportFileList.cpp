#include "meeting/sharing/FileShareSupportFileList.h"

#include "meeting/sharing/ShareIcons.h"
#include "uikit/KVAccessibility.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
// Kinds and extensions come from the service: bounded where they enter.
constexpr int kMaxText = 200;
} // namespace

FileShareSupportFileListRow::FileShareSupportFileListRow(const SupportFileShareTypeModel &model, QWidget *parent)
    : VeskTableRowView(parent)
{
    KVAccessibility::setRole(this, QAccessible::ListItem); // before anything asks for it
    setObjectName(QStringLiteral("FileShareSupportFileListRow"));
    setFixedHeight(kHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 4, 12, 4);
    row->setSpacing(8);
    imageView = new QLabel(this);
    imageView->setFixedSize(24, 24);
    const QString name = ShareIcons::imageNameForClassify(model.classify);
    if (!name.isEmpty())
        imageView->setPixmap(ShareIcons::image(name, 24));
    row->addWidget(imageView);
    auto *texts = new QVBoxLayout();
    texts->setSpacing(2);
    fileTypeLabel = new KVElidedLabel(this);
    fileTypeLabel->setFullText(model.classifyName.left(kMaxText));
    fileTypeLabel->setStyleSheet(QStringLiteral("color: white;"));
    fileTypeLabel->setFont(vesk::systemFont(13));
    fileTypeDetailLabel = new KVElidedLabel(this);
    fileTypeDetailLabel->setFullText(QStringLiteral("格式类型：%1").arg(model.type.left(kMaxText)));
    fileTypeDetailLabel->setStyleSheet(QStringLiteral("color: #B4B4B4;"));
    fileTypeDetailLabel->setFont(vesk::systemFont(11));
    texts->addWidget(fileTypeLabel);
    texts->addWidget(fileTypeDetailLabel);
    row->addLayout(texts, 1);
    setAccessibleName(fileTypeLabel->fullText());
    setAccessibleDescription(fileTypeDetailLabel->fullText());
}

FileShareSupportFileList::FileShareSupportFileList(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FileShareSupportFileList"));
    setAttribute(Qt::WA_TranslucentBackground);
    KVAccessibility::setRole(this, QAccessible::List); // before anything asks for it
    setAccessibleName(QStringLiteral("支持的文件类型"));
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 15, 0, 15);
    scrollView = new QScrollArea(this);
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setWidgetResizable(true);
    scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView->setStyleSheet(QStringLiteral("background: transparent;"));
    m_table = new QWidget();
    m_rows = new QVBoxLayout(m_table);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    m_rows->addStretch(1);
    scrollView->setWidget(m_table);
    box->addWidget(scrollView);
    resize(kWidth, heightFor(0));
}

void FileShareSupportFileList::setSupportFileTypeArray(const QList<SupportFileShareTypeModel> &types)
{
    m_types = types;
    for (FileShareSupportFileListRow *row : rows())
        delete row;
    int at = 0;
    for (const SupportFileShareTypeModel &type : m_types)
        m_rows->insertWidget(at++, new FileShareSupportFileListRow(type, m_table));
}

QList<FileShareSupportFileListRow *> FileShareSupportFileList::rows() const
{
    return m_table->findChildren<FileShareSupportFileListRow *>(Qt::FindDirectChildrenOnly);
}

int FileShareSupportFileList::heightFor(qsizetype count)
{
    return int(qMin<qsizetype>(FileShareSupportFileListRow::kHeight * count, kMaxListHeight)) + kExtraHeight;
}

void FileShareSupportFileList::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(vesk::colorWithHexString(QStringLiteral("26272C"), 0.9));
    p.drawRoundedRect(QRectF(rect()), 6, 6);
}
