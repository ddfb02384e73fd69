#pragma once

#include "uikit/KVAlert.h"
#include "uikit/KVAlertProtocol.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>

class KVLayoutConstraint;
class QCheckBox;
class QLabel;

// The confirmation of the member panels and the home page: a question, an optional check box
// with its own text, a confirm and a cancel button. Confirm hands back the caller's data object
// and the check box's state (false when the box is hidden).
class KVMemberAlertView final : public QWidget, public KVAlertProtocol {
    Q_OBJECT
public:
    using ConfirmBlock = std::function<void(const QVariant &model, bool allowed)>;
    using CancelBlock = std::function<void()>;

    static constexpr int kWidth = 278;
    static constexpr int kHeightWithTip = 163;
    static constexpr int kHeightWithoutTip = 159;
    static constexpr int kButtonTopWithTip = 56;
    static constexpr int kButtonTopWithoutTip = 30;

    explicit KVMemberAlertView(QWidget *parent = nullptr);

    // An empty tipContent keeps the box's default text.
    void setTitle(const QString &title, bool showTip, const QString &tipContent, const QVariant &dataModel,
                  ConfirmBlock actionBlock, CancelBlock cancelBlock);

    [[nodiscard]] bool showTip() const { return m_showTip; }
    [[nodiscard]] bool allowed() const { return m_allowed; }
    [[nodiscard]] QVariant model() const { return m_model; }
    [[nodiscard]] QCheckBox *checkButton() const { return m_checkButton; }
    [[nodiscard]] QString tipContent() const;
    [[nodiscard]] KVLayoutConstraint *butttonTopConstraint() const { return m_butttonTopConstraint; }

    // KVAlertProtocol
    [[nodiscard]] QSize preferredSize() const override;
    [[nodiscard]] QAbstractButton *cancelButton() const override;
    [[nodiscard]] QAbstractButton *confirmButton() const override;
    [[nodiscard]] QLabel *contentLabel() const override { return m_contentLabel; }

    void checkAction();
    void confirmAction();
    void cancelAction();

    // The box's text until a caller gives another.
    static inline const QString kDefaultTip = QStringLiteral("不允许再次入会");

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_showTip = true;
    bool m_allowed = false;
    QVariant m_model;
    ConfirmBlock m_confirmBlock;
    CancelBlock m_cancelBlock;
    QLabel *m_contentLabel = nullptr;
    QCheckBox *m_checkButton = nullptr;
    VeskButton *m_confirmButton = nullptr;
    VeskButton *m_cancelButton = nullptr;
    KVLayoutConstraint *m_butttonTopConstraint = nullptr;
    KVLayoutConstraint *m_checkWidthConstraint = nullptr;
};

// The factory of the member panels' confirmations (the alert itself is the kit's KVAlert).
class KVMemberAlert final {
public:
    // A fresh alert around a KVMemberAlertView; show it with showInCenterOfWindow. Each answer
    // runs its block, then closes the alert unless disableAutoDismiss is set.
    static KVAlert *alertWithTitle(const QString &title, bool showTip, const QString &tipContent,
                                   const QVariant &dataModel, KVMemberAlertView::ConfirmBlock actionBlock,
                                   KVMemberAlertView::CancelBlock cancelBlock = {});

    // The alert's content view (nullptr for another alert).
    [[nodiscard]] static KVMemberAlertView *viewOf(const KVAlert *alert);

    KVMemberAlert() = delete;
};
