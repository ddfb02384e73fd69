#include "uikit/VeskCategories.h"

#include "foundation/MainQueue.h"
#include "uikit/KVDatePickerView.h"
#include "uikit/KVWindow.h"
#include "uikit/UikitLog.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskLayer.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace vesk {

QColor colorWithHexString(const QString &hex)
{
    return colorWithHexString(hex, 1.0);
}

QColor colorWithHexString(const QString &hex, qreal alpha)
{
    QString s = hex.trimmed().toUpper();
    if (s.startsWith(QLatin1Char('#')))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("0X")))
        s.remove(0, 2);
    if (s.size() != 6)
        return QColor(Qt::transparent);
    bool ok = false;
    const uint rgb = s.toUInt(&ok, 16);
    // toUInt accepts a sign; only plain hex digits count.
    for (const QChar c : s) {
        if (!c.isDigit() && (c < QLatin1Char('A') || c > QLatin1Char('F')))
            ok = false;
    }
    if (!ok)
        return QColor(Qt::transparent);
    QColor c(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    c.setAlphaF(float(std::isnan(alpha) ? 1.0 : std::clamp<qreal>(alpha, 0.0, 1.0)));
    return c;
}

QFont systemFont(qreal size, QFont::Weight weight)
{
    QFont f = QApplication::font();
    f.setPixelSize(std::max(1, qRound(size)));
    f.setWeight(weight);
    return f;
}

void setBackgroundColor(QWidget *view, const QColor &color)
{
    if (auto *layer = VeskLayer::of(view))
        layer->setBackgroundColor(color);
}

void setCornerRadius(QWidget *view, qreal radius)
{
    if (auto *layer = VeskLayer::of(view)) {
        layer->setCornerRadius(radius);
        layer->setMasksToBounds(radius > 0);
    }
}

void veskCenter(QWidget *window)
{
    if (!window)
        return;
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // A window larger than the screen keeps its title bar on it.
    window->move(KVWindowPlacement::centredIn(screen->availableGeometry(), window->frameGeometry().size()).topLeft());
}

bool isClosing(const QWidget *window)
{
    // Qt marks a widget for as long as its close is being delivered (the flag that keeps a
    // second close() from starting while the first one runs).
    return window && qt_qwidget_data(const_cast<QWidget *>(window))->is_closing;
}

namespace {
QHash<QString, NibFactory> &nibRegistry()
{
    static QHash<QString, NibFactory> registry;
    static bool seeded = false;
    if (!seeded) {
        seeded = true;
        registry.insert(QStringLiteral("KVDatePickerView"), [] { return new KVDatePickerView(); });
    }
    return registry;
}
} // namespace

void registerNib(const QString &className, NibFactory factory)
{
    Q_ASSERT(QCoreApplication::instance() == nullptr || MainQueue::isMainThread());
    nibRegistry().insert(className, std::move(factory));
}

void deleteView(QWidget *view)
{
    delete view;
}

QWidget *loadViewFromNibWithName(const QString &name)
{
    const auto it = nibRegistry().constFind(name);
    if (it == nibRegistry().constEnd() || !*it) {
        qCWarning(lcUikit) << "no view registered under" << name;
        return nullptr;
    }
    QWidget *w = (*it)();
    if (w && !w->inherits(name.toLatin1().constData())) {
        qCWarning(lcUikit) << "view made for" << name << "is a" << w->metaObject()->className();
        delete w;
        return nullptr;
    }
    return w;
}

namespace {
void setTextColor(QAbstractButton *button, const QColor &color)
{
    QPalette pal = button->palette();
    for (auto role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
        pal.setColor(role, color);
    button->setPalette(pal);
}

// Swaps a plain button's title, colour and font while its state is on.
class ButtonAlternate final : public QObject {
public:
    struct Look {
        QString title;
        QColor color;
        QFont font;
    };
    ButtonAlternate(QAbstractButton *button, Look normal)
        : QObject(button), m_button(button), m_normal(std::move(normal))
    {
        setObjectName(QStringLiteral("ButtonAlternate"));
        connect(button, &QAbstractButton::toggled, this, [this](bool) { apply(); });
    }
    void setAlternate(Look alternate)
    {
        m_alternate = std::move(alternate);
        apply();
    }
    void setNormal(Look normal)
    {
        m_normal = std::move(normal);
        apply();
    }
    [[nodiscard]] const Look &normal() const { return m_normal; }

private:
    void apply()
    {
        const Look &l = m_button->isChecked() ? m_alternate : m_normal;
        m_button->setText(l.title.isEmpty() ? m_normal.title : l.title);
        setTextColor(m_button, l.color.isValid() ? l.color : m_normal.color);
        m_button->setFont(l.font);
    }
    QAbstractButton *m_button;
    Look m_normal;
    Look m_alternate;
};

ButtonAlternate *alternateOf(QAbstractButton *button)
{
    return button->findChild<ButtonAlternate *>(QStringLiteral("ButtonAlternate"), Qt::FindDirectChildrenOnly);
}
} // namespace

void setButtonColorAttribute(QAbstractButton *button, const QColor &color)
{
    if (!button)
        return;
    if (auto *vb = qobject_cast<VeskButton *>(button)) {
        vb->setTextColor(color);
        return;
    }
    if (auto *alt = alternateOf(button)) {
        auto n = alt->normal();
        n.color = color;
        alt->setNormal(n);
        return;
    }
    setTextColor(button, color);
}

void setButtonAttribute(QAbstractButton *button, const QString &title, const QColor &color, const QFont &font)
{
    if (!button)
        return;
    if (auto *vb = qobject_cast<VeskButton *>(button)) {
        vb->setTitle(title);
        vb->setTextColor(color);
        vb->setFont(font);
        return;
    }
    if (auto *alt = alternateOf(button)) {
        alt->setNormal({title, color, font});
        return;
    }
    button->setText(title);
    setTextColor(button, color);
    button->setFont(font);
}

void setButtonAlternateAttribute(QAbstractButton *button, const QString &title, const QColor &color, const QFont &font)
{
    if (!button)
        return;
    if (auto *vb = qobject_cast<VeskButton *>(button)) {
        vb->setAlternateTitle(title);
        vb->setAlternateTextColor(color);
        vb->setAlternateFont(font);
        return;
    }
    auto *alt = alternateOf(button);
    if (!alt)
        alt = new ButtonAlternate(button,
                                  {button->text(), button->palette().color(QPalette::ButtonText), button->font()});
    alt->setAlternate({title, color, font});
}

void setButtonFontAttribute(QAbstractButton *button, const QFont &font)
{
    if (button)
        button->setFont(font);
}

void setButtonBordered(QAbstractButton *button, const QColor &borderColor, qreal borderWidth)
{
    if (auto *layer = VeskLayer::of(button)) {
        layer->setBorderColor(borderColor);
        layer->setBorderWidth(borderWidth);
    }
}

void setPlaceholder(QLineEdit *field, const QString &placeholder, const QColor &color)
{
    if (!field)
        return;
    field->setPlaceholderText(placeholder);
    QPalette pal = field->palette();
    pal.setColor(QPalette::PlaceholderText, color);
    field->setPalette(pal);
}

} // namespace vesk

namespace veskHitTest {
namespace {
constexpr auto kFilterName = "veskHitTest";

// Presses the block refuses go to the widget beneath, and so do the moves and
// the release that belong to them.
class HitTestFilter final : public QObject {
public:
    explicit HitTestFilter(QAbstractButton *button) : QObject(button), m_button(button)
    {
        setObjectName(QLatin1String(kFilterName));
        button->installEventFilter(this);
    }
    HitTestBlock block;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_button)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto *me = static_cast<QMouseEvent *>(event);
            if (!block || block(me->position().toPoint())) {
                m_target = nullptr;
                return false;
            }
            m_target = widgetBeneath(me->globalPosition().toPoint());
            forward(me);
            return true;
        }
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            if (!m_target)
                return false;
            auto *me = static_cast<QMouseEvent *>(event);
            forward(me);
            if (event->type() == QEvent::MouseButtonRelease && me->buttons() == Qt::NoButton)
                m_target = nullptr;
            return true;
        }
        default:
            return false;
        }
    }

private:
    QWidget *widgetBeneath(const QPoint &global) const
    {
        QWidget *top = m_button->window();
        const bool wasTransparent = m_button->testAttribute(Qt::WA_TransparentForMouseEvents);
        m_button->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        QWidget *w = top->childAt(top->mapFromGlobal(global));
        m_button->setAttribute(Qt::WA_TransparentForMouseEvents, wasTransparent);
        return w ? w : (top != m_button ? top : nullptr);
    }
    void forward(QMouseEvent *me)
    {
        if (!m_target)
            return;
        const QPointF global = me->globalPosition();
        QMouseEvent copy(me->type(), m_target->mapFromGlobal(global), global, me->button(), me->buttons(),
                         me->modifiers(), me->pointingDevice());
        QCoreApplication::sendEvent(m_target, &copy);
    }

    QAbstractButton *m_button;
    QPointer<QWidget> m_target;
};
} // namespace

void setHitTestBlock(QAbstractButton *button, HitTestBlock block)
{
    if (!button)
        return;
    auto *filter = button->findChild<HitTestFilter *>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly);
    if (!filter)
        filter = new HitTestFilter(button);
    filter->block = std::move(block);
}
} // namespace veskHitTest

namespace VeskFrames {
int width(const QWidget *view)
{
    return view ? view->width() : 0;
}
int height(const QWidget *view)
{
    return view ? view->height() : 0;
}
void setHeight(QWidget *view, int height)
{
    if (view)
        view->resize(view->width(), std::max(0, height));
}
void setWidth(QWidget *view, int width)
{
    if (view)
        view->resize(std::max(0, width), view->height());
}
} // namespace VeskFrames

namespace VeskScroll {
void scrollToTop(QAbstractScrollArea *scrollView)
{
    if (!scrollView)
        return;
    if (auto *bar = scrollView->verticalScrollBar())
        bar->setValue(bar->minimum());
}
} // namespace VeskScroll
