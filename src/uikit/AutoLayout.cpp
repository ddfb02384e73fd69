#include "uikit/AutoLayout.h"

#include <QEvent>
#include <QWidget>

#include <cmath>
#include <optional>

namespace {
constexpr auto kPinSetName = "KVPinSet";
int g_depth = 0;

bool isHorizontal(KVLayoutConstraint::Attribute a)
{
    using A = KVLayoutConstraint;
    return a == A::Left || a == A::Right || a == A::Leading || a == A::Trailing || a == A::Width || a == A::CenterX;
}

// Leading and trailing are left and right: the UI is laid out left to right.
KVLayoutConstraint::Attribute normalized(KVLayoutConstraint::Attribute a)
{
    if (a == KVLayoutConstraint::Leading)
        return KVLayoutConstraint::Left;
    if (a == KVLayoutConstraint::Trailing)
        return KVLayoutConstraint::Right;
    return a;
}

qreal valueOf(const QRectF &r, KVLayoutConstraint::Attribute a)
{
    switch (normalized(a)) {
    case KVLayoutConstraint::Left:
        return r.left();
    case KVLayoutConstraint::Right:
        return r.right();
    case KVLayoutConstraint::Top:
        return r.top();
    case KVLayoutConstraint::Bottom:
        return r.bottom();
    case KVLayoutConstraint::Width:
        return r.width();
    case KVLayoutConstraint::Height:
        return r.height();
    case KVLayoutConstraint::CenterX:
        return r.center().x();
    case KVLayoutConstraint::CenterY:
        return r.center().y();
    default:
        return 0;
    }
}
} // namespace

// The constraints of one view and the watching that keeps them true.
class KVPinSet final : public QObject {
public:
    static KVPinSet *of(QWidget *view, bool create)
    {
        auto *found = view->findChild<QObject *>(QLatin1String(kPinSetName), Qt::FindDirectChildrenOnly);
        if (found || !create)
            return static_cast<KVPinSet *>(found);
        return new KVPinSet(view);
    }

    KVLayoutConstraint *add(KVLayoutConstraint::Attribute a, QWidget *second, bool toSuperview,
                            KVLayoutConstraint::Attribute b, KVLayoutConstraint::Relation r, qreal constant)
    {
        auto *c = new KVLayoutConstraint(m_view, a, second, toSuperview, b, r, constant);
        c->setParent(this);
        m_constraints.append(c);
        watch();
        layout();
        return c;
    }

    [[nodiscard]] QList<KVLayoutConstraint *> constraints() const
    {
        QList<KVLayoutConstraint *> out;
        for (const auto &c : m_constraints) {
            if (c)
                out.append(c);
        }
        return out;
    }

    [[nodiscard]] bool dependsOn(const QWidget *w) const
    {
        for (const auto &c : m_constraints) {
            if (c && !c->m_toSuperview && c->m_second == w)
                return true;
        }
        return false;
    }

    void layout()
    {
        QWidget *parent = m_view->parentWidget();
        if (!parent || g_depth > 32)
            return;
        ++g_depth;
        qreal x = m_view->x(), w = m_view->width(), y = m_view->y(), h = m_view->height();
        solve(true, parent, x, w);
        solve(false, parent, y, h);
        const QRect target(qRound(x), qRound(y), std::max(0, qRound(w)), std::max(0, qRound(h)));
        if (target != m_view->geometry()) {
            m_view->setGeometry(target);
            // Hidden views get no move events until shown: tell the views pinned to this one.
            for (auto *sibling : parent->findChildren<QObject *>(QLatin1String(kPinSetName))) {
                auto *set = static_cast<KVPinSet *>(sibling);
                if (set != this && set->dependsOn(m_view))
                    set->layout();
            }
        }
        --g_depth;
    }

    void relayoutAfterChange()
    {
        watch();
        layout();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::Show:
            if (watched != m_view->parentWidget() || event->type() != QEvent::Move)
                layout();
            break;
        case QEvent::ParentChange:
            if (watched == m_view)
                relayoutAfterChange();
            break;
        default:
            break;
        }
        return false;
    }

private:
    explicit KVPinSet(QWidget *view) : QObject(view), m_view(view)
    {
        setObjectName(QLatin1String(kPinSetName));
        view->installEventFilter(this);
    }

    void watch()
    {
        QList<QWidget *> wanted;
        if (auto *p = m_view->parentWidget())
            wanted.append(p);
        for (const auto &c : m_constraints) {
            if (c && !c->m_toSuperview && c->m_second && c->m_second != m_view)
                wanted.append(c->m_second);
        }
        for (const auto &w : m_watched) {
            if (w && !wanted.contains(w.data()))
                w->removeEventFilter(this);
        }
        m_watched.clear();
        for (auto *w : wanted) {
            w->installEventFilter(this);
            m_watched.append(w);
        }
    }

    // The value the other side of c asks for, in the parent's coordinates.
    std::optional<qreal> target(const KVLayoutConstraint *c, QWidget *parent) const
    {
        const auto b = c->m_secondAttribute;
        if (!c->m_toSuperview && !c->m_hasSecond)
            return c->m_constant;
        if (!c->m_toSuperview && !c->m_second)
            return std::nullopt; // the other view is gone
        QRectF other;
        if (c->m_toSuperview || c->m_second == parent) {
            other = QRectF(0, 0, parent->width(), parent->height());
        } else if (c->m_second->parentWidget() == parent) {
            other = QRectF(c->m_second->geometry());
        } else {
            const QPoint origin = parent->mapFromGlobal(c->m_second->mapToGlobal(QPoint(0, 0)));
            other = QRectF(origin, QSizeF(c->m_second->size()));
        }
        // Right and bottom are the far edges, not QRect's last pixel.
        if (b == KVLayoutConstraint::Right || b == KVLayoutConstraint::Trailing)
            return other.x() + other.width() + c->m_constant;
        if (b == KVLayoutConstraint::Bottom)
            return other.y() + other.height() + c->m_constant;
        return valueOf(other, b) + c->m_constant;
    }

    void solve(bool horizontal, QWidget *parent, qreal &pos, qreal &size) const
    {
        using A = KVLayoutConstraint;
        const A::Attribute lo = horizontal ? A::Left : A::Top;
        const A::Attribute hi = horizontal ? A::Right : A::Bottom;
        const A::Attribute mid = horizontal ? A::CenterX : A::CenterY;
        const A::Attribute dim = horizontal ? A::Width : A::Height;
        std::optional<qreal> low, high, centre, length;
        struct Bound {
            A::Attribute attribute;
            A::Relation relation;
            qreal value;
        };
        QList<Bound> bounds;
        bool any = false;
        for (const auto &c : m_constraints) {
            if (!c || !c->m_active || isHorizontal(c->m_firstAttribute) != horizontal)
                continue;
            const auto t = target(c, parent);
            if (!t)
                continue;
            any = true;
            const A::Attribute a = normalized(c->m_firstAttribute);
            if (c->m_relation != A::Equal) {
                bounds.append({a, c->m_relation, *t});
                continue;
            }
            if (a == lo)
                low = *t;
            else if (a == hi)
                high = *t;
            else if (a == mid)
                centre = *t;
            else if (a == dim)
                length = std::max<qreal>(0, *t);
        }
        if (!any)
            return;
        if (low && high) {
            pos = *low;
            size = *high - *low;
        } else {
            if (length)
                size = *length;
            else if (low && centre)
                size = 2 * (*centre - *low);
            else if (high && centre)
                size = 2 * (*high - *centre);
            if (low)
                pos = *low;
            else if (high)
                pos = *high - size;
            else if (centre)
                pos = *centre - size / 2;
        }
        for (const Bound &b : bounds) {
            const bool atLeast = b.relation == A::GreaterThanOrEqual;
            auto violates = [&](qreal current) { return atLeast ? current < b.value : current > b.value; };
            if (b.attribute == lo && violates(pos)) {
                if (high)
                    size = *high - b.value;
                pos = b.value;
            } else if (b.attribute == hi && violates(pos + size)) {
                if (low)
                    size = b.value - pos;
                else
                    pos = b.value - size;
            } else if (b.attribute == dim && violates(size)) {
                const qreal c = pos + size / 2;
                size = b.value;
                if (high && !low)
                    pos = *high - size;
                else if (centre && !low)
                    pos = c - size / 2;
            } else if (b.attribute == mid && violates(pos + size / 2)) {
                pos = b.value - size / 2;
            }
        }
        size = std::max<qreal>(0, size);
    }

    QWidget *m_view;
    QList<QPointer<KVLayoutConstraint>> m_constraints;
    QList<QPointer<QWidget>> m_watched;
};

KVLayoutConstraint::KVLayoutConstraint(QWidget *first, Attribute a, QWidget *second, bool toSuperview, Attribute b,
                                       Relation r, qreal constant)
    : m_first(first), m_firstAttribute(a), m_second(second), m_toSuperview(toSuperview), m_secondAttribute(b),
      m_relation(r), m_constant(constant), m_hasSecond(second != nullptr)
{
}

QWidget *KVLayoutConstraint::secondItem() const
{
    if (m_toSuperview)
        return m_first->parentWidget();
    return m_second;
}

void KVLayoutConstraint::setConstant(qreal constant)
{
    if (m_constant == constant)
        return;
    m_constant = constant;
    changed();
}

void KVLayoutConstraint::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    changed();
}

void KVLayoutConstraint::changed()
{
    if (auto *set = KVPinSet::of(m_first, false))
        set->layout();
}

namespace AutoLayout {
namespace {
using A = KVLayoutConstraint;

KVLayoutConstraint *make(QWidget *view, A::Attribute a, QWidget *second, bool toSuperview, A::Attribute b,
                         A::Relation r, qreal constant)
{
    if (!view)
        return nullptr;
    return KVPinSet::of(view, true)->add(a, second, toSuperview, b, r, constant);
}

bool countsInwards(A::Attribute edge)
{
    return edge == A::Right || edge == A::Bottom || edge == A::Trailing;
}

A::Relation flipped(A::Relation r)
{
    return r == A::Equal ? r : (r == A::LessThanOrEqual ? A::GreaterThanOrEqual : A::LessThanOrEqual);
}
} // namespace

QList<KVLayoutConstraint *> autoPinEdgesToSuperviewEdgesWithInsets(QWidget *view, const EdgeInsets &insets)
{
    return {autoPinEdgeToSuperviewEdge(view, A::Top, insets.top),
            autoPinEdgeToSuperviewEdge(view, A::Left, insets.left),
            autoPinEdgeToSuperviewEdge(view, A::Bottom, insets.bottom),
            autoPinEdgeToSuperviewEdge(view, A::Right, insets.right)};
}

KVLayoutConstraint *autoPinEdgeToSuperviewEdge(QWidget *view, Attribute edge, qreal inset, Relation relation)
{
    if (countsInwards(edge))
        return make(view, edge, nullptr, true, edge, flipped(relation), -inset);
    return make(view, edge, nullptr, true, edge, relation, inset);
}

KVLayoutConstraint *autoPinEdge(QWidget *view, Attribute edge, Attribute toEdge, QWidget *ofView, qreal offset)
{
    if (!ofView)
        return nullptr;
    return make(view, edge, ofView, false, toEdge, A::Equal, offset);
}

QList<KVLayoutConstraint *> autoSetDimensionsToSize(QWidget *view, const QSizeF &size)
{
    return {autoSetDimension(view, A::Width, size.width()), autoSetDimension(view, A::Height, size.height())};
}

KVLayoutConstraint *autoSetDimension(QWidget *view, Attribute dimension, qreal size, Relation relation)
{
    return make(view, dimension, nullptr, false, dimension, relation, size);
}

KVLayoutConstraint *autoAlignAxis(QWidget *view, Attribute axis, QWidget *toSameAxisOfView, qreal offset)
{
    if (!toSameAxisOfView)
        return nullptr;
    return make(view, axis, toSameAxisOfView, false, axis, A::Equal, offset);
}

KVLayoutConstraint *autoAlignAxisToSuperviewAxis(QWidget *view, Attribute axis, qreal offset)
{
    return make(view, axis, nullptr, true, axis, A::Equal, offset);
}

QList<KVLayoutConstraint *> autoCenterInSuperview(QWidget *view)
{
    return {autoAlignAxisToSuperviewAxis(view, A::CenterX), autoAlignAxisToSuperviewAxis(view, A::CenterY)};
}

void removeConstraints(QWidget *view)
{
    if (!view)
        return;
    delete KVPinSet::of(view, false);
}

QList<KVLayoutConstraint *> constraintsOf(const QWidget *view)
{
    if (!view)
        return {};
    auto *set = KVPinSet::of(const_cast<QWidget *>(view), false);
    return set ? set->constraints() : QList<KVLayoutConstraint *>{};
}

void layoutSubtreeIfNeeded(QWidget *root)
{
    if (!root)
        return;
    // Twice: a view pinned to a sibling that comes later in the tree.
    for (int pass = 0; pass < 2; ++pass) {
        for (auto *o : root->findChildren<QObject *>(QLatin1String(kPinSetName)))
            static_cast<KVPinSet *>(o)->layout();
    }
}
} // namespace AutoLayout
