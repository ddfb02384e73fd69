#include "meeting/window/KVSystemTip.h"

#include "foundation/KVClock.h"
#include "uikit/AutoLayout.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>

#include <algorithm>

using namespace std::chrono_literals;

namespace {

const QString kOnlyAudioTitle = QStringLiteral("当前网络状况较差，建议开启仅音频模式");
const QString kOnlyAudioDetail = QStringLiteral("仅音频模式下不接收视频画面，通话更流畅");
const QString kNotRemind = QStringLiteral("不再提醒");
const QString kOk = QStringLiteral("知道了");
const QString kOpen = QStringLiteral("开启仅音频");

constexpr int kMargin = 16;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 8;
constexpr int kOneLineHeight = 44;

QWidget *body(QWidget *parent, const char *name)
{
    auto *view = new QWidget(parent);
    view->setObjectName(QLatin1String(name));
    vesk::setBackgroundColor(view, vesk::colorWithHexString(QStringLiteral("#007AFF"), 0.8));
    vesk::setCornerRadius(view, 6.0);
    return view;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, qreal fontSize, const QString &colour)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    l->setFont(vesk::systemFont(fontSize));
    l->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colour));
    return l;
}

VeskButton *button(QWidget *parent, const char *name, const QString &title, int width, bool prominent = false)
{
    auto *b = new VeskButton(title, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(title);
    b->setFont(vesk::systemFont(12));
    b->setTextColor(prominent ? vesk::colorWithHexString(QStringLiteral("#007AFF")) : QColor(Qt::white));
    if (prominent)
        vesk::setBackgroundColor(b, Qt::white);
    else
        vesk::setButtonBordered(b, QColor(255, 255, 255, 180), 1.0);
    vesk::setCornerRadius(b, 4.0);
    b->resize(width, kButtonHeight);
    return b;
}

// Places buttons right to left from the right margin; returns the x left of the leftmost one.
int placeFromRight(int right, int y, std::initializer_list<QWidget *> buttons)
{
    for (QWidget *b : buttons) {
        if (!b || b->isHidden())
            continue;
        right -= b->width();
        b->move(right, y);
        right -= kButtonGap;
    }
    return right;
}

} // namespace

KVSystemTip::KVSystemTip(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KVSystemTip"));

    oneLineView = body(this, "oneLineView");
    titleLabel = label(oneLineView, "titleLabel", QString(), 14, QStringLiteral("white"));
    notRemindBtn = button(oneLineView, "notRemindBtn", kNotRemind, 64);
    okBtn = button(oneLineView, "okBtn", kOk, 52);

    twoLineView = body(this, "twoLineView");
    onlyAudioTitleLabel = label(twoLineView, "onlyAudioTitleLabel", kOnlyAudioTitle, 14, QStringLiteral("white"));
    onlyAudioDetailLabel =
        label(twoLineView, "onlyAudioDetailLabel", kOnlyAudioDetail, 12, QStringLiteral("rgba(255, 255, 255, 204)"));
    onlyAudioNotRemindBtn = button(twoLineView, "onlyAudioNotRemindBtn", kNotRemind, 64);
    onlyAudioOkBtn = button(twoLineView, "onlyAudioOkBtn", kOk, 52);
    openBtn = button(twoLineView, "openBtn", kOpen, 84, true);

    for (VeskButton *b : {okBtn.data(), onlyAudioOkBtn.data()})
        connect(b, &QAbstractButton::clicked, this, [this] { onOkBtnClick(); });
    for (VeskButton *b : {notRemindBtn.data(), onlyAudioNotRemindBtn.data()})
        connect(b, &QAbstractButton::clicked, this, [this] { onNotRemindAgainClick(); });
    connect(openBtn, &QAbstractButton::clicked, this, [this] { onOpenClick(); });

    m_effect = new QGraphicsOpacityEffect(this);
    m_effect->setOpacity(1.0);
    setGraphicsEffect(m_effect);
    setStyle(HighCpu);
}

KVSystemTip::~KVSystemTip() = default;

KVSystemTip *KVSystemTip::showTipWithStyle(qint64 style, QWidget *view, double bottom)
{
    using A = KVLayoutConstraint::Attribute;
    auto *tip = new KVSystemTip(view);
    tip->setStyle(style);
    AutoLayout::autoSetDimensionsToSize(tip, QSizeF(suitableSize(style)));
    AutoLayout::autoPinEdgeToSuperviewEdge(tip, A::Trailing, kTrailingInset);
    AutoLayout::autoPinEdgeToSuperviewEdge(tip, A::Bottom, bottom);
    tip->m_effect->setOpacity(0.0);
    tip->show();
    tip->raise();
    tip->fadeTo(1.0, {});
    return tip;
}

QSize KVSystemTip::suitableSize(qint64 style)
{
    switch (style) {
    case PoorNetwork:
        return {390, 44};
    case OnlyAudio:
        return {452, 94};
    case LowBattery:
        return {286, 44};
    default:
        return {452, 44};
    }
}

QString KVSystemTip::textOfStyle(qint64 style)
{
    switch (style) {
    case HighCpu:
        return QStringLiteral("当前CPU占用率高，建议检查设备状态");
    case PoorNetwork:
        return QStringLiteral("当前网络较差建议更换网络");
    case LowBattery:
        return QStringLiteral("电池电量低请及时充电");
    default:
        return {};
    }
}

void KVSystemTip::setStyle(qint64 style)
{
    m_style = style;
    const QSize size = suitableSize(style);
    resize(size);
    const bool twoLines = style == OnlyAudio;
    oneLineView->setVisible(!twoLines);
    twoLineView->setVisible(twoLines);
    if (twoLines) {
        twoLineView->setGeometry(QRect(QPoint(), size));
        onlyAudioTitleLabel->setGeometry(kMargin, 12, size.width() - 2 * kMargin, 22);
        onlyAudioDetailLabel->setGeometry(kMargin, 36, size.width() - 2 * kMargin, 18);
        placeFromRight(size.width() - 12, size.height() - 12 - kButtonHeight,
                       {openBtn.data(), onlyAudioOkBtn.data(), onlyAudioNotRemindBtn.data()});
        setAccessibleName(kOnlyAudioTitle);
        return;
    }
    oneLineView->setGeometry(QRect(QPoint(), size));
    titleLabel->setText(textOfStyle(style));
    notRemindBtn->setVisible(style != LowBattery);
    const int textRight =
        placeFromRight(size.width() - 12, (kOneLineHeight - kButtonHeight) / 2, {okBtn.data(), notRemindBtn.data()});
    titleLabel->setGeometry(kMargin, 0, std::max(0, textRight - kMargin), kOneLineHeight);
    setAccessibleName(titleLabel->text());
}

qreal KVSystemTip::alphaValue() const
{
    return m_effect->opacity();
}

void KVSystemTip::fadeTo(qreal target, std::function<void()> done)
{
    if (m_fade)
        m_fade->invalidate();
    const qreal from = m_effect->opacity();
    const qint64 start = KVClock::current().nowMs();
    QPointer<KVSystemTip> weak(this);
    auto step = [weak, from, target, start, done] {
        if (!weak)
            return;
        const qreal t = std::clamp(qreal(KVClock::current().nowMs() - start) / kFadeMs, 0.0, 1.0);
        weak->m_effect->setOpacity(from + (target - from) * t);
        if (t < 1.0)
            return;
        weak->m_fade->invalidate();
        if (done)
            done();
    };
    m_fade = KVTimer::repeating(this, std::chrono::milliseconds(kFadeMs / 20), step); // the last step lands on the end
}

void KVSystemTip::dismiss()
{
    if (m_dismissing)
        return;
    m_dismissing = true;
    QPointer<KVSystemTip> weak(this);
    fadeTo(0.0, [weak] {
        if (!weak)
            return;
        AutoLayout::removeConstraints(weak);
        weak->hide();
        weak->setParent(nullptr);
        weak->deleteLater();
    });
}

void KVSystemTip::onOkBtnClick()
{
    dismiss();
}

void KVSystemTip::onNotRemindAgainClick()
{
    if (onNotRemindAgain)
        onNotRemindAgain(this);
    dismiss();
}

void KVSystemTip::onOpenClick()
{
    if (onOpenOnlyAudioClick)
        onOpenOnlyAudioClick(this);
    dismiss();
}
