#pragma once

#include "agent/VeskAppAgent.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

// The one road that downloads a recording, a meeting's record document or its member list and
// lets the user save it where they choose: the loading toast, the agent's download into the
// caches folder, then a save dialog on the given window. Main thread only.
//
// The loading toast stays while a download runs and offers 取消, which stops the download it
// shows (the latest still running); the same file asked for again while it downloads starts
// nothing new. Save dialogs come one at a time, in the order the downloads finished; the file is
// written to the chosen place on a worker, with the mode a new file of the user's gets.
// Downloads and saves belong to the sign-in that asked: signing out, or a sign-in that expired,
// stops the running ones, drops the saves not yet answered and closes their dialogs.
class KVDownloadRecordManage final {
public:
    KVDownloadRecordManage() = delete;

    // The recording's download address (dvrDownPath), offered as "mp4".
    static void downloadRecordVideo(const QString &url, QWidget *window);
    // The meeting's record document, offered as "pdf".
    static void downloadRoomDocumentFile(const QString &roomId, QWidget *window);
    // The meeting's member list, offered as "xlsx" or "xls".
    static void downloadMeetingMembersList(const QString &roomId, QWidget *window);
    // The save dialog for a downloaded file, in the user's download folder: an existing file at
    // the chosen place is replaced by the download once the user agrees. The download leaves the
    // caches folder whatever the answer: moved (or copied) to the chosen place, or dropped.
    static void saveFileName(const QString &fileName, const QStringList &fileTypes, const QString &filePath,
                             QWidget *window);

    // What a finished download means: nothing when it is a file to save, else the code and text
    // the user is told (a reason in the user's language, or the service's own). A reply outside
    // 2xx, an error envelope of the service with a code other than 0 (whatever its name) and a
    // nameless reply ("download") are failures.
    struct Failure {
        qint64 code = 0;
        QString text;
    };
    [[nodiscard]] static std::optional<Failure> failureOf(const QString &filePath,
                                                          const VeskAppAgent::DownloadError &error);

    // Where a chosen name lands: the name as chosen when its extension is one of fileTypes,
    // else with the chosen type (the dialog's filter; the first of fileTypes when empty) appended.
    [[nodiscard]] static QString savePath(const QString &chosen, const QStringList &fileTypes,
                                          const QString &chosenType = QString());

    // Downloads running now, and saves not done yet: waiting for their dialog, in it or its
    // question, or being written to the chosen place (tests).
    [[nodiscard]] static int runningDownloads();
    [[nodiscard]] static int savesInProgress();

    // Tests: called with the set-up dialog in place of QFileDialog::open(); the opener answers
    // through the dialog (fileSelected, or reject) and closes it. An empty opener puts open() back.
    using DialogOpener = std::function<void(QFileDialog *dialog)>;
    static void setDialogOpener(DialogOpener opener);
};
