#pragma once

// One file of the picker's file tab: name, uploader, size, upload time and state, with its
// delete, retry and rights buttons. Pressing the row chooses the file.

#include "agent/models/FileShareModel.h"

#include <QAbstractButton>
#include <QPointer>

#include <functional>

class QLabel;
class VeskButton;

class ShareFileRow final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kHeight = 48;
    // Names from the service, cut where they enter the row.
    static constexpr int kMaxNameLength = 128;

    explicit ShareFileRow(QWidget *parent = nullptr);

    void setModel(const FileShareModel &model);
    [[nodiscard]] const FileShareModel &model() const { return m_model; }
    void setDarkAppearance(bool dark);
    // The state as the row says it ("" when ready).
    [[nodiscard]] static QString stateText(qint64 state);

    std::function<void()> clickBlock, deleteBlock, fileRecoverBlock, fileSharePermissionBlock;

    QPointer<QLabel> nameLabel, userLabel, sizeLabel, timeLabel, stateLabel;
    QPointer<VeskButton> deleteButton, recoverButton, permissionButton;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    FileShareModel m_model;
    bool m_dark = true;
};
