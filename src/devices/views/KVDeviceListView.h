#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QVBoxLayout;
class QAbstractButton;
class QPushButton;
class QScrollArea;

// The device menu of the pop-ups: one 34-point row per device, the current one
// ticked; a click reports the row's index; the arrow keys move between the rows.
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

protected:
    // Up and Down move between the rows.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QVBoxLayout *m_layout = nullptr;
    QList<QAbstractButton *> m_rows;
    int m_selected = -1;
};

// What the camera and the audio pop-ups share: their dark rounded frame, the scrolling
// device menu and the blue link to the settings.
namespace KVDevicePopup {
void styleFrame(QWidget *popup, QSize size);
// A transparent, frameless scroll area around list; list->onSelect reports the picked row.
QScrollArea *scrollingList(QWidget *parent, KVDeviceListView *list);
QPushButton *settingsLink(const QString &title, QWidget *parent);
} // namespace KVDevicePopup
