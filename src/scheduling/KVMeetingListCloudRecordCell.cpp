#include "scheduling/KVMeetingListCloudRecordCell.h"

#include "scheduling/MeetingListIcons.h"
#include "scheduling/RecordListRules.h"
#include "scheduling/RecordTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
QFFlatButton *cellButton(const QString &title, QWidget *parent)
{
    auto *b = new QFFlatButton(parent);
    b->setTitle(title);
    b->setFont(vesk::systemFont(13));
    b->setTitleNormalColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    b->setFocusPolicy(Qt::StrongFocus);
    b->setFixedSize(48, 28);
    return b;
}
} // namespace

KVMeetingListCloudRecordCell::KVMeetingListCloudRecordCell(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 8, 12, 8);
    auto *image = new QLabel(this);
    image->setPixmap(MeetingListIcons::image(MeetingListIcons::kRecordVideo, 40));
    row->addWidget(image);
    auto *texts = new QVBoxLayout();
    m_recordNameLabel = new KVElidedLabel(this);
    m_recordNameLabel->setFont(vesk::systemFont(14));
    m_recordSizeLabel = new QLabel(this);
    m_recordSizeLabel->setTextFormat(Qt::PlainText);
    m_durationLabel = new QLabel(this);
    m_durationLabel->setTextFormat(Qt::PlainText);
    texts->addWidget(m_recordNameLabel);
    auto *facts = new QHBoxLayout();
    facts->addWidget(m_recordSizeLabel);
    facts->addWidget(m_durationLabel);
    facts->addStretch(1);
    texts->addLayout(facts);
    row->addLayout(texts, 1);
    m_downloadBtn = cellButton(RecordTexts::kDownload, this);
    m_deleteBtn = cellButton(RecordTexts::kDelete, this);
    row->addWidget(m_downloadBtn);
    row->addWidget(m_deleteBtn);
    connect(m_downloadBtn, &QAbstractButton::clicked, this, [this] {
        if (onDownloadClick)
            onDownloadClick(m_downloadBtn, this);
    });
    connect(m_deleteBtn, &QAbstractButton::clicked, this, [this] {
        if (onDeleteClick)
            onDeleteClick(m_deleteBtn, this);
    });
}

void KVMeetingListCloudRecordCell::setDataModel(const RecordVideoInfo &info)
{
    m_dataModel = info;
    const QString name = info.dvrName.left(200);
    m_recordNameLabel->setFullText(name);
    m_recordSizeLabel->setText(RecordListRules::cellSizeText(info.dvrSize));
    m_durationLabel->setText(info.durationDisplay());
    m_downloadBtn->setVisible(info.dvrStatus == RecordVideoInfo::StatusReady);
    // The file's name is the service's text: isolated inside ours.
    m_downloadBtn->setAccessibleName(RecordTexts::kDownloadOf.arg(KVDataText::isolated(name)));
    m_deleteBtn->setAccessibleName(RecordTexts::kDeleteOf.arg(KVDataText::isolated(name)));
}
