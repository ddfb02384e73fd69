#pragma once

#include "meeting/panels/TranscriptLines.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/VeskButton.h"

#include <QLineEdit>
#include <QList>
#include <QListView>
#include <QPointer>
#include <QStringList>

#include <functional>

class KVTimer;
class VeskButton;

// The live transcription panel: the meeting's speech as lines per speaker, merged from the results
// the window hands it (whether the panel is on screen or not), the lines spoken before it opened,
// a keyword search and the transcript as a PDF. The table is refreshed every 0.5 s while results
// come and parks 1 s after the last one. Everything runs on the main thread.
class TranscriptionViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    static inline const QString kHiddenNotification = QStringLiteral("TranscriptionViewHidden");
    static constexpr int kRefreshMs = 500;
    static constexpr int kBurstEndMs = 1000;
    static constexpr int kPageSize = 50;

    explicit TranscriptionViewController(QObject *parent = nullptr);
    ~TranscriptionViewController() override;

    // One transcription message's data list.
    void receiveMessages(const QStringList &data);
    // Its results, decoded.
    void receiveRecords(const QList<KVSubTitleRecord> &records);

    // Run when the panel is closed, by its close button or by the window manager's close of its
    // window (the window turns the applications' transcription tile off).
    std::function<void()> removeBlock;
    void removeAction();
    void windowWillClose() override;
    void saveButtonAction();
    void searchList(const QString &text);
    // The page before the oldest line shown; nothing starts it yet.
    void beginUpRefresh();

    // The save dialog: asked with what to propose, answers the chosen path ("" when cancelled).
    struct SaveRequest {
        QString message;
        QString proposedName;
        QStringList allowedTypes;
        bool canCreateDirectories = true;
    };
    using FileChooser =
        std::function<void(QWidget *sheetParent, const SaveRequest &request, std::function<void(QString)> done)>;
    // A window-modal file dialog unless replaced (tests).
    FileChooser fileChooser;

    // ---- State ---------------------------------------------------------------------------------
    [[nodiscard]] const TranscriptLines &lines() const { return m_lines; }
    [[nodiscard]] const QList<TranscriptLines::Row> &dataSourceArray() const { return m_dataSourceArray; }
    [[nodiscard]] KVTimer *refreshTimer() const { return m_refreshTimer; }
    [[nodiscard]] bool refreshTimerIsSuspend() const { return m_refreshTimerIsSuspend; }
    [[nodiscard]] bool didLoadAllPastData() const { return m_didLoadAllPastData; }
    [[nodiscard]] bool searchFlag() const { return m_searchFlag; }
    [[nodiscard]] int refreshCount() const { return m_refreshCount; }

    [[nodiscard]] QLineEdit *searchTextField() const { return m_searchTextField; }
    [[nodiscard]] QListView *tableView() const { return m_tableView; }
    [[nodiscard]] VeskButton *saveButton() const { return m_saveButton; }
    [[nodiscard]] VeskButton *closeButton() const { return m_closeButton; }

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Model;
    class Delegate;

    void panelClosed();
    void refreshTableViewMethod();
    void rebuildFromLive();
    void tableViewReload();
    // The width the rows lay their text out at: the table's.
    [[nodiscard]] int textWidth() const;
    void layOutRowsAgain();
    void endRefreshMessage();
    void requestData();
    void controlTextDidChange(const QString &text);
    void controlTextDidEndEditing();
    void saveDownloadedFile(const QString &downloaded);
    [[nodiscard]] static QString roomId();

    TranscriptLines m_lines;
    QList<TranscriptLines::Row> m_dataSourceArray;
    QPointer<KVTimer> m_refreshTimer;
    QPointer<KVTimer> m_endMessageRefreshTimer;
    bool m_refreshTimerIsSuspend = false;
    bool m_didLoadAllPastData = false;
    bool m_searchFlag = false;
    bool m_closingWindow = false;
    quint64 m_searchSerial = 0;
    int m_refreshCount = 0;

    QPointer<QLineEdit> m_searchTextField;
    QPointer<QListView> m_tableView;
    QPointer<VeskButton> m_saveButton;
    QPointer<VeskButton> m_closeButton;
    // The running download's owner: deleting it (取消, or the panel going) stops the download.
    QPointer<QObject> m_download;
    Model *m_model = nullptr;
};
