#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <mutex>
#include <vector>

struct Notification {
    QString name;
    QVariant object;
    QVariantMap userInfo;
};

// Named broadcasts between unrelated parts. Delivery is synchronous on the
// posting thread, as on the platform; observers that touch views hop to the
// main thread themselves. An observer is dropped when its owner is destroyed.
class NotificationCenter final {
public:
    using Handler = std::function<void(const Notification &)>;

    static NotificationCenter &defaultCenter();

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    // Returns a token for removeObserver(token).
    quint64 addObserver(QObject *owner, const QString &name, Handler handler);
    void removeObserver(quint64 token);
    // Removes the owner's observers of one name, or of every name when name is empty.
    void removeObserver(const QObject *owner, const QString &name = {});

    void post(const QString &name, const QVariant &object = {}, const QVariantMap &userInfo = {});

    [[nodiscard]] int observerCount(const QString &name) const;

private:
    struct Entry {
        quint64 token;
        QString name;
        const QObject *ownerKey;
        QPointer<QObject> owner;
        std::shared_ptr<Handler> handler;
    };
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    quint64 m_next = 1;
};
