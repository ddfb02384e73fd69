#pragma once

#include "uikit/MacBaseViewController.h"

#include <QSize>

// Shows a view centred in a modal panel of a given size.
class KVAlertViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    // The panel (application-modal, centred over the active window) holding
    // the view, which fills it. The controller lives as long as the panel;
    // closing the panel's window deletes both.
    static KVAlertViewController *showInCenterContent(QWidget *view, const QSize &size);

    void dismiss();
    [[nodiscard]] QWidget *contentView() const { return m_content; }

private:
    KVAlertViewController() = default;
    QPointer<QWidget> m_content;
};
