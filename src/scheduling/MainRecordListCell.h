#pragma once

#include "agent/models/RecordVideoModel.h"
#include "uikit/QFFlatButton.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <functional>

class KVElidedLabel;

// One row (76 points) of the records page: a cloud recording or a meeting record document, with
// its download and delete buttons.
class MainRecordListCell final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 76;

    explicit MainRecordListCell(QWidget *parent = nullptr);

    void setVideoInfo(const RecordVideoInfo &info);
    void setFileModel(const RecordFileModel &model);
    [[nodiscard]] const RecordVideoInfo &videoInfo() const { return m_videoInfo; }
    [[nodiscard]] const RecordFileModel &fileModel() const { return m_fileModel; }

    std::function<void(MainRecordListCell *cell)> onDownloadAction;
    std::function<void(MainRecordListCell *cell)> onDeleteAction;

    void onDownloadActionClicked();
    void onDeleteActionClicked();

    [[nodiscard]] KVElidedLabel *titleLabel() const { return m_titleLabel; }
    [[nodiscard]] QLabel *roomIdLabel() const { return m_roomIdLabel; }
    [[nodiscard]] KVElidedLabel *roomNameLabel() const { return m_roomNameLabel; }
    [[nodiscard]] QLabel *timeLabel() const { return m_timeLabel; }
    [[nodiscard]] QLabel *sizeLabel() const { return m_sizeLabel; }
    [[nodiscard]] QFFlatButton *downloadButton() const { return m_downloadButton; }
    [[nodiscard]] QFFlatButton *deleteButton() const { return m_deleteButton; }

private:
    void nameButtons(const QString &name);

    RecordVideoInfo m_videoInfo;
    RecordFileModel m_fileModel;
    KVElidedLabel *m_titleLabel;
    QLabel *m_roomIdLabel;
    KVElidedLabel *m_roomNameLabel;
    QLabel *m_timeLabel;
    QLabel *m_sizeLabel;
    QFFlatButton *m_downloadButton;
    QFFlatButton *m_deleteButton;
};
