#include "settings/KVSettingMonitorPanel.h"

#include "settings/SettingTexts.h"
#include "uikit/VeskCategories.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

KVSettingMonitorPanel::KVSettingMonitorPanel(QWidget *parent) : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("KVSettingMonitorPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(14);

    auto *cards = new QHBoxLayout();
    cards->setSpacing(12);
    QPointer<KVSettingMonitorPanel> self(this);
    for (int type = 0; type < 3; ++type) {
        auto *container = new QWidget(this);
        container->setFixedHeight(170);
        auto *pin = new QVBoxLayout(container);
        pin->setContentsMargins(0, 0, 0, 0);
        auto *card = new KVSettingMonitorCardView(container);
        pin->addWidget(card);
        m_myModels[type] = MainSettingMonitorModel::modelWithType(type);
        card->setModel(m_myModels[type]);
        m_myModels[type]->didUpdate = [self, type] {
            if (self && self->m_cards[type])
                self->m_cards[type]->updateData();
        };
        card->updateData();
        m_cards[type] = card;
        cards->addWidget(container, 1);
    }
    layout->addLayout(cards);

    auto *tabs = new QHBoxLayout();
    tabs->setSpacing(24);
    for (int type = 0; type < 3; ++type) {
        auto *bar = new KVSettingMonitorTitleBar(this);
        bar->setType(type);
        bar->setEnableClick(true);
        bar->onTitleBtnClick = [self, type](QAbstractButton *, KVSettingMonitorTitleBar *) {
            if (self)
                self->setTabType(type);
        };
        m_tabs[type] = bar;
        tabs->addWidget(bar);
    }
    tabs->addStretch(1);
    layout->addLayout(tabs);
    m_tabs[0]->setSelected(true);

    m_collectionView = new QScrollArea(this);
    m_collectionView->setFrameShape(QFrame::NoFrame);
    // Rows are placed by hand, only those in view: a meeting of thousands costs a screenful of rows.
    m_collectionView->setWidgetResizable(false);
    m_collectionView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_collectionView->setAccessibleName(SettingTexts::kMonitorOthers);
    m_listContent = new QWidget(m_collectionView);
    m_collectionView->setWidget(m_listContent);
    m_collectionView->viewport()->installEventFilter(this);
    connect(m_collectionView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeRows(); });
    layout->addWidget(m_collectionView, 1);
    m_otherEmptyLabel = new QLabel(m_collectionView);
    m_otherEmptyLabel->setAlignment(Qt::AlignCenter);
    m_otherEmptyLabel->setFont(vesk::systemFont(13));
    auto *over = new QVBoxLayout(m_collectionView->viewport());
    over->addWidget(m_otherEmptyLabel);

    setTabType(0);
}

KVSettingMonitorPanel::Models *KVSettingMonitorPanel::otherArray(qint64 type)
{
    switch (type) {
    case 0:
        return &otherMicArray;
    case 1:
        return &otherCameraArray;
    case 2:
        return &otherShareArray;
    default:
        return nullptr;
    }
}

KVSettingMonitorPanel::Models *KVSettingMonitorPanel::otherCurrentArray()
{
    return otherArray(m_tabType);
}

void KVSettingMonitorPanel::setTabType(qint64 type)
{
    m_tabType = type;
    if (type >= 0 && type <= 2) {
        for (int i = 0; i < 3; ++i)
            m_tabs[i]->setSelected(i == type);
        m_otherEmptyLabel->setText(SettingTexts::monitorEmpty(type));
    }
    reloadOtherData();
}

void KVSettingMonitorPanel::reloadOtherData()
{
    for (int i = 0; i < 3; ++i) {
        const bool on = !otherArray(i)->isEmpty();
        if (m_tabs[i]->isOn() != on)
            m_tabs[i]->setIsOn(on);
    }
    const Models *current = otherCurrentArray();
    const qsizetype count = current ? current->size() : 0;
    m_otherEmptyLabel->setVisible(count == 0);
    placeRows();
}

void KVSettingMonitorPanel::showEvent(QShowEvent *event)
{
    MainSettingPanel::showEvent(event);
    placeRows();
}

bool KVSettingMonitorPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (m_collectionView && watched == m_collectionView->viewport() && event->type() == QEvent::Resize)
        placeRows();
    return MainSettingPanel::eventFilter(watched, event);
}

void KVSettingMonitorPanel::placeRows()
{
    const Models *current = otherCurrentArray();
    const qsizetype count = current ? current->size() : 0;
    const int rowHeight = KVSettingMonitorCell::heightFor(m_tabType);
    const QWidget *viewport = m_collectionView->viewport();
    const QSize content(viewport->width(), int(std::min<qsizetype>(count, 1'000'000)) * rowHeight);
    if (m_listContent->size() != content)
        m_listContent->resize(content);
    // The rows in view, and one more for the row cut at the bottom.
    const int top = m_collectionView->verticalScrollBar()->value();
    const qsizetype first = std::clamp<qsizetype>(top / rowHeight, 0, count);
    const qsizetype last = std::clamp<qsizetype>((top + viewport->height()) / rowHeight + 1, first, count);
    const qsizetype shown = last - first;
    while (m_cells.size() < shown)
        m_cells.append(new KVSettingMonitorCell(m_listContent));
    for (qsizetype i = 0; i < m_cells.size(); ++i) {
        KVSettingMonitorCell *cell = m_cells[i];
        if (i >= shown) {
            if (cell->model())
                cell->setModel(nullptr);
            cell->hide();
            continue;
        }
        cell->setGeometry(0, int(first + i) * rowHeight, content.width(), rowHeight);
        cell->show();
        const auto &model = current->at(first + i);
        if (cell->model() != model)
            cell->setModel(model); // shows what changed while the row was away
        else if (cell->isStale() && cell->isInView())
            cell->updateData();
    }
    m_shownCells = int(shown);
}

QList<KVSettingMonitorCell *> KVSettingMonitorPanel::visibleCells() const
{
    return m_cells.mid(0, m_shownCells);
}
