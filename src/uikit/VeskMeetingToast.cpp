#include "uikit/VeskMeetingToast.h"

#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QAccessible>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QWidget>

namespace VeskMeetingToast {
namespace {
constexpr auto kTipName = "VeskMeetingTip";
constexpr std::chrono::milliseconds kFadeStep{30};

class TipBanner final : public QLabel {
public:
    TipBanner(QWidget *view, const QString &text, const QColor &background)
        : QLabel(view), m_background(background), m_shownAt(KVClock::current().nowMs())
    {
        KVDataText::setText(this, text);
        setObjectName(QLatin1String(kTipName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAlignment(Qt::AlignCenter);
        setFont(vesk::systemFont(14));
        setContentsMargins(16, 0, 16, 0);
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        setPalette(pal);
        setAccessibleName(text);
        m_effect = new QGraphicsOpacityEffect(this);
        m_effect->setOpacity(0.0);
        setGraphicsEffect(m_effect);
        place();
        // The view is watched from the next event on: a filter put on it while it delivers an
        // event (a tip shown from its close hook) would run that hook again, for ever.
        MainQueue::async(this, [this] {
            if (QWidget *host = parentWidget()) {
                host->installEventFilter(this);
                place();
            }
        });

        QPointer<TipBanner> weak(this);
        m_fade = KVTimer::repeating(this, kFadeStep, [weak] {
            if (weak)
                weak->stepFade();
        });
        KVTimer::singleShot(this, kLifetime, [weak] {
            if (!weak)
                return;
            weak->hide();
            weak->deleteLater();
        });
    }

    [[nodiscard]] qreal opacity() const { return m_effect->opacity(); }

    void place()
    {
        auto *view = parentWidget();
        const QFontMetrics fm(font());
        const int w = std::min(view->width() - 20, fm.horizontalAdvance(text()) + 32);
        resize(std::max(0, w), 36);
        move((view->width() - width()) / 2, kTopOffset);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize)
            place();
        return false;
    }
    void paintEvent(QPaintEvent *event) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(m_background);
        p.drawRoundedRect(QRectF(rect()), 4, 4);
        p.end();
        QLabel::paintEvent(event);
    }

private:
    void stepFade()
    {
        const qint64 elapsed = KVClock::current().nowMs() - m_shownAt;
        const qreal opacity = std::clamp(qreal(elapsed) / qreal(kFadeIn.count()), 0.0, 1.0);
        m_effect->setOpacity(opacity);
        if (opacity >= 1.0 && m_fade)
            m_fade->invalidate();
    }

    QColor m_background;
    qint64 m_shownAt;
    QGraphicsOpacityEffect *m_effect;
    QPointer<KVTimer> m_fade;
};

TipBanner *findTip(const QWidget *view)
{
    for (auto *tip : view->findChildren<QLabel *>(QLatin1String(kTipName), Qt::FindDirectChildrenOnly)) {
        if (!tip->isHidden())
            return static_cast<TipBanner *>(tip);
    }
    return nullptr;
}

void showTip(QWidget *view, const QString &text, const QColor &background)
{
    if (!view || text.isEmpty())
        return;
    if (!MainQueue::isMainThread()) {
        QPointer<QWidget> weak(view);
        MainQueue::async(view, [weak, text, background] { showTip(weak, text, background); });
        return;
    }
    // A view whose window is closing goes with it; so would its tip.
    if (vesk::isClosing(view->window()))
        return;
    if (auto *old = findTip(view)) {
        old->hide();
        old->deleteLater();
    }
    auto *tip = new TipBanner(view, text, background);
    tip->show();
    tip->raise();
    QAccessibleEvent announce(tip, QAccessible::Alert);
    QAccessible::updateAccessibility(&announce);
}
} // namespace

void showNomalTip(QWidget *view, const QString &text)
{
    showTip(view, text, vesk::colorWithHexString(QStringLiteral("1E1F23"), 0.9));
}

void showErrorTip(QWidget *view, const QString &text)
{
    showTip(view, text, vesk::colorWithHexString(QStringLiteral("FF656B")));
}

QWidget *currentTip(const QWidget *view)
{
    return view ? findTip(view) : nullptr;
}

qreal tipOpacity(const QWidget *tip)
{
    auto *effect = tip ? qobject_cast<QGraphicsOpacityEffect *>(tip->graphicsEffect()) : nullptr;
    return effect ? effect->opacity() : 0.0;
}
} // namespace VeskMeetingToast
