#pragma once

#include <QString>

#include <chrono>
#include <functional>

class QAbstractButton;
class QWidget;

// Transient messages over the active window. Showing one dismisses the
// current one; an empty text shows nothing. Timing runs on the project clock.
// Calls from other threads are carried over to the main thread.
class VeskToast final {
public:
    static constexpr std::chrono::milliseconds kToastDuration{2000};
    static constexpr std::chrono::milliseconds kFiveSeconds{5000};

    static void showToast(const QString &text);
    // The same on the in-meeting dark background.
    static void showToastInMeeting(const QString &text);
    // The in-meeting toast, shown for five seconds.
    static void showToastInMeetingFiveSecond(const QString &text);
    static void dismissToast();

    // The one loading box (a spinner and the text, which may be empty) until dismissed.
    static void showLoadingToast(const QString &text = QString());
    // The same with a button under the text (a download's 取消): the box then takes clicks, and a
    // press runs action. The box stays until dismissed; showing it again without an action
    // removes the button.
    static void showLoadingToast(const QString &text, const QString &actionTitle, std::function<void()> action);
    // Does nothing when none is shown.
    static void dismissLoadingToast();

    // The toast or loading box on screen, or nullptr.
    [[nodiscard]] static QWidget *currentToast();
    [[nodiscard]] static QWidget *currentLoadingToast();
    // The button of the loading box on screen, or nullptr.
    [[nodiscard]] static QAbstractButton *loadingToastButton();
    // The text a toast or loading box shows.
    [[nodiscard]] static QString textOf(const QWidget *toast);
    // The window messages go over: the active window, else the modal one, else
    // the first visible window; never one whose close is being delivered; nullptr
    // when there is none.
    [[nodiscard]] static QWidget *hostWindow();

    VeskToast() = delete;
};
