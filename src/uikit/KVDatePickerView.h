#pragma once

#include "uikit/KVDatePickerModel.h"

#include <QDateTime>
#include <QWidget>

#include <functional>

class QListWidget;
class VeskButton;

// A picker of a day, an hour and a minute with a confirm button. Configure
// beginDate, endDate, minuteInterval and selectedDate, then reloadData.
class KVDatePickerView : public QWidget {
    Q_OBJECT
public:
    explicit KVDatePickerView(QWidget *parent = nullptr);

    void setBeginDate(const QDateTime &date) { m_model.beginDate = date; }
    [[nodiscard]] QDateTime beginDate() const { return m_model.beginDate; }
    void setEndDate(const QDateTime &date) { m_model.endDate = date; }
    [[nodiscard]] QDateTime endDate() const { return m_model.endDate; }
    void setSelectedDate(const QDateTime &date) { m_model.selectedDate = date; }
    [[nodiscard]] QDateTime selectedDate() const { return m_model.selectedDate; }
    void setMinuteInterval(int interval) { m_model.minuteInterval = std::max(1, interval); }
    [[nodiscard]] int minuteInterval() const { return m_model.minuteInterval; }

    // Given the date on every change of day, hour or minute.
    std::function<void(const QDateTime &date)> onSelectedDate;
    // The confirm button.
    std::function<void()> onConfirm;

    // Applies the rules of KVDatePickerModel::reload with the current time and redraws.
    void reloadData();
    void reloadData(const QDateTime &now);

    [[nodiscard]] const KVDatePickerModel &model() const { return m_model; }
    [[nodiscard]] QListWidget *dayList() const { return m_days; }
    [[nodiscard]] QListWidget *hourList() const { return m_hours; }
    [[nodiscard]] QListWidget *minuteList() const { return m_minutes; }
    [[nodiscard]] VeskButton *confirmButton() const { return m_confirm; }

    [[nodiscard]] QSize sizeHint() const override { return {346, 270}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void fillLists();
    void userChanged();

    KVDatePickerModel m_model;
    QDateTime m_shown;
    QListWidget *m_days;
    QListWidget *m_hours;
    QListWidget *m_minutes;
    VeskButton *m_confirm;
};
