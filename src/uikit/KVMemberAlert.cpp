#include "uikit/KVMemberAlert.h"

#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace {

using A = KVLayoutConstraint::Attribute;

QColor hex(const char *h)
{
    return vesk::colorWithHexString(QLatin1String(h));
}

VeskButton *makeButton(const QString &title, QWidget *parent)
{
    auto *b = new VeskButton(title, parent);
    b->setFont(vesk::systemFont(14));
    vesk::setCornerRadius(b, 6);
    return b;
}

} // namespace

KVMemberAlertView::KVMemberAlertView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KVMemberAlertView"));
    vesk::setBackgroundColor(this, hex("#3D3E44"));
    vesk::setCornerRadius(this, 4);
    resize(kWidth, kHeightWithTip);

    m_contentLabel = KVDataText::label(QString(), this);
    m_contentLabel->setObjectName(QStringLiteral("contentLabel"));
    m_contentLabel->setWordWrap(true);
    m_contentLabel->setAlignment(Qt::AlignCenter);
    m_contentLabel->setFont(vesk::systemFont(14));
    m_contentLabel->setStyleSheet(QStringLiteral("color: #F0F0F0;"));
    // Three lines at most: a name of thousands of characters is cut, not grown past the alert.
    m_contentLabel->setMaximumHeight(m_contentLabel->fontMetrics().lineSpacing() * 3);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_contentLabel, A::Top, 24);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_contentLabel, A::Leading, 20);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_contentLabel, A::Trailing, 20);
    AutoLayout::autoSetDimension(m_contentLabel, A::Height, 44);

    m_checkButton = new QCheckBox(kDefaultTip, this);
    m_checkButton->setObjectName(QStringLiteral("checkButton"));
    m_checkButton->setFont(vesk::systemFont(12));
    m_checkButton->setStyleSheet(QStringLiteral("color: #B4B4B4;"));
    AutoLayout::autoPinEdge(m_checkButton, A::Top, A::Bottom, m_contentLabel, 6);
    AutoLayout::autoAlignAxisToSuperviewAxis(m_checkButton, A::CenterX);
    AutoLayout::autoSetDimension(m_checkButton, A::Height, 20);
    // As wide as its text, which a title may change.
    m_checkWidthConstraint = AutoLayout::autoSetDimension(m_checkButton, A::Width, m_checkButton->sizeHint().width());
    connect(m_checkButton, &QCheckBox::toggled, this, [this] { checkAction(); });

    m_cancelButton = makeButton(QStringLiteral("取消"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    vesk::setButtonBordered(m_cancelButton, hex("#007AFF"), 1);
    m_cancelButton->setTextColor(hex("#007AFF"));
    m_confirmButton = makeButton(QStringLiteral("确定"), this);
    m_confirmButton->setObjectName(QStringLiteral("confirmButton"));
    vesk::setBackgroundColor(m_confirmButton, hex("#007AFF"));
    m_confirmButton->setTextColor(Qt::white);
    for (VeskButton *b : {m_cancelButton, m_confirmButton})
        AutoLayout::autoSetDimensionsToSize(b, QSizeF(104, 32));
    m_butttonTopConstraint =
        AutoLayout::autoPinEdge(m_cancelButton, A::Top, A::Bottom, m_contentLabel, kButtonTopWithTip);
    AutoLayout::autoPinEdge(m_confirmButton, A::Top, A::Top, m_cancelButton);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_cancelButton, A::Leading, 27);
    AutoLayout::autoPinEdgeToSuperviewEdge(m_confirmButton, A::Trailing, 27);
    connect(m_confirmButton, &QAbstractButton::clicked, this, [this] { confirmAction(); });
    connect(m_cancelButton, &QAbstractButton::clicked, this, [this] { cancelAction(); });
}

void KVMemberAlertView::setTitle(const QString &title, bool showTip, const QString &tipContent,
                                 const QVariant &dataModel, ConfirmBlock actionBlock, CancelBlock cancelBlock)
{
    m_cancelBlock = std::move(cancelBlock);
    m_showTip = showTip;
    m_checkButton->setVisible(showTip);
    m_butttonTopConstraint->setConstant(showTip ? kButtonTopWithTip : kButtonTopWithoutTip);
    KVDataText::setText(m_contentLabel, title);
    setAccessibleName(title);
    m_model = dataModel;
    m_confirmBlock = std::move(actionBlock);
    if (!tipContent.isEmpty()) {
        m_checkButton->setText(tipContent);
        m_checkWidthConstraint->setConstant(std::min(m_checkButton->sizeHint().width(), kWidth - 16));
    }
    resize(preferredSize());
}

QString KVMemberAlertView::tipContent() const
{
    return m_checkButton->text();
}

QSize KVMemberAlertView::preferredSize() const
{
    return {kWidth, m_showTip ? kHeightWithTip : kHeightWithoutTip};
}

QAbstractButton *KVMemberAlertView::cancelButton() const
{
    return m_cancelButton;
}

QAbstractButton *KVMemberAlertView::confirmButton() const
{
    return m_confirmButton;
}

void KVMemberAlertView::checkAction()
{
    m_allowed = m_checkButton->isChecked();
}

void KVMemberAlertView::confirmAction()
{
    if (m_confirmBlock)
        m_confirmBlock(m_model, m_allowed);
}

void KVMemberAlertView::cancelAction()
{
    if (m_cancelBlock)
        m_cancelBlock();
}

void KVMemberAlertView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_confirmButton->click();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        m_cancelButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

KVAlert *KVMemberAlert::alertWithTitle(const QString &title, bool showTip, const QString &tipContent,
                                       const QVariant &dataModel, KVMemberAlertView::ConfirmBlock actionBlock,
                                       KVMemberAlertView::CancelBlock cancelBlock)
{
    auto *view = new KVMemberAlertView();
    KVAlert *alert = KVAlert::alertWithCustomView(view);
    QPointer<KVAlert> weak(alert);
    view->setTitle(
        title, showTip, tipContent, dataModel,
        [weak, actionBlock = std::move(actionBlock)](const QVariant &model, bool allowed) {
            if (actionBlock)
                actionBlock(model, allowed);
            if (weak && !weak->disableAutoDismiss())
                weak->dismiss();
        },
        [weak, cancelBlock = std::move(cancelBlock)] {
            if (cancelBlock)
                cancelBlock();
            if (weak && !weak->disableAutoDismiss())
                weak->dismiss();
        });
    alert->setAccessibleName(title);
    return alert;
}

KVMemberAlertView *KVMemberAlert::viewOf(const KVAlert *alert)
{
    return alert ? qobject_cast<KVMemberAlertView *>(alert->customView()) : nullptr;
}
