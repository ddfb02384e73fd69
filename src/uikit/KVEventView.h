#pragma once

#include <QWidget>

#include <functional>

// A view over others that reports mouse presses to a block and can pass them
// on to the view beneath (its parent) and let its subviews take events.
class KVEventView : public QWidget {
    Q_OBJECT
public:
    using MouseDownBlock = std::function<void(KVEventView *view, QMouseEvent *event)>;

    explicit KVEventView(QWidget *parent = nullptr);

    // False (the default): the view takes every event itself and its subviews get none.
    void setResponseSubviewsEvent(bool respond);
    [[nodiscard]] bool responseSubviewsEvent() const { return m_responseSubviews; }
    // True: after the block, a press goes on to the next responder.
    void setAutoSendEventToNext(bool send) { m_autoSendToNext = send; }
    [[nodiscard]] bool autoSendEventToNext() const { return m_autoSendToNext; }
    void setMouseDownBlock(MouseDownBlock block) { m_mouseDown = std::move(block); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    void applyToChild(QObject *child) const;

    bool m_responseSubviews = false;
    bool m_autoSendToNext = false;
    MouseDownBlock m_mouseDown;
};
