#pragma once

#include "uikit/DraggableView.h"

#include <QPointer>

#include <functional>

class QLabel;
class VeskButton;

// The host's count-down setter: four digits (tens and units of minutes and seconds), each with its
// own + and −, a start button and a close button. It only reports: the window decides what a start
// or a close does.
class HostCountDownView final : public DraggableView {
    Q_OBJECT
public:
    static constexpr int kWidth = 278;
    static constexpr int kHeight = 203;

    explicit HostCountDownView(QWidget *parent = nullptr);

    // The digit buttons: the argument is the pressed button, which shows as pressed for 0.5 s.
    void tenMinutesAddAction(VeskButton *sender);
    void tenMinutesSubtractAction(VeskButton *sender);
    void oneMinutesAddAction(VeskButton *sender);
    void oneMinutesSubtractAction(VeskButton *sender);
    void tenSecondAddAction(VeskButton *sender);
    void tenSecondSubtractAction(VeskButton *sender);
    void oneSecondAddAction(VeskButton *sender);
    void oneSecondSubtractAction(VeskButton *sender);

    // Runs startActionBlock with the set time when it is at least 15 s; else says why not.
    void startAction(VeskButton *sender);
    void closeAction();
    // Shows a time in the labels (the digits stay) and enables the start button.
    void startCountDownWith(qint64 seconds);
    // Back to 05:00.
    void stopCountDown();

    [[nodiscard]] int tenMinutes() const { return m_tenMinutes; }
    [[nodiscard]] int minutes() const { return m_minutes; }
    [[nodiscard]] int tenSeconds() const { return m_tenSeconds; }
    [[nodiscard]] int seconds() const { return m_seconds; }

    std::function<void(int minutes, int seconds, VeskButton *startButton)> startActionBlock;
    std::function<void(HostCountDownView *view)> closeActionBlock;

    QPointer<VeskButton> startButton;
    QPointer<VeskButton> closeButton;
    QPointer<QLabel> tenMinLabel;
    QPointer<QLabel> minLabel;
    QPointer<QLabel> tenSecondLabel;
    QPointer<QLabel> secondLabel;
    QPointer<QWidget> line;
    QPointer<VeskButton> tenMinutesAddButton;
    QPointer<VeskButton> tenMinutesSubtractButton;
    QPointer<VeskButton> minutesAddButton;
    QPointer<VeskButton> minutesSubtractButton;
    QPointer<VeskButton> tenSecondsAddButton;
    QPointer<VeskButton> tenSecondsSubtractButton;
    QPointer<VeskButton> secondsAddButton;
    QPointer<VeskButton> seconsSubtractButton;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void stopCountDownInter();
    void changeDigit(VeskButton *sender, int &digit, int limit, bool add, QLabel *label);

    int m_tenMinutes = 0;
    int m_minutes = 5;
    int m_tenSeconds = 0;
    int m_seconds = 0;
};
