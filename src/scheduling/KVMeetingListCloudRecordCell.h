#pragma once

#include "agent/models/RecordVideoModel.h"
#include "uikit/QFFlatButton.h"

#include <QLabel>
#include <QWidget>

#include <functional>

class KVElidedLabel;

// A cloud recording in the all-meetings detail pane (92 points high): name, size, length, and
// delete; download only once the recording is ready.
class KVMeetingListCloudRecordCell final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 92;

    explicit KVMeetingListCloudRecordCell(QWidget *parent = nullptr);

    void setDataModel(const RecordVideoInfo &info);
    [[nodiscard]] const RecordVideoInfo &dataModel() const { return m_dataModel; }

    std::function<void(QObject *sender, KVMeetingListCloudRecordCell *cell)> onDownloadClick;
    std::function<void(QObject *sender, KVMeetingListCloudRecordCell *cell)> onDeleteClick;

    [[nodiscard]] KVElidedLabel *recordNameLabel() const { return m_recordNameLabel; }
    [[nodiscard]] QLabel *recordSizeLabel() const { return m_recordSizeLabel; }
    [[nodiscard]] QLabel *durationLabel() const { return m_durationLabel; }
    [[nodiscard]] QFFlatButton *deleteBtn() const { return m_deleteBtn; }
    [[nodiscard]] QFFlatButton *downloadBtn() const { return m_downloadBtn; }

private:
    RecordVideoInfo m_dataModel;
    KVElidedLabel *m_recordNameLabel;
    QLabel *m_recordSizeLabel;
    QLabel *m_durationLabel;
    QFFlatButton *m_deleteBtn;
    QFFlatButton *m_downloadBtn;
};
