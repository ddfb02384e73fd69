#include "settings/KVSettingMonitorPanel.h"

#include "settings/SettingTexts.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>

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
    m_collectionView->setWidgetResizable(true);
    m_collectionView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_collectionView->setAccessibleName(SettingTexts::kMonitorOthers);
    m_listContent = new QWidget(m_collectionView);
    auto *rows = new QVBoxLayout(m_listContent);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addStretch(1);
    m_collectionView->setWidget(m_listContent);
    connect(m_collectionView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { refreshStaleCells(); });
    connect(m_collectionView->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { refreshStaleCells(); });
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
    for (int i = 0; i < 3; ++i)
        m_tabs[i]->setIsOn(!otherArray(i)->isEmpty());
    const Models *current = otherCurrentArray();
    const qsizetype count = current ? current->size() : 0;
    m_otherEmptyLabel->setVisible(count == 0);
    auto *rows = static_cast<QVBoxLayout *>(m_listContent->layout());
    while (m_cells.size() < count) {
        auto *cell = new KVSettingMonitorCell(m_listContent);
        rows->insertWidget(int(m_cells.size()), cell);
        m_cells.append(cell);
    }
    for (qsizetype i = 0; i < m_cells.size(); ++i) {
        KVSettingMonitorCell *cell = m_cells[i];
        if (i < count) {
            cell->show();
            cell->setModel(current->at(i));
        } else {
            cell->setModel(nullptr);
            cell->hide();
        }
    }
    m_shownCells = int(count);
}

void KVSettingMonitorPanel::showEvent(QShowEvent *event)
{
    MainSettingPanel::showEvent(event);
    refreshStaleCells();
}

void KVSettingMonitorPanel::refreshStaleCells()
{
    for (int i = 0; i < m_shownCells; ++i) {
        KVSettingMonitorCell *cell = m_cells[i];
        if (cell->isStale() && cell->isInView())
            cell->updateData();
    }
}

QList<KVSettingMonitorCell *> KVSettingMonitorPanel::visibleCells() const
{
    return m_cells.mid(0, m_shownCells);
}
