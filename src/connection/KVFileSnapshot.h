#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <stop_token>

class QIODevice;
class QTemporaryFile;

// A private copy of a file to upload, read once, with its MD5.
//
// An upload body fixes its length when it starts but reads its parts while it is sent: a live file
// that shrinks, grows or is rewritten meanwhile would send other bytes (even process memory) than
// the ones counted and hashed. The copy is a 0600 file in the caches folder that only this process
// writes, so the length, the MD5 and the bytes sent always agree. A file whose size, time stamp or
// identity changes while it is copied is refused.
//
// Only a regular file is read: a FIFO, a device or a folder is refused before a byte is read (and
// before a FIFO is opened in a way that waits for a writer). Taking a copy reads the whole file:
// it is for a worker thread, which can stop it between two chunks.
class KVFileSnapshot final {
public:
    enum class Failure { None, NotRegular, Unreadable, Changed, CannotCopy, Cancelled };

    ~KVFileSnapshot();
    KVFileSnapshot(const KVFileSnapshot &) = delete;
    KVFileSnapshot &operator=(const KVFileSnapshot &) = delete;

    // The copy of the regular file at path, or null with *error (and *failure) set; a stop
    // requested meanwhile ends it as Cancelled, its partial copy removed.
    [[nodiscard]] static std::shared_ptr<KVFileSnapshot> take(const QString &path, QString *error,
                                                              std::stop_token stop = {}, Failure *failure = nullptr);

    [[nodiscard]] QString sourcePath() const { return m_sourcePath; }
    [[nodiscard]] QString fileName() const;
    [[nodiscard]] qint64 size() const { return m_size; }
    [[nodiscard]] QString md5() const { return m_md5; } // 32 lowercase hex digits
    // A new reader of the copy positioned at its start (owned by the caller), or null.
    [[nodiscard]] std::unique_ptr<QIODevice> openReader() const;

    // Tests: runs after each chunk copied, with the bytes copied so far.
    static void setChunkHookForTesting(std::function<void(qint64 copied)> hook);

private:
    KVFileSnapshot() = default;

    QString m_sourcePath;
    qint64 m_size = 0;
    QString m_md5;
    std::unique_ptr<QTemporaryFile> m_copy;
};
