#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
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
    // The handler with a flag set when the observer is removed, so a post already under way
    // skips an observer that an earlier handler removed.
    struct Observer {
        explicit Observer(Handler h) : handler(std::move(h)) {}
        Handler handler;
        std::atomic<bool> removed{false};
    };
    struct Entry {
        quint64 token;
        const QObject *ownerKey;
        QPointer<QObject> owner;
        std::shared_ptr<Observer> observer;
    };
    static void eraseToken(std::vector<Entry> &entries, quint64 token);
    void removeTokensLocked(const QObject *owner, const QString &name);

    mutable std::mutex m_mutex;
    // Observers by name, and each owner's (name, token) pairs, so that posting and an owner's
    // removal cost what they touch, not the whole table (a grid of tiles has hundreds).
    std::unordered_map<QString, std::vector<Entry>> m_byName;
    std::unordered_map<const QObject *, std::vector<std::pair<QString, quint64>>> m_byOwner;
    std::unordered_map<quint64, std::pair<const QObject *, QString>> m_byToken;
    quint64 m_next = 1;
};
