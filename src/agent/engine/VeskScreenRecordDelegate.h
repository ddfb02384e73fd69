#pragma once

#include <QString>
#include <QUrl>

// What the local screen recorder (VeskScreenRecord) reports. Methods are
// optional; calls arrive on the main thread.
class VeskScreenRecordDelegate {
public:
    virtual ~VeskScreenRecordDelegate() = default;

    virtual void recordStart() {}
    virtual void recordFail(const QString &message) { (void)message; }
    // fileURL: the movie file written.
    virtual void recordSuccess(const QUrl &fileURL) { (void)fileURL; }
};
