// The UI kit's plain-text rule: data shows as written in toasts, tips, alerts and the meeting
// title, nothing a name points at is read, and the checker tells data from texts of our own.
#include "support/HostileText.h"

#include "foundation/KVClock.h"
#include "uikit/KVAlert.h"
#include "uikit/KVDataText.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskToast.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The label inside a message widget that shows text (toasts, tips and alerts hold one each).
QList<QLabel *> labelsShowing(QWidget *root, const QString &text)
{
    QList<QLabel *> found;
    QList<QLabel *> labels = root->findChildren<QLabel *>();
    if (auto *self = qobject_cast<QLabel *>(root))
        labels.prepend(self);
    for (QLabel *l : labels) {
        if (l->text() == text)
            found.append(l);
    }
    return found;
}

void expectPlain(const QList<QLabel *> &labels, const QString &where, const QString &name)
{
    ASSERT_FALSE(labels.isEmpty()) << where.toStdString() << ": " << name.left(30).toStdString();
    for (const QLabel *l : labels)
        EXPECT_EQ(l->textFormat(), Qt::PlainText) << where.toStdString() << ": " << name.left(30).toStdString();
}

TEST(DataTextTest, HostileNames_ShowLiterallyInToastsTipsAlertsAndTheTitle_AndNothingIsRead)
{
    VirtualClockScope clock;
    DiskProbe probe;
    ASSERT_TRUE(probe.isValid());
    QWidget window;
    window.setObjectName(QStringLiteral("hostWindow"));
    window.setGeometry(100, 100, 800, 600);
    window.show();
    auto *title = new KVMeetingIDLabel(&window);
    title->setGeometry(100, 10, 300, 30);
    for (const QString &name : hostileNames(probe)) {
        const QString said = QStringLiteral("%1 加入会议").arg(name);
        VeskToast::showToast(said);
        VeskMeetingToast::showNomalTip(&window, name);
        KVAlert *alert = KVAlert::alertWithTitle(name, said, QStringLiteral("取消"), QStringLiteral("确定"), {}, {});
        alert->showInCenterOfWindow(&window);
        title->setText(name + QStringLiteral("( 123-456-789)"));
        KVDataText::setToolTip(title, name);
        // Painting lays every text out: markup would load its images now.
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible())
                (void)top->grab();
        }
        expectPlain(labelsShowing(VeskToast::currentToast(), said), QStringLiteral("toast"), name);
        expectPlain(labelsShowing(VeskMeetingToast::currentTip(&window), name), QStringLiteral("tip"), name);
        expectPlain(labelsShowing(alert, name), QStringLiteral("alert title"), name);
        expectPlain(labelsShowing(alert, said), QStringLiteral("alert message"), name);
        EXPECT_EQ(title->text(), name + QStringLiteral("( 123-456-789)"));
        EXPECT_EQ(title->textFormat(), Qt::PlainText);
        // The title keeps the ID in view however long the name.
        EXPECT_TRUE(title->shownText().endsWith(QStringLiteral("123-456-789)"))) << title->shownText().toStdString();
        EXPECT_LE(title->fontMetrics().horizontalAdvance(title->shownText()), title->contentsRect().width() + 1);
        EXPECT_EQ(KVDataText::markupHazards(QApplication::topLevelWidgets()), QStringList());
        alert->close();
        QApplication::processEvents();
    }
    EXPECT_FALSE(probe.wasRead());
    VeskToast::dismissToast();
}

// The checker reports what Qt would interpret and is not ours, and nothing else.
TEST(DataTextTest, Checker_ReportsUnmarkedMarkup_ButNotPlainTextsOrOurOwnRichTexts)
{
    QWidget root;
    root.setObjectName(QStringLiteral("root"));
    auto *ours = KVDataText::label(QStringLiteral("<b>x</b>"), &root);
    auto *plainOwn = new QLabel(QStringLiteral("暂无其他成员"), &root); // AutoText, but nothing to interpret
    auto *rich = new QLabel(&root);
    KVDataText::setOwnRichText(rich, QStringLiteral("<b>%1</b>").arg(KVDataText::escaped(QStringLiteral("<i>"))));
    auto *tipped = new QWidget(&root);
    KVDataText::setToolTip(tipped, QStringLiteral("<img src=\"/dev/zero\">"));
    // A screen reader reads the tool tip as the description: the text, not our paragraph round it.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(tipped)->text(QAccessible::Description),
              QStringLiteral("<img src=\"/dev/zero\">"));
    auto *ownTip = new QWidget(&root);
    ownTip->setToolTip(QStringLiteral("关闭"));
    EXPECT_EQ(KVDataText::markupHazards({&root}), QStringList());
    EXPECT_EQ(tipped->toolTip(),
              QStringLiteral("<p style='white-space:pre-wrap'>&lt;img src=&quot;/dev/zero&quot;&gt;</p>"));
    (void)ours;
    (void)plainOwn;

    auto *leaked = new QLabel(QStringLiteral("<b>x</b>"), &root);
    leaked->setObjectName(QStringLiteral("nameLabel"));
    tipped->setToolTip(QStringLiteral("<b>x</b>")); // a later tool tip set around the rule
    auto *view = new QTextEdit(&root);
    view->setHtml(QStringLiteral("<img src=\"missing.png\">"));
    const QStringList found = KVDataText::markupHazards({&root});
    const QString all = found.join('\n');
    EXPECT_EQ(found.size(), 3) << all.toStdString();
    for (const char *finding : {"label of QLabel 'nameLabel'", "tool tip of QWidget", "text view with images"})
        EXPECT_TRUE(all.contains(QLatin1String(finding))) << finding << "\n" << all.toStdString();
}

// One line, cut to the width, the whole text kept for copying and screen readers.
TEST(DataTextTest, ElidedLabel_CutsOnlyThePainting)
{
    KVElidedLabel label;
    label.setFullText(QStringLiteral("第一行\n<b>第二行</b>") + QString(500, QChar(0x540D)));
    label.resize(120, 24);
    EXPECT_EQ(label.fullText(), label.text());
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_FALSE(label.shownText().contains('\n'));
    EXPECT_TRUE(label.shownText().startsWith(QStringLiteral("第一行 <b>")));
    EXPECT_LE(label.fontMetrics().horizontalAdvance(label.shownText()), 120);
    EXPECT_EQ(label.minimumSizeHint().width(), 0);
    EXPECT_EQ(label.sizeHint().height(), label.fontMetrics().height());
    label.setElideMode(Qt::ElideLeft);
    EXPECT_TRUE(label.shownText().endsWith(QChar(0x540D)));

    // Laid out with room to spare, a short text is shown whole (its width measured in fractions).
    QWidget row;
    auto *layout = new QHBoxLayout(&row);
    auto *title = new KVMeetingIDLabel(&row);
    title->setFont(vesk::systemFont(14, QFont::Medium)); // as the meeting window sets it
    layout->addStretch(1);
    layout->addWidget(title);
    layout->addStretch(1);
    row.resize(1000, 50);
    row.show();
    title->setText(QStringLiteral("会议 800000001( 800-000-001)"));
    title->setStyleSheet(QStringLiteral("color: white;"));
    QApplication::processEvents();
    EXPECT_EQ(title->shownText(), title->text());
}

// A text exactly as wide as the label's room fits; one point less cuts it.
TEST(DataTextTest, ElidedLabel_ExactlyItsOwnWidthIsNotCut)
{
    KVElidedLabel label;
    QString text;
    qreal width = 0;
    for (int n = 1; n <= 64 && text.isEmpty(); ++n) {
        const QString candidate(n, QLatin1Char('W'));
        const qreal advance = QFontMetricsF(label.font()).horizontalAdvance(candidate);
        if (advance > 0 && advance == std::floor(advance)) {
            text = candidate;
            width = advance;
        }
    }
    ASSERT_FALSE(text.isEmpty()) << "no text of a whole width in this font";
    label.setFullText(text);
    label.resize(int(width), 24);
    EXPECT_EQ(label.shownText(), text);
    label.resize(int(width) - 1, 24);
    EXPECT_NE(label.shownText(), text);
}

} // namespace
