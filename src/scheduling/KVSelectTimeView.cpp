#include "scheduling/KVSelectTimeView.h"

#include "scheduling/SchedulingIcons.h"
#include "scheduling/SchedulingTexts.h"
#include "uikit/KVCustomButton.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {
QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(vesk::systemFont(14));
    label->setFixedWidth(72);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, vesk::colorWithHexString(QStringLiteral("333333")));
    label->setPalette(pal);
    return label;
}
} // namespace

KVSelectTimeView::KVSelectTimeView(QWidget *parent) : QWidget(parent)
{
    setFixedSize(kSize);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 20);
    layout->setSpacing(18);

    auto *header = new QHBoxLayout();
    auto *title = new QLabel(SchedulingTexts::kChooseEnd, this);
    title->setTextFormat(Qt::PlainText);
    title->setFont(vesk::systemFont(16, QFont::DemiBold));
    header->addWidget(title);
    header->addStretch(1);
    m_closeButton = new VeskButton(this);
    m_closeButton->setImage(SchedulingIcons::image(SchedulingIcons::kDelete, 20));
    m_closeButton->setAccessibleName(SchedulingTexts::kClose);
    m_closeButton->setToolTip(SchedulingTexts::kClose);
    m_closeButton->setFixedSize(24, 24);
    header->addWidget(m_closeButton);
    layout->addLayout(header);

    auto *endRow = new QHBoxLayout();
    endRow->addWidget(caption(SchedulingTexts::kEndLabel, this));
    m_datePickBackView = new KVHoverBorderView(this);
    m_datePickBackView->setNormalBorderColor(vesk::colorWithHexString(QStringLiteral("D9D9D9")));
    m_datePickBackView->setFixedHeight(34);
    auto *inner = new QHBoxLayout(m_datePickBackView);
    inner->setContentsMargins(10, 0, 10, 0);
    m_datePickerButton = new QFFlatButton(SchedulingTexts::kPleaseChoose, m_datePickBackView);
    m_datePickerButton->setFont(vesk::systemFont(12));
    m_datePickerButton->setTitleNormalColor(vesk::colorWithHexString(QStringLiteral("B4B4B4")));
    m_datePickerButton->setAccessibleName(SchedulingTexts::kEndLabel);
    inner->addWidget(m_datePickerButton, 1);
    endRow->addWidget(m_datePickBackView, 1);
    layout->addLayout(endRow);

    auto *lengthRow = new QHBoxLayout();
    lengthRow->addWidget(caption(SchedulingTexts::kLengthLabel, this));
    m_durationLabel = new QLabel(SchedulingTexts::kNoLength, this);
    m_durationLabel->setTextFormat(Qt::PlainText);
    m_durationLabel->setFont(vesk::systemFont(14));
    m_durationLabel->setAccessibleName(SchedulingTexts::kLengthLabel);
    lengthRow->addWidget(m_durationLabel, 1);
    layout->addLayout(lengthRow);
    layout->addStretch(1);

    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    auto *cancel = new KVCustomButton(SchedulingTexts::kCancel, this);
    cancel->setTextColor(vesk::colorWithHexString(QStringLiteral("333333")));
    cancel->setBorderColor(vesk::colorWithHexString(QStringLiteral("D9D9D9")));
    cancel->setBorderWidth(1);
    m_cancelButton = cancel;
    auto *confirm = new KVCustomButton(SchedulingTexts::kConfirm, this);
    confirm->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    confirm->setTextColor(Qt::white);
    m_confirmButton = confirm;
    for (VeskButton *b : {m_cancelButton.data(), m_confirmButton.data()}) {
        b->setFixedSize(88, 34);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    const auto wire = [](VeskButton *button, ButtonBlock *block) {
        QObject::connect(button, &QAbstractButton::clicked, button, [button, block] {
            if (*block)
                (*block)(button);
        });
    };
    wire(m_closeButton, &onCloseBtnClickBlock);
    wire(m_cancelButton, &onCancelBtnClickBlock);
    wire(m_confirmButton, &onConfirmBtnClickBlock);
    wire(m_datePickerButton, &onDatePickBtnClickBlock);
}

void KVSelectTimeView::setDurationTime(const QString &text)
{
    m_durationTime = text;
    m_durationLabel->setText(text);
}

void KVSelectTimeView::setDateTime(const QString &text)
{
    m_datePickerButton->setTitle(text);
    m_datePickerButton->setFont(vesk::systemFont(14));
    m_datePickerButton->setTitleNormalColor(vesk::colorWithHexString(QStringLiteral("333333")));
    m_datePickerButton->setAccessibleName(SchedulingTexts::kEndLabel + QStringLiteral("：") + text);
}

void KVSelectTimeView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(vesk::colorWithHexString(QStringLiteral("E5E6EB")), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
}
