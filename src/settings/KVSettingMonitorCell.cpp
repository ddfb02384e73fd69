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
    // Fixed sizes: a new figure lays nothing out again (the list may hold thousands of rows).
    label->setFixedSize(90, 20);
    line->addWidget(label);
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
    m_nameLabel->setFixedSize(200, 20);
    top->addWidget(m_nameLabel);
    m_lossRateLabel = figure(m_audioContainer, SettingTexts::kLossRate, top);
    m_delayLabel = figure(m_audioContainer, SettingTexts::kDelay, top);
    m_bitrateLabel = figure(m_audioContainer, SettingTexts::kBitrate, top);
    top->addStretch(1);
    layout->addWidget(m_audioContainer);
    m_expandContainer = new QWidget(this);
    auto *bottom = new QHBoxLayout(m_expandContainer);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addSpacing(200 + bottom->spacing());
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
            self->modelDidUpdate();
    };
    const bool video = model->type != 0;
    m_expandContainer->setVisible(video);
    setFixedHeight(heightFor(model->type));
    modelDidUpdate();
}

void KVSettingMonitorCell::modelDidUpdate()
{
    // Rows scrolled away wait: a round of reports then costs only what can be seen.
    if (!isInView()) {
        m_stale = true;
        return;
    }
    updateData();
}

bool KVSettingMonitorCell::isInView() const
{
    // By geometry: the list's content scrolls inside its viewport.
    const QWidget *content = parentWidget();
    const QWidget *viewport = content ? content->parentWidget() : nullptr;
    if (!isVisible() || !viewport)
        return false;
    return geometry().intersects(QRect(-content->pos(), viewport->size()));
}

void KVSettingMonitorCell::updateData()
{
    m_stale = false;
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
