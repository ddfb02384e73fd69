#include "meeting/sharing/ShareFileRow.h"

#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

VeskButton *smallButton(QWidget *parent, const QString &title)
{
    auto *b = new VeskButton(title, parent);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setCursor(Qt::PointingHandCursor);
    b->setFont(vesk::systemFont(12));
    b->setAccessibleName(title);
    b->setFixedSize(40, 24);
    return b;
}

} // namespace

ShareFileRow::ShareFileRow(QWidget *parent) : QAbstractButton(parent)
{
    setFixedHeight(kHeight);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(20, 0, 20, 0);
    row->setSpacing(8);
    nameLabel = new KVElidedLabel(this);
    userLabel = new KVElidedLabel(this);
    sizeLabel = KVDataText::label(QString(), this);
    timeLabel = KVDataText::label(QString(), this);
    stateLabel = KVDataText::label(QString(), this);
    for (QLabel *l : {nameLabel.data(), userLabel.data(), sizeLabel.data(), timeLabel.data()}) {
        l->setTextFormat(Qt::PlainText);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        row->addWidget(l, 1);
    }
    stateLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(stateLabel);
    permissionButton = smallButton(this, QStringLiteral("权限"));
    recoverButton = smallButton(this, QStringLiteral("重试"));
    deleteButton = smallButton(this, QStringLiteral("删除"));
    row->addWidget(permissionButton);
    row->addWidget(recoverButton);
    row->addWidget(deleteButton);
    const auto call = [](const std::function<void()> &fn) {
        if (fn)
            fn();
    };
    connect(this, &QAbstractButton::clicked, this, [this, call] { call(clickBlock); });
    connect(deleteButton, &QAbstractButton::clicked, this, [this, call] { call(deleteBlock); });
    connect(recoverButton, &QAbstractButton::clicked, this, [this, call] { call(fileRecoverBlock); });
    connect(permissionButton, &QAbstractButton::clicked, this, [this, call] { call(fileSharePermissionBlock); });
    setDarkAppearance(true);
}

QString ShareFileRow::stateText(qint64 state)
{
    switch (state) {
    case 0:
        return QStringLiteral("上传中");
    case 2:
        return QStringLiteral("转码中");
    case 3:
        return QStringLiteral("转码失败");
    case 4:
        return QStringLiteral("上传失败");
    default:
        return {};
    }
}

void ShareFileRow::setModel(const FileShareModel &model)
{
    m_model = model;
    static_cast<KVElidedLabel *>(nameLabel.data())->setFullText(model.fileName.left(kMaxNameLength));
    static_cast<KVElidedLabel *>(userLabel.data())->setFullText(model.userName.left(kMaxNameLength));
    KVDataText::setText(sizeLabel, model.fileSize.isEmpty() && model.filesize > 0
                                       ? QStringLiteral("%1KB").arg((model.filesize + 1023) / 1024)
                                       : model.fileSize.left(32));
    KVDataText::setText(timeLabel, model.createTime.left(32));
    stateLabel->setText(stateText(model.state));
    recoverButton->setVisible(model.state == 4 && !model.fileURL.isEmpty());
    permissionButton->setVisible(model.state == 1);
    setAccessibleName(model.fileName.left(kMaxNameLength));
    setAccessibleDescription(stateText(model.state));
}

void ShareFileRow::setDarkAppearance(bool dark)
{
    m_dark = dark;
    const QString text = dark ? QStringLiteral("color: white;") : QStringLiteral("color: #333333;");
    for (QLabel *l : {nameLabel.data(), userLabel.data(), sizeLabel.data(), timeLabel.data()})
        l->setStyleSheet(text);
    stateLabel->setStyleSheet(QStringLiteral("color: #FF9500;"));
    for (VeskButton *b : {deleteButton.data(), recoverButton.data(), permissionButton.data()})
        b->setTextColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    update();
}

void ShareFileRow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (underMouse() || hasFocus())
        p.fillRect(rect(), m_dark ? QColor(0x2B, 0x2C, 0x32) : QColor(0xF5, 0xF7, 0xFA));
}
