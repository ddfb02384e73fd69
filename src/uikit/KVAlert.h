#pragma once

#include "uikit/VeskButton.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QLabel;

// The application-modal alert. Factories take texts and blocks (empty blocks
// only close; an empty cancel title leaves the cancel button out). Each answer
// runs its block once and then closes the alert unless disableAutoDismiss is
// set. The alert deletes itself when dismissed.
class KVAlert : public QWidget {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    static KVAlert *alertWithTitle(const QString &title, const QString &message, const QString &cancelTitle,
                                   const QString &confirmTitle, Action cancelAction, Action confirmAction);
    static KVAlert *alertWithMessage(const QString &message, const QString &cancelTitle, const QString &confirmTitle,
                                     Action cancelAction, Action confirmAction);
    // One button and a close button in the corner that runs closeAction.
    static KVAlert *alertWithMessage(const QString &message, const QString &confirmTitle, Action confirmAction,
                                     Action closeAction);
    static KVAlert *alertWithMessage(const QString &message, const QString &confirmTitle, Action confirmAction);
    // The alert around a view (which may offer KVAlertProtocol); the view's
    // own buttons do the answering.
    static KVAlert *alertWithCustomView(QWidget *view);

    // Cancel title and border "FF656B"; confirm background "#007AFF" with a white title. The red
    // cancel does what cannot be undone: the alert gains a close button, focused when it shows,
    // and Escape only closes.
    KVAlert *setConfigCancelRedStyle();

    // Shows the alert modally for the application, centred on the window (the
    // active window when null), in its preferred size.
    void showInCenterOfWindow(QWidget *window);
    // Shows it, modally, with its top-left corner at a screen point.
    void showAtOrigin(const QPoint &screenPoint);
    void dismiss();

    // True: the buttons do not close the alert.
    void setDisableAutoDismiss(bool disable) { m_disableAutoDismiss = disable; }
    [[nodiscard]] bool disableAutoDismiss() const { return m_disableAutoDismiss; }

    [[nodiscard]] QSize preferredSize() const;
    [[nodiscard]] QAbstractButton *cancelButton() const;
    [[nodiscard]] QAbstractButton *confirmButton() const;
    [[nodiscard]] QAbstractButton *closeButton() const { return m_closeButton; }
    [[nodiscard]] QWidget *customView() const { return m_customView; }
    [[nodiscard]] QString title() const { return m_title; }
    [[nodiscard]] QString message() const { return m_message; }

protected:
    KVAlert();
    void paintEvent(QPaintEvent *event) override;
    // Return confirms; Escape cancels (or closes), and takes the one button of a notice.
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class Answer { Cancel, Confirm, Close };
    void build(const QString &title, const QString &message, const QString &cancelTitle, const QString &confirmTitle,
               bool withCloseButton);
    void answer(Answer which);
    void prepareToShow(QWidget *anchor);
    void addCloseButton();
    void focusSafeChoice();

    QString m_title;
    QString m_message;
    Action m_cancelAction;
    Action m_confirmAction;
    Action m_closeAction;
    VeskButton *m_cancelButton = nullptr;
    VeskButton *m_confirmButton = nullptr;
    VeskButton *m_closeButton = nullptr;
    QPointer<QWidget> m_customView;
    bool m_disableAutoDismiss = false;
    bool m_answered = false;
    bool m_cancelDestructive = false; // red cancel: Escape must not press it
};
