#include "meeting/sharing/FileShareSpeedSwicthPanel.h"

#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVAccessibility.h"
#include "uikit/KVDataText.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/VeskCategories.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const QColor kRowHighlight = vesk::colorWithHexString(QStringLiteral("303030"));
const QColor kPanelBackground = vesk::colorWithHexString(QStringLiteral("3D3E44"));
} // namespace

// ---- FileShareSpeedSwitchPanelRow ----------------------------------------------------------------

FileShareSpeedSwitchPanelRow::FileShareSpeedSwitchPanelRow(QWidget *parent) : QAbstractButton(parent)
{
    KVAccessibility::install();
    setObjectName(QString::fromLatin1(kIdentifier));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setFixedHeight(kHeight);
    fileNameLabel = new KVElidedLabel(this, Qt::ElideMiddle);
    fileNameLabel->setFont(vesk::systemFont(14));
    fileNameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fileNameLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette palette = fileNameLabel->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    fileNameLabel->setPalette(palette);
}

void FileShareSpeedSwitchPanelRow::setFileName(const QString &name)
{
    const QString shown = KVDataText::isolated(KVDataText::bounded(name, FileShareCollectionViewItem::kMaxNameLength));
    fileNameLabel->setFullText(shown);
    setAccessibleName(shown);
}

void FileShareSpeedSwitchPanelRow::setAlignment(Qt::Alignment alignment)
{
    fileNameLabel->setAlignment((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

QColor FileShareSpeedSwitchPanelRow::highlightColor() const
{
    return kRowHighlight;
}

bool FileShareSpeedSwitchPanelRow::isHighlighted() const
{
    return underMouse() || hasFocus() || isDown();
}

void FileShareSpeedSwitchPanelRow::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    fileNameLabel->setGeometry(12, (height() - 20) / 2, qMax(0, width() - 24), 20);
}

void FileShareSpeedSwitchPanelRow::paintEvent(QPaintEvent *)
{
    if (!isHighlighted())
        return;
    QPainter p(this);
    p.fillRect(rect(), kRowHighlight);
}

// ---- FileShareRowTable ----------------------------------------------------------------------------

FileShareRowTable::FileShareRowTable(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tableView"));
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 3, 0, 3);
    m_column->setSpacing(0);
    m_column->addStretch(1);
}

void FileShareRowTable::setFiles(const QList<FileShareDatailModel> &files, Qt::Alignment alignment)
{
    while (m_rows.size() > files.size())
        delete m_rows.takeLast();
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (i == m_rows.size()) {
            auto *row = new FileShareSpeedSwitchPanelRow(this);
            const int index = int(i);
            connect(row, &QAbstractButton::clicked, this, [this, index] { Q_EMIT rowChosen(index); });
            m_column->insertWidget(int(i), row);
            m_rows.append(row);
        }
        m_rows[i]->setFileName(files.at(i).fileName);
        m_rows[i]->setAlignment(alignment);
    }
}

// ---- FileShareSpeedSwicthPanel --------------------------------------------------------------------

FileShareSpeedSwicthPanel::FileShareSpeedSwicthPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FileShareSpeedSwicthPanel"));
    setAccessibleName(QStringLiteral("共享文件列表"));
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    scrollView = new QScrollArea(this);
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setFocusPolicy(Qt::NoFocus); // Tab goes to the rows
    scrollView->setWidgetResizable(true);
    scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView->setStyleSheet(QStringLiteral("background: transparent;"));
    tableView = new FileShareRowTable();
    scrollView->setWidget(tableView);
    box->addWidget(scrollView);
    connect(tableView, &FileShareRowTable::rowChosen, this, [this](int row) { tableViewSelectionDidChange(row); });
}

void FileShareSpeedSwicthPanel::setAllFileShareArray(const QList<FileShareDatailModel> &files)
{
    m_files = files;
    tableView->setFiles(m_files, m_alignment);
}

void FileShareSpeedSwicthPanel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    tableView->setFiles(m_files, m_alignment);
}

void FileShareSpeedSwicthPanel::setCustomFrameSize(const QSize &size)
{
    setFixedSize(size);
}

void FileShareSpeedSwicthPanel::tableViewSelectionDidChange(int row)
{
    if (row < 0 || row >= m_files.size())
        return;
    const QPointer<FileShareSpeedSwicthPanel> self(this);
    const FileShareDatailModel file = m_files.at(row);
    if (selectedBlock)
        selectedBlock(file);
    // The block may have closed the panel already.
    if (!self || !parentWidget())
        return;
    AutoLayout::removeConstraints(this);
    hide();
    setParent(nullptr);
    deleteLater();
}

void FileShareSpeedSwicthPanel::presentFrom(QWidget *opener, std::function<void()> close)
{
    KVPanelFocus::presented(this, opener, std::move(close));
}

void FileShareSpeedSwicthPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kPanelBackground);
    p.drawRoundedRect(QRectF(rect()), 6, 6);
}
