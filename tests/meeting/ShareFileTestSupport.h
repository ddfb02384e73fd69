#pragma once

// A file service and room that answer when the test says so, for the share picker's file tab,
// its uploads and its permission pop-overs.

#include "meeting/sharing/ShareFileServices.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QMutex>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QVariantMap>

#include <atomic>

class FakeFileServices final : public ShareFileServices {
public:
    struct Call {
        QString what;
        QVariantMap args;
        QPointer<QObject> owner;
        Completion completion;
        UploadFinish finish;
    };

    QList<Call> calls;
    // The room and the user.
    QString roomId = QStringLiteral("room-1");
    QString creatorId;
    int uploadAllowed = 1;
    int uploadType = 0;
    bool host = true;
    bool assistant = false;
    QStringList assistants;
    bool sharingFile = false;
    bool sharingAV = false;
    // Private copies: which threads took them, and an optional gate each waits at first.
    std::atomic<int> md5OnMain{0}, md5Calls{0}, md5Inside{0}, md5MostInside{0};
    QSemaphore *md5Gate = nullptr;

    static KVMResponse code(qint64 c, const QVariant &data = {}, const QString &message = {})
    {
        KVMResponse r;
        r.code = c;
        r.successed = c == 0;
        r.data = data;
        r.message = message;
        return r;
    }
    [[nodiscard]] int count(const QString &what) const
    {
        return int(std::count_if(calls.cbegin(), calls.cend(), [&](const Call &c) { return c.what == what; }));
    }
    [[nodiscard]] QVariantMap last(const QString &what) const
    {
        for (qsizetype i = calls.size() - 1; i >= 0; --i)
            if (calls[i].what == what)
                return calls[i].args;
        return {};
    }
    // Answers the oldest unanswered call of that kind; false when none waits.
    bool answer(const QString &what, const KVMResponse &response)
    {
        for (Call &c : calls) {
            if (c.what != what || !c.completion)
                continue;
            Completion fn = std::exchange(c.completion, nullptr);
            if (c.owner)
                fn(response);
            return true;
        }
        return false;
    }
    bool answerUpload(bool ok, const QVariantMap &reply)
    {
        for (Call &c : calls) {
            if (c.what != QLatin1String("upload") || !c.finish)
                continue;
            UploadFinish fn = std::exchange(c.finish, nullptr);
            if (c.owner)
                fn(c.args.value(QStringLiteral("url")).toUrl(), ok, reply, QString());
            return true;
        }
        return false;
    }

    void queryFileList(QObject *o, const QString &room, Completion c) override
    {
        add(QStringLiteral("list"), {{QStringLiteral("roomId"), room}}, o, std::move(c));
    }
    void deleteFiles(QObject *o, const QStringList &ids, const QString &user, const QString &room,
                     Completion c) override
    {
        add(QStringLiteral("delete"),
            {{QStringLiteral("fileIds"), ids},
             {QStringLiteral("uploadUserId"), user},
             {QStringLiteral("roomId"), room}},
            o, std::move(c));
    }
    void queryFileSliceUrl(QObject *o, const QString &fileId, const QString &room, Completion c) override
    {
        add(QStringLiteral("slices"), {{QStringLiteral("fileId"), fileId}, {QStringLiteral("roomId"), room}}, o,
            std::move(c));
    }
    void queryFileShareOPPermission(QObject *o, const QString &fileId, const QString &room, const QString &user,
                                    Completion c) override
    {
        add(QStringLiteral("rights"),
            {{QStringLiteral("fileId"), fileId},
             {QStringLiteral("roomId"), room},
             {QStringLiteral("uploadUserId"), user}},
            o, std::move(c));
    }
    void startOrStopFileShare(QObject *o, bool start, const QString &user, const QString &fileId,
                              const QString &fileName, const QString &slices, const QString &status,
                              const QVariantList &users, Completion c) override
    {
        add(QStringLiteral("document"),
            {{QStringLiteral("start"), start},
             {QStringLiteral("uploadUserId"), user},
             {QStringLiteral("fileId"), fileId},
             {QStringLiteral("fileName"), fileName},
             {QStringLiteral("sliceInfo"), slices},
             {QStringLiteral("status"), status},
             {QStringLiteral("users"), users}},
            o, std::move(c));
    }
    void startOrStopAVFileShare(QObject *o, qint64 type, const QString &user, const QString &fileId, qint64 fileType,
                                const QString &fileName, qint64 duration, const QString &status,
                                const QVariantList &users, Completion c) override
    {
        add(QStringLiteral("av"),
            {{QStringLiteral("type"), type},
             {QStringLiteral("uploadUserId"), user},
             {QStringLiteral("fileId"), fileId},
             {QStringLiteral("fileType"), fileType},
             {QStringLiteral("fileName"), fileName},
             {QStringLiteral("duration"), duration},
             {QStringLiteral("status"), status},
             {QStringLiteral("users"), users}},
            o, std::move(c));
    }
    void prepareUploadFileWithfileURL(QObject *o, const QList<std::shared_ptr<KVFileSnapshot>> &files,
                                      const QStringList &identities, const QString &room, Completion c) override
    {
        QVariantList list, sizes;
        QStringList md5s;
        for (const auto &f : files) {
            list << QUrl::fromLocalFile(f->sourcePath());
            md5s << f->md5();
            sizes << f->size();
        }
        add(QStringLiteral("prepare"),
            {{QStringLiteral("urls"), list},
             {QStringLiteral("identities"), identities},
             {QStringLiteral("md5s"), md5s},
             {QStringLiteral("sizes"), sizes},
             {QStringLiteral("roomId"), room}},
            o, std::move(c));
    }
    void uploadFileWithfileURL(QObject *o, const std::shared_ptr<KVFileSnapshot> &file, const QString &id,
                               const QString &room, UploadFinish finish) override
    {
        const auto reader = file->openReader();
        Call call{QStringLiteral("upload"),
                  {{QStringLiteral("url"), QUrl::fromLocalFile(file->sourcePath())},
                   {QStringLiteral("fileIds"), QStringList{id}},
                   {QStringLiteral("md5"), file->md5()},
                   {QStringLiteral("content"), reader ? reader->readAll() : QByteArray()},
                   {QStringLiteral("roomId"), room}},
                  o,
                  nullptr,
                  std::move(finish)};
        calls.append(call);
    }
    void fileShareOPPermission(QObject *o, const QString &fileId, const QString &room, const QString &user,
                               const QString &fileType, qint64 status, const QVariantList &users, Completion c) override
    {
        add(QStringLiteral("setRights"),
            {{QStringLiteral("fileId"), fileId},
             {QStringLiteral("roomId"), room},
             {QStringLiteral("uploadUserId"), user},
             {QStringLiteral("fileType"), fileType},
             {QStringLiteral("status"), status},
             {QStringLiteral("users"), users}},
            o, std::move(c));
    }
    void fileUploadPermission(QObject *o, qint64 type, const QString &room, Completion c) override
    {
        add(QStringLiteral("uploadPermission"), {{QStringLiteral("type"), type}, {QStringLiteral("roomId"), room}}, o,
            std::move(c));
    }
    void queryMeetingMember(QObject *o, qint64 isAssistant, const QString &room, Completion c) override
    {
        add(QStringLiteral("hosts"), {{QStringLiteral("isAssistant"), isAssistant}, {QStringLiteral("roomId"), room}},
            o, std::move(c));
    }
    void queryUserWithUserName(QObject *o, const QString &name, Completion c) override
    {
        add(QStringLiteral("search"), {{QStringLiteral("userName"), name}}, o, std::move(c));
    }
    [[nodiscard]] std::shared_ptr<KVFileSnapshot> takeSnapshot(const QString &path, std::stop_token stop,
                                                               KVFileSnapshot::Failure *failure) const override
    {
        auto *self = const_cast<FakeFileServices *>(this);
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            ++self->md5OnMain;
        ++self->md5Calls;
        const int inside = ++self->md5Inside;
        int most = self->md5MostInside.load();
        while (inside > most && !self->md5MostInside.compare_exchange_weak(most, inside)) {
        }
        if (md5Gate)
            md5Gate->acquire();
        --self->md5Inside;
        QString error;
        return KVFileSnapshot::take(path, &error, std::move(stop), failure);
    }

    [[nodiscard]] QString joinedRoomId() const override { return roomId; }
    [[nodiscard]] QString roomCreatorId() const override { return creatorId; }
    [[nodiscard]] int allowFileUpload() const override { return uploadAllowed; }
    [[nodiscard]] int roomUploadPermissionType() const override { return uploadType; }
    void setRoomUploadPermissionType(int type) override { uploadType = type; }
    [[nodiscard]] bool isHost() const override { return host; }
    [[nodiscard]] bool asssitantHost() const override { return assistant; }
    [[nodiscard]] QStringList asssitantRecordArray() const override { return assistants; }
    [[nodiscard]] bool selfFileSharing() const override { return sharingFile; }
    [[nodiscard]] bool selfAVFileSharing() const override { return sharingAV; }
    [[nodiscard]] QString myUserName() const override { return QStringLiteral("我"); }
    [[nodiscard]] bool isSelf(const MeetingDataModel &) const override { return ownMeeting; }
    bool ownMeeting = true;

private:
    void add(const QString &what, const QVariantMap &args, QObject *owner, Completion c)
    {
        calls.append({what, args, owner, std::move(c), nullptr});
    }
};
