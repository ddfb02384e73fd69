#pragma once

// A shared document in the meeting window: the layout mode, the three ways a document view starts
// (the user's own share, a share running at entry, a share announced by others), its pages and
// page labels, page flips and scroll positions sent to the room and applied from it, the room's
// shared-file list and the switch to another file. Everything runs on the main thread.

#include "agent/models/FileShareModel.h"
#include "meeting/sharing/FileShareDocumentServices.h"
#include "meeting/sharing/FileShareDocumentViews.h"
#include "meeting/sharing/MeetingSharing.h"

#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QVariantMap>

#include <functional>
#include <memory>

class FileSharePageView;
class VeskButton;
class QWidget;

class FileShareDocument final : public QObject {
    Q_OBJECT
public:
    // What the document asks of the window and of the rest of the sharing part.
    struct Calls {
        std::function<void()> reloadMembers;       // the member tiles again, on all members
        std::function<QSizeF()> pageSize;          // one page tile as the window lays it out
        std::function<void(bool)> stopScreenShare; // ends the user's own share
        std::function<void(bool)> stopAVFileShareTimer;
        std::function<void(QWidget *)> hideOtherOverViews;
        std::function<void()> openMemberList;
        std::function<void()> querySharePermission;
        // Makes the share picker (hidden) if there is none: it carries out a switch of files.
        std::function<void()> ensureSharePicker;
        // Runs the continuation once the user holds the room's share lock (a file started from a
        // list while he shares nothing).
        std::function<void(std::function<void()>)> withShareLock;
    };
    using ListBlock = std::function<void(bool hasFiles, bool ok)>;
    static constexpr int kPrefetchBehind = 1;
    static constexpr int kPrefetchAhead = 3;

    FileShareDocument(FileShareDocumentViews views, MeetingSharing::State &state, Calls calls,
                      std::shared_ptr<FileShareDocumentServices> services, QObject *parent = nullptr);
    ~FileShareDocument() override;

    // Makes the document's bar (file name, page numbers, flip buttons) once the window's views exist.
    void buildViews();
    [[nodiscard]] FileSharePageView *pageView() const { return m_pages; }
    [[nodiscard]] QWidget *documentBar() const { return m_bar; }

    void setFileShareMode(int mode);
    void startFileShareFromAction(const FileShareDatailModel &model);
    void queryFileShareList(int source);
    void startFileShareFromEnter();
    void startFileShareFromIMControl();
    void queryAllShareFileInfo(ListBlock block = {});

    void setCurrentPageNum(int page);
    void scrollToItemAtIndex(int index);
    void scrollToPosition(double scale);
    [[nodiscard]] bool fileShareDisplayEnableScroll() const;

    void leftFlipOverAction(QObject *sender);
    void rightFlipOverAction(QObject *sender);
    void scrollViewDidScroll();
    void scrollDidStop(const QString &offsetScale);
    void postScrollPostitionOffsetScale(const QString &offsetScale);
    // Also sets the send id: a client that applied position N sends its next one as N.
    void setFileShareFlipOverReceiveSequenceId(quint64 sequenceId);

    // The quick list under the document's bar (nil closes it) and the list above the share button.
    void FileshareSwitchPanelAction(VeskButton *sender);
    void showFileShareSwitchListView(VeskButton *sender);
    void fileShareSwitchAction(const FileShareDatailModel &target);
    void shareSelectPanelSwitchFile(const QVariantMap &userInfo);

    // Control events 901, 902 and 903.
    void applyDocumentShare(const MeetingControlData &data);
    void applyDocumentSwitch(const MeetingControlData &data);
    void applyDocumentFollow(const MeetingControlData &data);

protected:
    // The arrow keys turn the pages of the focused page view.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] bool userCanControl() const;
    [[nodiscard]] int pageCount() const;
    [[nodiscard]] double tileHeight() const;
    void flipTo(int page);
    void setFlipButtonsShown(bool shown);
    void setWheelScroll(bool on);
    void showSharerName();
    void showFileName(const QString &fileName);
    // The file name after the sharer's, or on its own at the bar's start.
    void placeFileName(bool afterSharer);
    void fitBarStart();
    void resetScrollSync();
    void reloadPages();
    // The pages near the current one go into the image cache ahead of their display.
    void prefetchAround(int page);
    void endFlipOverDurationLater();
    void removeQuickList();
    void removeBottomPanel();

    const FileShareDocumentViews m_ui;
    MeetingSharing::State &m_state;
    const Calls m_calls;
    std::shared_ptr<FileShareDocumentServices> m_services;
    QPointer<QWidget> m_bar;
    QPointer<KVLayoutConstraint> m_sharerWidth; // of the panel saying who shares
    QPointer<KVLayoutConstraint> m_fileNameGap; // between that panel and the file name
    FileSharePageView *m_pages = nullptr;
    bool m_scrollSent = false; // a scroll position went out since the share started
    int m_fileNameWidth = 30;  // what the file name would take, at most 200
};
