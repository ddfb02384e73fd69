#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>

class QWidget;

// A pin of one edge, axis or dimension of a view, kept while the view's
// superview or the other view moves or resizes. It reads
// first.attribute (relation) second.attribute + constant.
class KVLayoutConstraint final : public QObject {
    Q_OBJECT
public:
    // Stable numbers: code may store and compare them.
    enum Attribute {
        Left = 1,
        Right = 2,
        Top = 3,
        Bottom = 4,
        Leading = 5,
        Trailing = 6,
        Width = 7,
        Height = 8,
        CenterX = 9,
        CenterY = 10
    };
    enum Relation { LessThanOrEqual = -1, Equal = 0, GreaterThanOrEqual = 1 };

    [[nodiscard]] QWidget *firstItem() const { return m_first; }
    [[nodiscard]] Attribute firstAttribute() const { return m_firstAttribute; }
    // The other view; nullptr for a fixed dimension, the superview for a pin to it.
    [[nodiscard]] QWidget *secondItem() const;
    [[nodiscard]] Attribute secondAttribute() const { return m_secondAttribute; }
    [[nodiscard]] Relation relation() const { return m_relation; }

    [[nodiscard]] qreal constant() const { return m_constant; }
    void setConstant(qreal constant);
    [[nodiscard]] bool isActive() const { return m_active; }
    void setActive(bool active);

private:
    friend class KVPinSet;
    KVLayoutConstraint(QWidget *first, Attribute a, QWidget *second, bool toSuperview, Attribute b, Relation r,
                       qreal constant);
    void changed();

    QWidget *m_first;
    Attribute m_firstAttribute;
    QPointer<QWidget> m_second;
    bool m_toSuperview;
    Attribute m_secondAttribute;
    Relation m_relation;
    qreal m_constant;
    bool m_hasSecond;
    bool m_active = true;
};

// Keeps views pinned to their superview or siblings. Every routine installs
// its constraints at once, lays the view out and returns them. Insets on the
// right, bottom and trailing edges count inwards.
namespace AutoLayout {
using Attribute = KVLayoutConstraint::Attribute;
using Relation = KVLayoutConstraint::Relation;

struct EdgeInsets {
    qreal top = 0;
    qreal left = 0;
    qreal bottom = 0;
    qreal right = 0;
};

QList<KVLayoutConstraint *> autoPinEdgesToSuperviewEdgesWithInsets(QWidget *view, const EdgeInsets &insets = {});
KVLayoutConstraint *autoPinEdgeToSuperviewEdge(QWidget *view, Attribute edge, qreal inset = 0,
                                               Relation relation = Relation::Equal);
KVLayoutConstraint *autoPinEdge(QWidget *view, Attribute edge, Attribute toEdge, QWidget *ofView, qreal offset = 0);
QList<KVLayoutConstraint *> autoSetDimensionsToSize(QWidget *view, const QSizeF &size);
KVLayoutConstraint *autoSetDimension(QWidget *view, Attribute dimension, qreal size,
                                     Relation relation = Relation::Equal);
KVLayoutConstraint *autoAlignAxis(QWidget *view, Attribute axis, QWidget *toSameAxisOfView, qreal offset = 0);
KVLayoutConstraint *autoAlignAxisToSuperviewAxis(QWidget *view, Attribute axis, qreal offset = 0);
QList<KVLayoutConstraint *> autoCenterInSuperview(QWidget *view);

// Removes every constraint that positions the view.
void removeConstraints(QWidget *view);
// The view's constraints, in the order they were made.
[[nodiscard]] QList<KVLayoutConstraint *> constraintsOf(const QWidget *view);
// Lays out every pinned view under root now (views laid out before they are shown).
void layoutSubtreeIfNeeded(QWidget *root);
} // namespace AutoLayout
