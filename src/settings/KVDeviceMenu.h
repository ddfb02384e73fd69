#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QVariant>

#include <functional>

class MoreActionItem;
class MoreActionView;
class QPushButton;
class QWidget;

// The device drop-down of the audio and video tabs: the devices under their field with the current
// one ticked, a clear mask over the rest of the tab that closes it on a click, Escape closing it,
// and the focus back on its opener when the menu had it.
class KVDeviceMenu final : public QObject {
    Q_OBJECT
public:
    struct Entry {
        QString title;
        QVariant device;
        bool current = false; // the first current entry is ticked
    };
    enum class Focus {
        Always,         // the menu takes the focus when it opens
        WhenOpenerHasIt // only when opened by keyboard, or rebuilt while it had the focus
    };

    // host: the tab the menu and the mask lie in; maskName: the mask's accessible name.
    KVDeviceMenu(QWidget *host, QString maskName);

    // Opens under field (in host coordinates), closing any menu open before. chosen gets the
    // picked entry's device once the menu has closed.
    void open(const QList<Entry> &entries, const QRect &field, const QString &name, QWidget *opener, Focus focus,
              std::function<void(const QVariant &device)> chosen);
    void close();
    // The mask follows the host's size.
    void hostResized();

    [[nodiscard]] MoreActionView *view() const { return m_view; }
    [[nodiscard]] QPushButton *mask() const { return m_mask; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pick(MoreActionItem *item);

    QWidget *const m_host;
    const QString m_maskName;
    QPointer<QPushButton> m_mask;
    QPointer<MoreActionView> m_view;
    QPointer<MoreActionItem> m_selectedItem;
    QPointer<QWidget> m_opener;
    std::function<void(const QVariant &)> m_chosen;
};
