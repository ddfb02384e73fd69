#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

// Base of the window content controllers: owns its view (built on first use
// by loadView) and can act as its window's delegate, deciding whether the
// window may close.
class MacBaseViewController : public QObject {
    Q_OBJECT
public:
    explicit MacBaseViewController(QObject *parent = nullptr);
    ~MacBaseViewController() override;

    // The view, built by loadView and then viewDidLoad on first use.
    QWidget *view();
    [[nodiscard]] bool isViewLoaded() const { return m_view != nullptr; }
    // Takes ownership (a former view without a parent is deleted).
    void setView(QWidget *view);

    // The window holding the view, or nullptr.
    [[nodiscard]] QWidget *window() const;

    // Makes this controller its view's window's delegate: the window asks it
    // before closing and tells it when it closed.
    void resetWindowDelegate();

    // Whether the window may close; true when unset.
    std::function<bool()> windowShouldCloseBlock;

    // Window delegate: asked before the window closes (default: the block).
    virtual bool windowShouldClose();
    virtual void windowWillClose() {}

protected:
    // Builds the view; the default is an empty widget.
    virtual void loadView();
    virtual void viewDidLoad() {}

private:
    class WindowDelegate;
    // Owned while it has no parent; a window that adopts it owns it from then on.
    QPointer<QWidget> m_view;
    QPointer<QObject> m_delegate;
};
