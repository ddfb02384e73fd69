#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

// The one road that downloads a recording, a meeting's record document or its member list and
// lets the user save it where they choose: the loading toast, the agent's download into the
// caches folder, then a save dialog on the given window. Main thread only; no state of its own
// but the dialog opener tests install.
class KVDownloadRecordManage final {
public:
    KVDownloadRecordManage() = delete;

    // The recording's download address (dvrDownPath), offered as "mp4".
    static void downloadRecordVideo(const QString &url, QWidget *window);
    // The meeting's record document, offered as "pdf".
    static void downloadRoomDocumentFile(const QString &roomId, QWidget *window);
    // The meeting's member list, offered as "xlsx" or "xls".
    static void downloadMeetingMembersList(const QString &roomId, QWidget *window);
    // The save dialog for a downloaded file: an existing file at the chosen place is replaced by
    // the download (which leaves the caches folder); otherwise the download is copied there.
    static void saveFileName(const QString &fileName, const QStringList &fileTypes, const QString &filePath,
                             QWidget *window);

    // What a finished download means: nothing when it is a file to save, else the code and text
    // the user is told. A reply outside 2xx, an error envelope of the service with a code other
    // than 0 (whatever its name) and a nameless reply ("download") are failures.
    struct Failure {
        qint64 code = 0;
        QString text;
    };
    [[nodiscard]] static std::optional<Failure> failureOf(const QString &filePath, const QString &error);

    // Where a chosen name lands: the name as chosen when its extension is one of fileTypes,
    // else with the first of them appended.
    [[nodiscard]] static QString savePath(const QString &chosen, const QStringList &fileTypes);

    // Tests: called with the set-up dialog in place of QFileDialog::open(); the opener answers
    // through the dialog (fileSelected, or reject). An empty opener puts open() back.
    using DialogOpener = std::function<void(QFileDialog *dialog)>;
    static void setDialogOpener(DialogOpener opener);
};
