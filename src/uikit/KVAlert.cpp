#include "uikit/KVAlert.h"

#include "uikit/KVAlertProtocol.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"
#include "uikit/VeskToast.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kAlertWidth = 320;
constexpr int kMinHeight = 140;
// Texts longer than this (a name of thousands of characters) are cut, not grown past the screen.
// A message holds a title from others as a list row shows it (200 characters, the widest script's
// lines taller than the font's own) with our question after it: it shows whole.
constexpr int kMaxTitleLines = 3;
constexpr int kMaxMessageLines = 20;

// Caps a wrapped label at a number of lines; a text that does not fit starts at the top.
void capLines(QLabel *label, int lines)
{
    const QFontMetrics fm(label->font());
    const int maxHeight = fm.lineSpacing() * lines;
    label->setMaximumHeight(maxHeight);
    const QRect bounds = fm.boundingRect(QRect(0, 0, kAlertWidth - 48, 1 << 20), Qt::TextWordWrap, label->text());
    if (bounds.height() > maxHeight)
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

QColor hex(const char *h)
{
    return vesk::colorWithHexString(QLatin1String(h));
}

VeskButton *makeButton(const QString &title, QWidget *parent, bool primary)
{
    auto *b = new VeskButton(title, parent);
    b->setFont(vesk::systemFont(14));
    b->setFixedSize(std::max(100, b->sizeHint().width()), 32);
    VeskLayer *layer = VeskLayer::of(b);
    layer->setCornerRadius(6);
    if (primary) {
        layer->setBackgroundColor(hex("#007AFF"));
        b->setTextColor(Qt::white);
    } else {
        layer->setBorderColor(hex("#007AFF"));
        layer->setBorderWidth(1);
        b->setTextColor(hex("#007AFF"));
    }
    return b;
}

void restyle(QAbstractButton *button, const QColor &text, const QColor &background, const QColor &border)
{
    if (!button)
        return;
    vesk::setButtonColorAttribute(button, text);
    VeskLayer *layer = VeskLayer::of(button);
    layer->setBackgroundColor(background);
    layer->setBorderColor(border);
    layer->setBorderWidth(border.alpha() > 0 ? 1 : 0);
}
} // namespace

KVAlert::KVAlert() : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
}

void KVAlert::build(const QString &title, const QString &message, const QString &cancelTitle,
                    const QString &confirmTitle, bool withCloseButton)
{
    m_title = title;
    m_message = message;
    setAccessibleName(title.isEmpty() ? message : title);
    setWindowTitle(title.isEmpty() ? message : title);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, withCloseButton ? 32 : 24, 24, 20);
    layout->setSpacing(12);
    if (!title.isEmpty()) {
        // Alerts name members, meetings and the service's reasons: plain text only.
        QLabel *titleLabel = KVDataText::label(title, this);
        titleLabel->setObjectName(QStringLiteral("titleLabel"));
        titleLabel->setFont(vesk::systemFont(16, QFont::DemiBold));
        titleLabel->setAlignment(Qt::AlignCenter);
        titleLabel->setWordWrap(true);
        capLines(titleLabel, kMaxTitleLines);
        layout->addWidget(titleLabel);
    }
    QLabel *messageLabel = KVDataText::label(message, this);
    messageLabel->setObjectName(QStringLiteral("messageLabel"));
    messageLabel->setFont(vesk::systemFont(14));
    messageLabel->setAlignment(Qt::AlignCenter);
    messageLabel->setWordWrap(true);
    capLines(messageLabel, kMaxMessageLines);
    if (!title.isEmpty()) {
        QPalette pal = messageLabel->palette();
        pal.setColor(QPalette::WindowText, hex("#D7D7D8"));
        messageLabel->setPalette(pal);
    }
    layout->addWidget(messageLabel, 1);
    layout->addSpacing(8);
    auto *row = new QHBoxLayout();
    row->setSpacing(12);
    row->addStretch(1);
    QPointer<KVAlert> weak(this);
    if (!cancelTitle.isEmpty()) {
        m_cancelButton = makeButton(cancelTitle, this, false);
        m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
        connect(m_cancelButton, &QAbstractButton::clicked, this, [weak] {
            if (weak)
                weak->answer(Answer::Cancel);
        });
        row->addWidget(m_cancelButton);
    }
    m_confirmButton = makeButton(confirmTitle, this, true);
    m_confirmButton->setObjectName(QStringLiteral("confirmButton"));
    connect(m_confirmButton, &QAbstractButton::clicked, this, [weak] {
        if (weak)
            weak->answer(Answer::Confirm);
    });
    row->addWidget(m_confirmButton);
    row->addStretch(1);
    layout->addLayout(row);
    if (withCloseButton)
        addCloseButton();
}

void KVAlert::addCloseButton()
{
    if (m_closeButton)
        return;
    m_closeButton = new VeskButton(QStringLiteral("×"), this);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setFont(vesk::systemFont(18));
    m_closeButton->setTextColor(hex("#A6A7AB"));
    m_closeButton->setAccessibleName(QStringLiteral("关闭"));
    m_closeButton->setToolTip(QStringLiteral("关闭"));
    m_closeButton->setGeometry(kAlertWidth - 32, 8, 24, 24);
    QPointer<KVAlert> weak(this);
    connect(m_closeButton, &QAbstractButton::clicked, this, [weak] {
        if (weak)
            weak->answer(Answer::Close);
    });
    if (layout()) {
        const QMargins m = layout()->contentsMargins();
        layout()->setContentsMargins(m.left(), 32, m.right(), m.bottom());
    }
}

KVAlert *KVAlert::alertWithTitle(const QString &title, const QString &message, const QString &cancelTitle,
                                 const QString &confirmTitle, Action cancelAction, Action confirmAction)
{
    auto *alert = new KVAlert();
    alert->m_cancelAction = std::move(cancelAction);
    alert->m_confirmAction = std::move(confirmAction);
    alert->build(title, message, cancelTitle, confirmTitle, false);
    return alert;
}

KVAlert *KVAlert::alertWithMessage(const QString &message, const QString &cancelTitle, const QString &confirmTitle,
                                   Action cancelAction, Action confirmAction)
{
    return alertWithTitle(QString(), message, cancelTitle, confirmTitle, std::move(cancelAction),
                          std::move(confirmAction));
}

KVAlert *KVAlert::alertWithMessage(const QString &message, const QString &confirmTitle, Action confirmAction,
                                   Action closeAction)
{
    auto *alert = new KVAlert();
    alert->m_confirmAction = std::move(confirmAction);
    alert->m_closeAction = std::move(closeAction);
    alert->build(QString(), message, QString(), confirmTitle, true);
    return alert;
}

KVAlert *KVAlert::alertWithMessage(const QString &message, const QString &confirmTitle, Action confirmAction)
{
    auto *alert = new KVAlert();
    alert->m_confirmAction = std::move(confirmAction);
    alert->build(QString(), message, QString(), confirmTitle, false);
    return alert;
}

KVAlert *KVAlert::alertWithCustomView(QWidget *view)
{
    auto *alert = new KVAlert();
    auto *layout = new QVBoxLayout(alert);
    layout->setContentsMargins(0, 0, 0, 0);
    if (view) {
        alert->m_customView = view;
        view->setParent(alert);
        layout->addWidget(view);
        alert->setAccessibleName(view->accessibleName());
    }
    return alert;
}

QAbstractButton *KVAlert::cancelButton() const
{
    if (auto *p = dynamic_cast<KVAlertProtocol *>(m_customView.data()))
        return p->cancelButton();
    return m_cancelButton;
}

QAbstractButton *KVAlert::confirmButton() const
{
    if (auto *p = dynamic_cast<KVAlertProtocol *>(m_customView.data()))
        return p->confirmButton();
    return m_confirmButton;
}

KVAlert *KVAlert::setConfigCancelRedStyle()
{
    m_cancelDestructive = true;
    // Both buttons act; closing is the choice that changes nothing, and the one focused first.
    if (!m_customView)
        addCloseButton();
    restyle(cancelButton(), hex("FF656B"), Qt::transparent, hex("FF656B"));
    restyle(confirmButton(), Qt::white, hex("#007AFF"), Qt::transparent);
    return this;
}

QSize KVAlert::preferredSize() const
{
    if (m_customView) {
        if (auto *p = dynamic_cast<KVAlertProtocol *>(m_customView.data()); p && !p->preferredSize().isEmpty())
            return p->preferredSize();
        return m_customView->sizeHint();
    }
    const int h =
        layout() && layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(kAlertWidth) : sizeHint().height();
    return {kAlertWidth, std::max(kMinHeight, h)};
}

void KVAlert::answer(Answer which)
{
    // Auto-dismissing alerts answer once, even for a double click.
    if (m_answered && !m_disableAutoDismiss)
        return;
    m_answered = true;
    Action action = which == Answer::Confirm  ? m_confirmAction
                    : which == Answer::Cancel ? m_cancelAction
                                              : m_closeAction;
    QPointer<KVAlert> self(this);
    if (action)
        action();
    if (self && (!self->m_disableAutoDismiss || which == Answer::Close))
        self->dismiss();
}

void KVAlert::prepareToShow(QWidget *anchor)
{
    if (anchor && anchor != this && parentWidget() != anchor)
        setParent(anchor, windowFlags());
    setWindowModality(Qt::ApplicationModal);
    const QSize size = preferredSize();
    setFixedSize(size);
    if (m_closeButton)
        m_closeButton->move(size.width() - 32, 8);
}

void KVAlert::showInCenterOfWindow(QWidget *window)
{
    QWidget *anchor = window ? window->window() : VeskToast::hostWindow();
    prepareToShow(anchor);
    QRect area;
    if (anchor)
        area = anchor->frameGeometry();
    else if (QScreen *s = QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    show();
    raise();
    activateWindow();
    focusSafeChoice();
}

void KVAlert::focusSafeChoice()
{
    if (m_cancelDestructive && m_closeButton)
        m_closeButton->setFocus(Qt::ActiveWindowFocusReason);
}

void KVAlert::showAtOrigin(const QPoint &screenPoint)
{
    prepareToShow(VeskToast::hostWindow());
    move(screenPoint);
    show();
    raise();
    activateWindow();
    focusSafeChoice();
}

void KVAlert::dismiss()
{
    hide();
    close();
}

void KVAlert::paintEvent(QPaintEvent *)
{
    if (m_customView)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(hex("#3D3E44"));
    p.drawRoundedRect(QRectF(rect()), 4, 4);
}

void KVAlert::keyPressEvent(QKeyEvent *event)
{
    if (!m_customView) {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_confirmButton) {
            m_confirmButton->click();
            return;
        }
        if (event->key() == Qt::Key_Escape && m_cancelDestructive) {
            // Escape backs out; a red cancel button does what cannot be undone (ends the meeting
            // for everyone), so here Escape only closes the alert.
            m_answered = true;
            dismiss();
            return;
        }
        if (event->key() == Qt::Key_Escape && (m_cancelButton || m_closeButton)) {
            (m_cancelButton ? m_cancelButton : m_closeButton)->click();
            return;
        }
        // A notice with one button has no other way out: Escape takes it, as a click does.
        if (event->key() == Qt::Key_Escape && m_confirmButton) {
            m_confirmButton->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}
