#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QVBoxLayout;
class QAbstractButton;

// The device menu of the pop-ups: one 34-point row per device, the current one
// ticked; a click reports the row's index.
class KVDeviceListView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 34;

    explicit KVDeviceListView(QWidget *parent = nullptr);

    void setDevices(const QStringList &titles, int selectedIndex);
    [[nodiscard]] int selectedIndex() const { return m_selected; }
    [[nodiscard]] int count() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] QAbstractButton *rowAt(int index) const;

    std::function<void(int index)> onSelect;

private:
    QVBoxLayout *m_layout = nullptr;
    QList<QAbstractButton *> m_rows;
    int m_selected = -1;
};
