#pragma once

#include "uikit/KVHoverBorderView.h"
#include "uikit/QFFlatButton.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <functional>

// The end-time panel of the meeting form: the chosen end (its button opens the end-time
// picker), the length it gives, and close, cancel and confirm buttons. It leaves only by its
// own buttons.
class KVSelectTimeView final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{458, 265};
    using ButtonBlock = std::function<void(QAbstractButton *button)>;

    explicit KVSelectTimeView(QWidget *parent = nullptr);

    // The length as text; also shown in the length label.
    void setDurationTime(const QString &text);
    [[nodiscard]] QString durationTime() const { return m_durationTime; }
    // Minutes; 0 until an end is chosen.
    void setDuration(qint64 minutes) { m_duration = minutes; }
    [[nodiscard]] qint64 duration() const { return m_duration; }
    // Shows the chosen end in the end button.
    void setDateTime(const QString &text);

    ButtonBlock onCloseBtnClickBlock;
    ButtonBlock onCancelBtnClickBlock;
    ButtonBlock onConfirmBtnClickBlock;
    ButtonBlock onDatePickBtnClickBlock;

    [[nodiscard]] QFFlatButton *datePickerButton() const { return m_datePickerButton; }
    [[nodiscard]] KVHoverBorderView *datePickBackView() const { return m_datePickBackView; }
    [[nodiscard]] QLabel *durationLabel() const { return m_durationLabel; }
    [[nodiscard]] VeskButton *closeButton() const { return m_closeButton; }
    [[nodiscard]] VeskButton *cancelButton() const { return m_cancelButton; }
    [[nodiscard]] VeskButton *confirmButton() const { return m_confirmButton; }

    [[nodiscard]] QSize sizeHint() const override { return kSize; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_durationTime;
    qint64 m_duration = 0;
    QPointer<QFFlatButton> m_datePickerButton;
    QPointer<KVHoverBorderView> m_datePickBackView;
    QPointer<QLabel> m_durationLabel;
    QPointer<VeskButton> m_closeButton;
    QPointer<VeskButton> m_cancelButton;
    QPointer<VeskButton> m_confirmButton;
};
