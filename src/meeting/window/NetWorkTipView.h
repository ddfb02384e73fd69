#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class VeskIndicator;

// The joining / reconnecting banner: covers its view from 112 pt below the top down to the
// bottom with a spinner and a line of text, and swallows mouse presses meanwhile. At most one
// exists at a time.
class NetWorkTipView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTopInset = 112;

    // Removes the current banner and shows a new one with the text in the view.
    static NetWorkTipView *showInView(QWidget *view, const QString &string);
    // Removes the current banner; nothing when there is none.
    static void remove();
    // The banner on screen, or nullptr.
    [[nodiscard]] static NetWorkTipView *current();

    explicit NetWorkTipView(const QString &string, QWidget *parent = nullptr);
    ~NetWorkTipView() override;

    [[nodiscard]] QString text() const;
    [[nodiscard]] VeskIndicator *indicator() const { return m_indicator; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    static QPointer<NetWorkTipView> &slot();

    VeskIndicator *m_indicator = nullptr;
    QLabel *m_label = nullptr;
};
