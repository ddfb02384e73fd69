#pragma once

#include "uikit/VeskButton.h"
#include "uikit/VeskTextView.h"

#include <QPointer>
#include <QWidget>

#include <functional>

// The floating chat panel offered while the user shares his screen: the window's floating chat
// list (placed into contentView by the opener), an input of its own and the forbid-all switch.
class FloatingIMView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 414;
    static constexpr int kHeight = 520;

    explicit FloatingIMView(QWidget *parent = nullptr);

    // Chat allowed: the switch off and the input selectable and editable; else the reverse.
    void setEnableIM(bool enable);
    [[nodiscard]] bool enableIM() const { return m_enableIM; }

    // The close button: runs closeBlock.
    void closeAction();
    std::function<void()> closeBlock;
    // The forbid-all switch was clicked (its state already the new one).
    std::function<void(VeskButton *allowBtn)> allowIMBlock;

    [[nodiscard]] QWidget *contentView() const { return m_contentView; }
    [[nodiscard]] VeskButton *allowBtn() const { return m_allowBtn; }
    [[nodiscard]] VeskTextView *chatTextFiled() const { return m_chatTextFiled; }
    [[nodiscard]] QWidget *inputView() const { return m_inputView; }
    [[nodiscard]] VeskButton *closeButton() const { return m_closeButton; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPointer<QWidget> m_contentView;
    QPointer<VeskButton> m_allowBtn;
    QPointer<VeskTextView> m_chatTextFiled;
    QPointer<QWidget> m_inputView;
    QPointer<VeskButton> m_closeButton;
    QPointer<QWidget> m_line1;
    QPointer<QWidget> m_line2;
    QPointer<QWidget> m_line3;
    bool m_enableIM = true;
};
