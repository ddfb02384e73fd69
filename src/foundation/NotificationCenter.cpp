#include "NotificationCenter.h"

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

quint64 NotificationCenter::addObserver(QObject *owner, const QString &name, Handler handler)
{
    Q_ASSERT(owner);
    quint64 token;
    bool firstForOwner;
    {
        std::lock_guard lock(m_mutex);
        token = m_next++;
        firstForOwner = std::none_of(m_entries.begin(), m_entries.end(),
                                     [owner](const Entry &e) { return e.ownerKey == owner; });
        m_entries.push_back({token, name, owner, owner, std::make_shared<Handler>(std::move(handler))});
    }
    if (firstForOwner) {
        QObject::connect(owner, &QObject::destroyed, owner,
                         [this, owner] { removeObserver(owner); }, Qt::DirectConnection);
    }
    return token;
}

void NotificationCenter::removeObserver(quint64 token)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [token](const Entry &e) { return e.token == token; });
}

void NotificationCenter::removeObserver(const QObject *owner, const QString &name)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&](const Entry &e) {
        return e.ownerKey == owner && (name.isEmpty() || e.name == name);
    });
}

void NotificationCenter::post(const QString &name, const QVariant &object, const QVariantMap &userInfo)
{
    std::vector<std::pair<QPointer<QObject>, std::shared_ptr<Handler>>> targets;
    {
        std::lock_guard lock(m_mutex);
        for (const auto &e : m_entries)
            if (e.name == name)
                targets.emplace_back(e.owner, e.handler);
    }
    const Notification note{name, object, userInfo};
    // Called outside the lock: a handler may add or remove observers or post again.
    for (const auto &[owner, handler] : targets) {
        if (owner && *handler)
            (*handler)(note);
    }
}

int NotificationCenter::observerCount(const QString &name) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_entries.begin(), m_entries.end(),
                                           [&](const Entry &e) { return e.name == name && e.owner; }));
}
