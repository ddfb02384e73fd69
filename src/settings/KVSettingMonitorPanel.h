#pragma once

#include "agent/MainSettingModel.h"
#include "agent/MainSettingMonitorModel.h"
#include "settings/KVSettingMonitorCardView.h"
#include "settings/KVSettingMonitorCell.h"
#include "settings/KVSettingMonitorTitleBar.h"
#include "settings/MainSettingPanel.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QScrollArea>

#include <memory>

// The system monitor tab of a meeting: cards for the user's own microphone, camera and share,
// and below them the other members' streams of one kind at a time, chosen by three tabs. The
// feed of the settings window fills the lists and the figures; this panel only shows them.
class KVSettingMonitorPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Models = QList<std::shared_ptr<MainSettingMonitorModel>>;

    explicit KVSettingMonitorPanel(QWidget *parent = nullptr);

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    void setModel(MainSettingModel *model) override { m_model = model; }

    // 0, 1 or 2: that tab selected, its empty text; any other value changes neither. Then reloads.
    void setTabType(qint64 type);
    [[nodiscard]] qint64 tabType() const { return m_tabType; }
    // The tabs' icons, the empty text and the list, from the three lists.
    void reloadOtherData();
    // The list of the current tab, or nullptr for another value.
    [[nodiscard]] Models *otherCurrentArray();

    [[nodiscard]] const std::shared_ptr<MainSettingMonitorModel> &myMicModel() const { return m_myModels[0]; }
    [[nodiscard]] const std::shared_ptr<MainSettingMonitorModel> &myCameraModel() const { return m_myModels[1]; }
    [[nodiscard]] const std::shared_ptr<MainSettingMonitorModel> &myShareModel() const { return m_myModels[2]; }
    Models otherMicArray;
    Models otherCameraArray;
    Models otherShareArray;
    // The list of a kind (0, 1, 2), or nullptr.
    [[nodiscard]] Models *otherArray(qint64 type);

    [[nodiscard]] KVSettingMonitorCardView *card(qint64 type) const { return m_cards[type]; }
    [[nodiscard]] KVSettingMonitorTitleBar *tabBar(qint64 type) const { return m_tabs[type]; }
    [[nodiscard]] QLabel *otherEmptyLabel() const { return m_otherEmptyLabel; }
    // The rows shown now, in list order: only those in view have a row widget.
    [[nodiscard]] QList<KVSettingMonitorCell *> visibleCells() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Row widgets for the records in view, placed by hand; a row that comes into view shows what
    // changed while it was away.
    void placeRows();

    QPointer<MainSettingModel> m_model;
    qint64 m_tabType = 0;
    std::shared_ptr<MainSettingMonitorModel> m_myModels[3];
    QPointer<KVSettingMonitorCardView> m_cards[3];
    QPointer<KVSettingMonitorTitleBar> m_tabs[3];
    QPointer<QScrollArea> m_collectionView;
    QPointer<QWidget> m_listContent;
    QPointer<QLabel> m_otherEmptyLabel;
    // Rows are reused from one reload and one scroll to the next.
    QList<KVSettingMonitorCell *> m_cells;
    int m_shownCells = 0;
};
