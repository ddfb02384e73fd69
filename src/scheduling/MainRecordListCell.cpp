#include "scheduling/MainRecordListCell.h"

#include "scheduling/MeetingListRules.h"
#include "scheduling/RecordListRules.h"
#include "scheduling/RecordTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// A name from the service is cut where it enters the row.
constexpr int kMaxName = 200;

QFFlatButton *rowButton(const QString &title, QWidget *parent)
{
    auto *b = new QFFlatButton(parent);
    b->setTitle(title);
    b->setFont(vesk::systemFont(13));
    b->setTitleNormalColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    b->setFocusPolicy(Qt::StrongFocus);
    b->setFixedSize(48, 28);
    return b;
}

QLabel *plainLabel(QWidget *parent, int size, const char *color)
{
    auto *l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(vesk::systemFont(size));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, vesk::colorWithHexString(QLatin1String(color)));
    l->setPalette(pal);
    return l;
}

} // namespace

MainRecordListCell::MainRecordListCell(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(24, 8, 24, 8);
    row->setSpacing(16);
    auto *names = new QVBoxLayout();
    names->setSpacing(4);
    m_titleLabel = new KVElidedLabel(this);
    m_titleLabel->setFont(vesk::systemFont(14, QFont::DemiBold));
    m_roomIdLabel = plainLabel(this, 12, "999999");
    m_roomNameLabel = new KVElidedLabel(this);
    m_roomNameLabel->setFont(vesk::systemFont(12));
    names->addWidget(m_titleLabel);
    names->addWidget(m_roomIdLabel);
    names->addWidget(m_roomNameLabel);
    row->addLayout(names, 3);
    m_timeLabel = plainLabel(this, 13, "666666");
    row->addWidget(m_timeLabel, 2);
    m_sizeLabel = plainLabel(this, 13, "666666");
    m_sizeLabel->setFixedWidth(90);
    row->addWidget(m_sizeLabel);
    m_downloadButton = rowButton(RecordTexts::kDownload, this);
    m_downloadButton->setObjectName(QStringLiteral("downloadButton"));
    m_deleteButton = rowButton(RecordTexts::kDelete, this);
    m_deleteButton->setObjectName(QStringLiteral("deleteButton"));
    row->addWidget(m_downloadButton);
    row->addWidget(m_deleteButton);
    connect(m_downloadButton, &QAbstractButton::clicked, this, &MainRecordListCell::onDownloadActionClicked);
    connect(m_deleteButton, &QAbstractButton::clicked, this, &MainRecordListCell::onDeleteActionClicked);
}

void MainRecordListCell::nameButtons(const QString &name)
{
    // The entry's name is the service's text: isolated inside ours.
    m_downloadButton->setAccessibleName(RecordTexts::kDownloadOf.arg(KVDataText::isolated(name)));
    m_deleteButton->setAccessibleName(RecordTexts::kDeleteOf.arg(KVDataText::isolated(name)));
}

void MainRecordListCell::setVideoInfo(const RecordVideoInfo &info)
{
    m_videoInfo = info;
    const QString name = info.dvrName.left(kMaxName);
    m_titleLabel->setFullText(name);
    m_roomNameLabel->setFullText(name);
    m_roomNameLabel->setVisible(true);
    KVDataText::setText(m_roomIdLabel, info.roomId.left(kMaxName));
    KVDataText::setText(m_timeLabel, info.meetingBeginTime.left(kMaxName));
    m_sizeLabel->setText(RecordListRules::pageSizeText(info.dvrSize));
    m_sizeLabel->setVisible(true);
    nameButtons(name);
}

void MainRecordListCell::setFileModel(const RecordFileModel &model)
{
    m_fileModel = model;
    const QString name = MeetingListRules::shownTitle(model.roomName);
    m_titleLabel->setFullText(name);
    m_roomNameLabel->setVisible(false);
    KVDataText::setText(m_roomIdLabel, model.roomId.left(kMaxName));
    m_timeLabel->setText(RecordListRules::documentTimeText(model.beginTime));
    m_sizeLabel->setVisible(false);
    nameButtons(name);
}

void MainRecordListCell::onDownloadActionClicked()
{
    if (onDownloadAction)
        onDownloadAction(this);
}

void MainRecordListCell::onDeleteActionClicked()
{
    if (onDeleteAction)
        onDeleteAction(this);
}
