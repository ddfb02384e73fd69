#pragma once

// Fakes for the user's own share: the service, manager and room answers (each request waits until
// the test answers it), and a desktop that knows the windows the test puts on it.

#include "agent/engine/FakeDesktopCapture.h"
#include "agent/models/FileShareModel.h"
#include "foundation/models/ShareTokenModel.h"
#include "meeting/sharing/ShareControlServices.h"
#include "uikit/VeskMeetingToast.h"

#include <QLabel>

#include <QHash>
#include <QPointer>
#include <QStringList>

#include <optional>

class FakeShareServices final : public ShareControlServices {
public:
    struct Pending {
        QString what;
        QPointer<QObject> owner;
        Completion completion;
    };

    // Answers the oldest request of that kind; false when none waits.
    bool answer(const QString &what, const KVMResponse &response)
    {
        for (qsizetype i = 0; i < pending.size(); ++i) {
            if (pending[i].what != what)
                continue;
            Pending p = pending.takeAt(i);
            if (p.owner && p.completion)
                p.completion(response);
            return true;
        }
        return false;
    }
    [[nodiscard]] int waiting(const QString &what) const
    {
        return int(std::count_if(pending.cbegin(), pending.cend(), [&](const Pending &p) { return p.what == what; }));
    }
    static KVMResponse code(qint64 c, const QString &message = QString())
    {
        KVMResponse r;
        r.code = c;
        r.successed = c == 0;
        r.message = message;
        return r;
    }
    static KVMResponse lock(bool canShare)
    {
        KVMResponse r = code(0);
        ShareTokenModel token;
        token.isCanShare = canShare;
        r.data = QVariant::fromValue(token);
        return r;
    }

    void getShareLock(QObject *owner, Completion c) override { queue("lock", owner, std::move(c)); }
    void releaseShareLock(QObject *owner, Completion c) override { queue("release", owner, std::move(c)); }
    void queryAllowShareMemberList(QObject *owner, Completion c) override { queue("allowList", owner, std::move(c)); }
    void stopFileShare(QObject *owner, const FileShareDatailModel &, Completion c) override
    {
        queue("stopFile", owner, std::move(c));
    }
    void stopAVFileShare(QObject *owner, const FileShareModel &, Completion c) override
    {
        queue("stopAVFile", owner, std::move(c));
    }
    void logShareLockFailure(const QString &message) override { log << "lockFailure:" + message; }
    void logShareStarted() override { log << "shareStarted"; }

    [[nodiscard]] bool allowFileShared() const override { return allowShare; }
    [[nodiscard]] bool isHost() const override { return host; }
    [[nodiscard]] bool asssitantHost() const override { return assistant; }
    [[nodiscard]] QString myPhoneNumber() const override { return QStringLiteral("13800000001"); }
    [[nodiscard]] QString creatorId() const override { return QStringLiteral("creator"); }
    [[nodiscard]] QString creatorName() const override { return QStringLiteral("主持人甲"); }

    [[nodiscard]] bool selfScreenOrWindowSharing() const override { return screenSharing; }
    void setSelfScreenOrWindowSharing(bool on) override { screenSharing = on; }
    [[nodiscard]] bool selfFileSharing() const override { return fileSharing; }
    void setSelfFileSharing(bool on) override { fileSharing = on; }
    [[nodiscard]] bool selfAVFileSharing() const override { return avSharing; }
    void setSelfAVFileSharing(bool on) override { avSharing = on; }
    [[nodiscard]] bool shareStyleIsFile() const override { return styleIsFile; }
    [[nodiscard]] QList<DesktopCaptureSnapshotModel> fetchDesktopScreenSnapshots() const override { return screens; }
    [[nodiscard]] QList<DesktopCaptureSnapshotModel> fetchDesktopWidowSnapshots() const override { return windows; }
    StartResult startDesktopShare(const DesktopCaptureSnapshotModel &candidate) override
    {
        log << QStringLiteral("startDesktopShare:%1").arg(candidate.id);
        if (refuseStart)
            return StartResult::Refused;
        engineSharing = true;
        return StartResult::Started;
    }
    void stopDesktopShare() override
    {
        log << "stopDesktopShare";
        engineSharing = false;
    }
    [[nodiscard]] bool screenCapturePermitted() const override { return permitted; }

    QList<Pending> pending;
    QStringList log;
    QList<DesktopCaptureSnapshotModel> screens;
    QList<DesktopCaptureSnapshotModel> windows;
    bool allowShare = true, host = false, assistant = false, permitted = true, styleIsFile = false;
    bool screenSharing = false, fileSharing = false, avSharing = false, engineSharing = false, refuseStart = false;

private:
    void queue(const QString &what, QObject *owner, Completion c)
    {
        pending.append({what, owner, std::move(c)});
        log << what;
    }
};

// A scripted desktop for the test's life, with windows the test places, moves and closes.
struct ShareDesktopScope {
    std::shared_ptr<FakeDesktopCapture> desktop = std::make_shared<FakeDesktopCapture>();
    ShareDesktopScope() { DesktopCaptureSource::setCurrent(desktop); }
    ~ShareDesktopScope() { DesktopCaptureSource::setCurrent(nullptr); }
    void place(qint64 id, const QRect &bounds)
    {
        bool listed = false;
        for (const KRTCDesktopSource &w : windows)
            listed = listed || w.sourceId == id;
        if (!listed) {
            KRTCDesktopSource source;
            source.sourceId = id;
            source.type = KRTCScreenOption::TypeWindow;
            windows << source;
            desktop->setWindows(windows);
        }
        desktop->setWindowBounds(id, bounds);
    }
    QList<KRTCDesktopSource> windows;
};

inline DesktopCaptureSnapshotModel shareCandidate(qint64 type, qint64 id, int pid = 0, const QString &title = {})
{
    DesktopCaptureSnapshotModel m;
    m.type = type;
    m.id = id;
    m.pid = pid;
    m.title = title.isEmpty() ? QStringLiteral("窗口%1").arg(id) : title;
    return m;
}

// The in-meeting tip over view ("" when none), as MeetingTestSupport's tipText reads it.
inline QString shareTipText(QWidget *view)
{
    QWidget *tip = view ? VeskMeetingToast::currentTip(view) : nullptr;
    if (!tip)
        return {};
    QStringList texts;
    for (QLabel *l : tip->findChildren<QLabel *>())
        texts << l->text();
    if (auto *self = qobject_cast<QLabel *>(tip))
        texts << self->text();
    return texts.join(QLatin1Char(' '));
}
