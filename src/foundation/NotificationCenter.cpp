#include "NotificationCenter.h"

#include <algorithm>

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
        auto &owned = m_byOwner[owner];
        firstForOwner = owned.empty();
        owned.emplace_back(name, token);
        m_byName[name].push_back({token, owner, owner, std::make_shared<Observer>(std::move(handler))});
        m_byToken.emplace(token, std::make_pair(static_cast<const QObject *>(owner), name));
    }
    if (firstForOwner) {
        QObject::connect(
            owner, &QObject::destroyed, owner, [this, owner] { removeObserver(owner); }, Qt::DirectConnection);
    }
    return token;
}

void NotificationCenter::eraseToken(std::vector<Entry> &entries, quint64 token)
{
    std::erase_if(entries, [token](const Entry &e) {
        if (e.token != token)
            return false;
        e.observer->removed = true;
        return true;
    });
}

void NotificationCenter::removeObserver(quint64 token)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_byToken.find(token);
    if (it == m_byToken.end())
        return;
    const auto [owner, name] = it->second;
    m_byToken.erase(it);
    if (auto byName = m_byName.find(name); byName != m_byName.end()) {
        eraseToken(byName->second, token);
        if (byName->second.empty())
            m_byName.erase(byName);
    }
    if (auto byOwner = m_byOwner.find(owner); byOwner != m_byOwner.end()) {
        std::erase_if(byOwner->second, [token](const auto &p) { return p.second == token; });
        if (byOwner->second.empty())
            m_byOwner.erase(byOwner);
    }
}

void NotificationCenter::removeObserver(const QObject *owner, const QString &name)
{
    std::lock_guard lock(m_mutex);
    removeTokensLocked(owner, name);
}

void NotificationCenter::removeTokensLocked(const QObject *owner, const QString &name)
{
    const auto byOwner = m_byOwner.find(owner);
    if (byOwner == m_byOwner.end())
        return;
    auto &owned = byOwner->second;
    for (auto it = owned.begin(); it != owned.end();) {
        if (!name.isEmpty() && it->first != name) {
            ++it;
            continue;
        }
        const quint64 token = it->second;
        if (auto byName = m_byName.find(it->first); byName != m_byName.end()) {
            eraseToken(byName->second, token);
            if (byName->second.empty())
                m_byName.erase(byName);
        }
        m_byToken.erase(token);
        it = owned.erase(it);
    }
    if (owned.empty())
        m_byOwner.erase(byOwner);
}

void NotificationCenter::post(const QString &name, const QVariant &object, const QVariantMap &userInfo)
{
    std::vector<std::pair<QPointer<QObject>, std::shared_ptr<Observer>>> targets;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_byName.find(name);
        if (it == m_byName.end())
            return;
        targets.reserve(it->second.size());
        for (const auto &e : it->second)
            targets.emplace_back(e.owner, e.observer);
    }
    const Notification note{name, object, userInfo};
    // Called outside the lock: a handler may add or remove observers or post again. One that an
    // earlier handler removed (or whose owner it destroyed) is skipped.
    for (const auto &[owner, observer] : targets) {
        if (owner && !observer->removed && observer->handler)
            observer->handler(note);
    }
}

int NotificationCenter::observerCount(const QString &name) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_byName.find(name);
    if (it == m_byName.end())
        return 0;
    return static_cast<int>(
        std::count_if(it->second.begin(), it->second.end(), [](const Entry &e) { return e.owner; }));
}
