#pragma once

#include "uikit/KVDataText.h"

#include <QPointer>

#include <functional>

// A label showing a meeting ID that copies the ID on a click (or Enter/Space)
// and then shows a toast, or runs the custom toast block instead. Its text (a meeting's name and
// ID) is plain text, cut in the middle when it does not fit, so the ID at its end stays in view.
class KVMeetingIDLabel : public KVElidedLabel {
    Q_OBJECT
public:
    explicit KVMeetingIDLabel(QWidget *parent = nullptr);

    // The ID that is copied; when empty the label's text is copied.
    void setRoomId(const QString &roomId) { m_roomId = roomId; }
    [[nodiscard]] QString roomId() const { return m_roomId; }
    // Run after a click copied the ID, in place of the default toast.
    void setUseCustomToast(std::function<void()> block) { m_customToast = std::move(block); }
    // Hovering shows the copy tip.
    void setShowHoverTips(bool show);
    [[nodiscard]] bool showHoverTips() const { return m_showHoverTips; }
    [[nodiscard]] QWidget *hoverTip() const { return m_tip; }

    // Copies the ID and tells the user; false when there was nothing to copy.
    bool copyToPasteboard();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void showTip();
    void hideTip();

    QString m_roomId;
    std::function<void()> m_customToast;
    bool m_showHoverTips = false;
    QPointer<QLabel> m_tip;
};
