#include "uikit/VeskToast.h"

#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskIndicator.h"
#include "uikit/VeskLayer.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kMaxTextWidth = 320;
// A message longer than this (a name of thousands of characters) is cut, not grown past the window.
constexpr int kMaxLines = 6;
constexpr auto kToastName = "VeskToast";
constexpr auto kLoadingName = "VeskLoadingToast";

// A rounded box centred over its window; it follows the window's size.
class ToastBox final : public QWidget {
public:
    ToastBox(QWidget *host, const QColor &background, const char *name) : QWidget(host), m_background(background)
    {
        setObjectName(QLatin1String(name));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        if (!host) {
            setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
            setAttribute(Qt::WA_TranslucentBackground);
            setAttribute(Qt::WA_ShowWithoutActivating);
        } else {
            followHost();
        }
        m_layout = new QVBoxLayout(this);
        m_layout->setContentsMargins(16, 10, 16, 10);
        m_layout->setSpacing(8);
        m_layout->setAlignment(Qt::AlignCenter);
        m_label = KVDataText::label(QString(), this); // messages carry names and the service's words
        m_label->setWordWrap(true);
        m_label->setAlignment(Qt::AlignCenter);
        m_label->setFont(vesk::systemFont(14));
        QPalette pal = m_label->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        m_label->setPalette(pal);
        m_layout->addWidget(m_label);
    }

    QVBoxLayout *boxLayout() const { return m_layout; }
    QLabel *label() const { return m_label; }
    VeskButton *actionButton() const { return m_action; }

    // One button under the text, or none (an empty title). A box with a button takes clicks.
    void setAction(const QString &title, std::function<void()> action)
    {
        // Later: the old button may be the one whose press shows the box again.
        if (m_action) {
            m_layout->removeWidget(m_action);
            m_action->hide();
            m_action->deleteLater();
            m_action = nullptr;
        }
        setAttribute(Qt::WA_TransparentForMouseEvents, title.isEmpty());
        if (title.isEmpty())
            return;
        m_action = new VeskButton(title, this);
        m_action->setObjectName(QStringLiteral("loadingToastAction"));
        m_action->setFont(vesk::systemFont(13));
        m_action->setTextColor(Qt::white);
        m_action->setFixedSize(std::max(72, m_action->sizeHint().width() + 16), 28);
        VeskLayer *layer = VeskLayer::of(m_action);
        layer->setCornerRadius(4);
        layer->setBorderColor(Qt::white);
        layer->setBorderWidth(1);
        QObject::connect(m_action, &QAbstractButton::clicked, this, [action = std::move(action)] {
            if (action)
                action();
        });
        m_layout->addWidget(m_action, 0, Qt::AlignHCenter);
        place();
    }

    void setText(const QString &text)
    {
        m_label->setText(text);
        m_label->setVisible(!text.isEmpty());
        setAccessibleName(text);
        const QFontMetrics fm(m_label->font());
        const QRect bounds = fm.boundingRect(QRect(0, 0, kMaxTextWidth, 10000), Qt::TextWordWrap, text);
        m_label->setFixedWidth(std::min(kMaxTextWidth, bounds.width() + 2));
        const int maxHeight = fm.lineSpacing() * kMaxLines;
        m_label->setMaximumHeight(maxHeight);
        m_label->setAlignment(bounds.height() > maxHeight ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignCenter);
        place();
    }

    void present()
    {
        place();
        show();
        raise();
        // Screen readers announce the message.
        QAccessibleEvent announce(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&announce);
    }

    void place()
    {
        adjustSize();
        QRect area;
        if (QWidget *host = parentWidget())
            area = host->rect();
        else if (QScreen *s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }

protected:
    // The host is watched from the next event on. A filter put on it while it delivers an event
    // (a message shown from its close hook) goes in front of the filters that delivery walks, so
    // the hook that showed the message would run again, and show another, for ever.
    void followHost()
    {
        MainQueue::async(this, [this] {
            if (QWidget *host = parentWidget()) {
                host->installEventFilter(this);
                place(); // it may have changed size meanwhile
            }
        });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize)
            place();
        return false;
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(m_background);
        p.drawRoundedRect(QRectF(rect()), 6, 6);
    }

private:
    QColor m_background;
    QVBoxLayout *m_layout;
    QLabel *m_label;
    VeskButton *m_action = nullptr;
};

QPointer<ToastBox> g_toast;
QPointer<ToastBox> g_loading;

bool isMessageWidget(const QWidget *w)
{
    const QString name = w->objectName();
    return name == QLatin1String(kToastName) || name == QLatin1String(kLoadingName);
}

void presentToast(const QString &text, const QColor &background, std::chrono::milliseconds duration)
{
    if (text.isEmpty())
        return;
    if (!MainQueue::isMainThread()) {
        MainQueue::async([=] { presentToast(text, background, duration); });
        return;
    }
    VeskToast::dismissToast();
    auto *box = new ToastBox(VeskToast::hostWindow(), background, kToastName);
    box->setText(text);
    box->present();
    g_toast = box;
    QPointer<ToastBox> weak(box);
    KVTimer::singleShot(box, duration, [weak] {
        if (!weak)
            return;
        weak->hide();
        weak->deleteLater();
    });
}
} // namespace

QWidget *VeskToast::hostWindow()
{
    // A window whose close is being delivered is going away: its message would go with it.
    auto usable = [](QWidget *w) {
        return w && w->isVisible() && !isMessageWidget(w) && w->windowType() != Qt::ToolTip &&
               w->windowType() != Qt::Popup && !vesk::isClosing(w);
    };
    if (QWidget *w = QApplication::activeWindow(); usable(w))
        return w;
    if (QWidget *w = QApplication::activeModalWidget(); usable(w))
        return w;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (usable(w) && w->isWindow())
            return w;
    }
    return nullptr;
}

void VeskToast::showToast(const QString &text)
{
    presentToast(text, vesk::colorWithHexString(QStringLiteral("000000"), 0.75), kToastDuration);
}

void VeskToast::showToastInMeeting(const QString &text)
{
    presentToast(text, vesk::colorWithHexString(QStringLiteral("1E1F23"), 0.92), kToastDuration);
}

void VeskToast::showToastInMeetingFiveSecond(const QString &text)
{
    presentToast(text, vesk::colorWithHexString(QStringLiteral("1E1F23"), 0.92), kFiveSeconds);
}

void VeskToast::dismissToast()
{
    if (!MainQueue::isMainThread()) {
        MainQueue::async([] { dismissToast(); });
        return;
    }
    if (g_toast) {
        g_toast->hide();
        g_toast->deleteLater();
    }
    g_toast = nullptr;
}

void VeskToast::showLoadingToast(const QString &text)
{
    showLoadingToast(text, QString(), {});
}

void VeskToast::showLoadingToast(const QString &text, const QString &actionTitle, std::function<void()> action)
{
    if (!MainQueue::isMainThread()) {
        MainQueue::async([text, actionTitle, action = std::move(action)]() mutable {
            showLoadingToast(text, actionTitle, std::move(action));
        });
        return;
    }
    if (g_loading) {
        g_loading->setAction(actionTitle, std::move(action));
        g_loading->setText(text);
        g_loading->present();
        return;
    }
    auto *box = new ToastBox(hostWindow(), vesk::colorWithHexString(QStringLiteral("000000"), 0.75), kLoadingName);
    auto *spinner = new VeskIndicator(box);
    spinner->setFixedSize(28, 28);
    spinner->setColor(Qt::white);
    box->boxLayout()->insertWidget(0, spinner, 0, Qt::AlignHCenter);
    box->boxLayout()->setContentsMargins(20, 16, 20, 16);
    box->setMinimumSize(100, 80);
    spinner->startAnimating();
    box->setAction(actionTitle, std::move(action));
    box->setText(text);
    box->present();
    g_loading = box;
}

void VeskToast::dismissLoadingToast()
{
    if (!MainQueue::isMainThread()) {
        MainQueue::async([] { dismissLoadingToast(); });
        return;
    }
    if (!g_loading)
        return;
    g_loading->hide();
    g_loading->deleteLater();
    g_loading = nullptr;
}

QWidget *VeskToast::currentToast()
{
    return g_toast && g_toast->isVisible() ? g_toast.data() : nullptr;
}

QWidget *VeskToast::currentLoadingToast()
{
    return g_loading && g_loading->isVisible() ? g_loading.data() : nullptr;
}

QAbstractButton *VeskToast::loadingToastButton()
{
    return currentLoadingToast() ? g_loading->actionButton() : nullptr;
}

QString VeskToast::textOf(const QWidget *toast)
{
    if (!toast)
        return {};
    auto *label = toast->findChild<QLabel *>();
    return label ? label->text() : QString();
}
