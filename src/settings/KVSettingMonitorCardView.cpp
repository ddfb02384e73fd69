#include "settings/KVSettingMonitorCardView.h"

#include "settings/SettingTexts.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

} // namespace

KVSettingMonitorCardView::KVSettingMonitorCardView(QWidget *parent) : KVFlatView(parent)
{
    setObjectName(QStringLiteral("KVSettingMonitorCardView"));
    setCornerRadius(6);
    setBackgroundColor(Qt::transparent);
    setBorderWidth(1);
    setBorderColor(vesk::colorWithHexString(QStringLiteral("3A3B40")));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 10);
    layout->setSpacing(6);
    m_titleBar = new KVSettingMonitorTitleBar(this);
    layout->addWidget(m_titleBar);

    m_stackView = new QWidget(this);
    auto *stack = new QVBoxLayout(m_stackView);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(4);
    m_lossRateView = figureRow(SettingTexts::kLossRate, m_lossRateLabel);
    m_delayView = figureRow(SettingTexts::kDelay, m_delayLabel);
    m_bitrateView = figureRow(SettingTexts::kBitrate, m_bitrateLabel);
    m_fpsView = figureRow(SettingTexts::kFps, m_fpsLabel);
    m_resolutionView = figureRow(SettingTexts::kResolution, m_resolutionLabel);
    for (QWidget *row :
         {m_lossRateView.data(), m_delayView.data(), m_bitrateView.data(), m_fpsView.data(), m_resolutionView.data()})
        stack->addWidget(row);
    layout->addWidget(m_stackView);
    m_stackView->hide();

    m_emptyLabel = new QLabel(SettingTexts::kStreamOff, this);
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setFont(vesk::systemFont(12));
    setTextColor(m_emptyLabel, vesk::colorWithHexString(QStringLiteral("8E8E93")));
    layout->addWidget(m_emptyLabel, 1);
    layout->addStretch(0);
}

QWidget *KVSettingMonitorCardView::figureRow(const QString &caption, QPointer<QLabel> &label)
{
    auto *row = new QWidget(this);
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    auto *name = new QLabel(caption, row);
    name->setFont(vesk::systemFont(12));
    setTextColor(name, vesk::colorWithHexString(QStringLiteral("8E8E93")));
    label = new QLabel(row);
    label->setTextFormat(Qt::PlainText);
    label->setFont(vesk::systemFont(12));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setAccessibleName(caption);
    setTextColor(label, normalTitleColor);
    line->addWidget(name);
    line->addWidget(label, 1);
    return row;
}

void KVSettingMonitorCardView::setModel(std::shared_ptr<MainSettingMonitorModel> model)
{
    m_model = std::move(model);
}

void KVSettingMonitorCardView::write(QLabel *label, const QString &text, const QColor *color)
{
    if (label->text() == text)
        return;
    label->setText(text);
    ++m_labelWrites;
    if (color)
        setTextColor(label, *color);
}

void KVSettingMonitorCardView::updateData()
{
    if (!m_model)
        return;
    const MainSettingMonitorModel &model = *m_model;
    const bool video = model.type != 0;
    m_fpsView->setVisible(video);
    m_resolutionView->setVisible(video);
    m_titleBar->setType(model.type);
    if (!model.open) {
        m_titleBar->setIsOn(false);
        m_stackView->hide();
        m_emptyLabel->show();
        return;
    }
    m_titleBar->setIsOn(true);
    m_stackView->show();
    m_emptyLabel->hide();
    const QColor &lossColor = model.lossRate < 11 ? normalTitleColor : tintTitleColor;
    write(m_lossRateLabel, QStringLiteral("%1%").arg(model.lossRate), &lossColor);
    const QColor &delayColor = model.delay < 101 ? normalTitleColor : tintTitleColor;
    write(m_delayLabel, QString::number(model.delay), &delayColor);
    write(m_bitrateLabel, QString::number(model.bitRate));
    if (video) {
        write(m_fpsLabel, QString::number(model.fps));
        write(m_resolutionLabel, QStringLiteral("%1/%2").arg(model.videoWidth).arg(model.videoHeight));
    }
}
