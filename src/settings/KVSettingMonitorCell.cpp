#include "settings/KVSettingMonitorCell.h"

#include "settings/SettingTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

QLabel *figure(QWidget *parent, const QString &caption, QHBoxLayout *line)
{
    auto *label = KVDataText::label(QString(), parent);
    label->setFont(vesk::systemFont(12));
    label->setAccessibleName(caption);
    label->setMinimumWidth(60);
    line->addWidget(label, 1);
    return label;
}

} // namespace

KVSettingMonitorCell::KVSettingMonitorCell(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KVSettingMonitorCell"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 4, 12, 4);
    layout->setSpacing(2);
    m_audioContainer = new QWidget(this);
    auto *top = new QHBoxLayout(m_audioContainer);
    top->setContentsMargins(0, 0, 0, 0);
    m_nameLabel = KVDataText::label(QString(), m_audioContainer);
    m_nameLabel->setFont(vesk::systemFont(12));
    m_nameLabel->setMinimumWidth(140);
    top->addWidget(m_nameLabel, 2);
    m_lossRateLabel = figure(m_audioContainer, SettingTexts::kLossRate, top);
    m_delayLabel = figure(m_audioContainer, SettingTexts::kDelay, top);
    m_bitrateLabel = figure(m_audioContainer, SettingTexts::kBitrate, top);
    layout->addWidget(m_audioContainer);
    m_expandContainer = new QWidget(this);
    auto *bottom = new QHBoxLayout(m_expandContainer);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addStretch(2);
    m_fpsLabel = figure(m_expandContainer, SettingTexts::kFps, bottom);
    m_resolutionLabel = figure(m_expandContainer, SettingTexts::kResolution, bottom);
    bottom->addStretch(1);
    layout->addWidget(m_expandContainer);
}

void KVSettingMonitorCell::setModel(const std::shared_ptr<MainSettingMonitorModel> &model)
{
    m_model = model;
    if (!model)
        return;
    QPointer<KVSettingMonitorCell> self(this);
    const MainSettingMonitorModel *shown = model.get();
    model->didUpdate = [self, shown] {
        // A reused cell may show another model by now.
        if (self && self->m_model.get() == shown)
            self->updateData();
    };
    updateData();
}

void KVSettingMonitorCell::updateData()
{
    if (!m_model)
        return;
    const MainSettingMonitorModel &model = *m_model;
    const bool video = model.type != 0;
    m_expandContainer->setVisible(video);
    setFixedHeight(heightFor(model.type));
    const QString name = model.name.isEmpty() ? SettingTexts::kUnnamedUser : model.name.left(kMaxNameLength);
    if (m_nameLabel->text() != name)
        KVDataText::setText(m_nameLabel, name);
    const auto write = [](QLabel *label, const QString &text) {
        if (label->text() != text)
            label->setText(text);
    };
    write(m_lossRateLabel, QStringLiteral("%1%").arg(model.lossRate));
    write(m_delayLabel, QString::number(model.delay));
    write(m_bitrateLabel, QString::number(model.bitRate));
    if (video) {
        write(m_fpsLabel, QString::number(model.fps));
        write(m_resolutionLabel, QStringLiteral("%1/%2").arg(model.videoWidth).arg(model.videoHeight));
    }
}
