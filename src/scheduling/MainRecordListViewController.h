#pragma once

#include "agent/models/RecordVideoModel.h"
#include "uikit/KVRowListView.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/QFFlatButton.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QScrollArea>

class KVMResponse;
class MainRecordListCell;
class MainRecordListModel;

// The home window's records tab: the user's meeting record documents (paged by 10) and cloud
// recordings, each downloadable and deletable. Replies hold the page weakly; a documents reply
// older than the latest refresh is dropped, so no late page lands after a reload.
class MainRecordListViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    static constexpr int kPageSize = 10;

    explicit MainRecordListViewController(QObject *parent = nullptr);

    // 0 record documents, 1 cloud recordings.
    void setCurrentListType(qint64 type);
    [[nodiscard]] qint64 currentListType() const { return m_currentListType; }

    // Both lists again (the tab was shown).
    void viewWillAppear();
    void refreshCloudRecordVideoList();
    void refreshDocumentFileList();
    void loadMoreDocumentFileList();
    void updateEmptyView();

    void onRecordVideoAction() { setCurrentListType(1); }
    void onRecordDocumentAction() { setCurrentListType(0); }

    [[nodiscard]] const QList<RecordVideoInfo> &recordVideos() const { return m_recordVideos; }
    [[nodiscard]] const QList<RecordFileModel> &documentFiles() const { return m_documentFiles; }
    [[nodiscard]] qint32 recordDocumentPageNumber() const { return m_recordDocumentPageNumber; }
    [[nodiscard]] bool hasMoreDocument() const { return m_hasMoreDocument; }
    [[nodiscard]] bool isRefreshing() const { return m_isRefreshing; }

    [[nodiscard]] QFFlatButton *recordVideoButton() const { return m_recordVideoButton; }
    [[nodiscard]] QFFlatButton *recordDocumentButton() const { return m_recordDocumentButton; }
    [[nodiscard]] QLabel *tipsLabel() const { return m_tipsLabel; }
    [[nodiscard]] QLabel *nameTitleLabel() const { return m_nameTitleLabel; }
    [[nodiscard]] QLabel *timeTitleLabel() const { return m_timeTitleLabel; }
    [[nodiscard]] QLabel *sizeTitleLabel() const { return m_sizeTitleLabel; }
    [[nodiscard]] QWidget *titleView() const { return m_titleView; }
    [[nodiscard]] QWidget *emptyView() const { return m_emptyView; }
    [[nodiscard]] QLabel *emptyLabel() const { return m_emptyLabel; }
    [[nodiscard]] QScrollArea *scrollView() const { return m_scrollView; }
    // The rows in view, top first: only those have a row widget.
    [[nodiscard]] QList<MainRecordListCell *> cells() const;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    void loadRecordDocumentFileList();
    void reloadData();
    [[nodiscard]] MainRecordListCell *createCell(QWidget *parent);
    // Asks for the next documents page when the last row is in view.
    void loadMoreIfLastRowShown();
    void downloadAction(MainRecordListCell *cell);
    void deleteAction(MainRecordListCell *cell);

    qint64 m_currentListType = 0;
    QList<RecordVideoInfo> m_recordVideos;
    QList<RecordFileModel> m_documentFiles;
    qint32 m_recordDocumentPageNumber = 1;
    bool m_hasMoreDocument = true;
    bool m_isRefreshing = false;
    quint64 m_documentGeneration = 0;
    quint64 m_videoGeneration = 0;

    QPointer<QFFlatButton> m_recordVideoButton;
    QPointer<QFFlatButton> m_recordDocumentButton;
    QPointer<QLabel> m_tipsLabel;
    QPointer<QLabel> m_nameTitleLabel;
    QPointer<QLabel> m_timeTitleLabel;
    QPointer<QLabel> m_sizeTitleLabel;
    QPointer<QWidget> m_titleView;
    QPointer<KVRowListView> m_scrollView;
    MainRecordListModel *m_listModel = nullptr;
    QPointer<QWidget> m_emptyView;
    QPointer<QLabel> m_emptyLabel;
};
