#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"

#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using vesk::colorWithHexString;

TEST(ColorWithHexStringTest, AcceptsSixDigitsWithOptionalPrefixInAnyCaseAndTrimmed)
{
    EXPECT_EQ(colorWithHexString("007AFF"), QColor(0x00, 0x7A, 0xFF));
    EXPECT_EQ(colorWithHexString("#007aff"), QColor(0x00, 0x7A, 0xFF));
    EXPECT_EQ(colorWithHexString("0X3d3e44"), QColor(0x3D, 0x3E, 0x44));
    EXPECT_EQ(colorWithHexString("0xFF656B"), QColor(0xFF, 0x65, 0x6B));
    EXPECT_EQ(colorWithHexString("  #FF656B\n\t"), QColor(0xFF, 0x65, 0x6B));
    EXPECT_DOUBLE_EQ(colorWithHexString("#000000").alphaF(), 1.0);
    EXPECT_NEAR(colorWithHexString("#000000", 0.4).alphaF(), 0.4, 0.01);
}

TEST(ColorWithHexStringTest, EverythingElseIsClear)
{
    for (const char *bad : {"", "#", "0X", "#12345", "#1234567", "12 456", "#GG0000", "##123456", "0X#123456",
                            "#+12345", "-12345", "#-1234F", "12345", "1234567", "rgb(0,0,0)", "0x-12345"}) {
        const QColor c = colorWithHexString(QString::fromLatin1(bad));
        EXPECT_EQ(c.alpha(), 0) << bad;
    }
    // Only white space around the whole text is trimmed, not after the prefix.
    EXPECT_EQ(colorWithHexString("# 123456").alpha(), 0);
}

TEST(ColorWithHexStringTest, AlphaIsClampedToTheUnitRange)
{
    EXPECT_EQ(colorWithHexString("FFFFFF", 2.0).alpha(), 255);
    EXPECT_EQ(colorWithHexString("FFFFFF", -1.0).alpha(), 0);
}

TEST(NibRegistryTest, LoadsRegisteredClassesAndRefusesUnknownOrMismatchedOnes)
{
    EXPECT_EQ(vesk::loadViewFromNibWithName("NoSuchView"), nullptr);
    // A factory that makes a view of another class gives nothing.
    vesk::registerNib("MismatchedView", [] { return new QWidget(); });
    EXPECT_EQ(vesk::loadViewFromNibWithName("MismatchedView"), nullptr);
    vesk::registerNib("QPushButton", [] { return new QPushButton(); });
    std::unique_ptr<QWidget> button(vesk::loadViewFromNibWithName("QPushButton"));
    EXPECT_TRUE(qobject_cast<QPushButton *>(button.get()));
    // The kit registers its own picker.
    std::unique_ptr<QWidget> picker(vesk::loadViewFromNibWithName("KVDatePickerView"));
    ASSERT_TRUE(picker);
    EXPECT_STREQ(picker->metaObject()->className(), "KVDatePickerView");
}

TEST(ButtonAttributeTest, AlternateAttributesFollowTheStateOfAPlainButton)
{
    QPushButton b;
    b.setCheckable(true);
    vesk::setButtonAttribute(&b, "开启", QColor("#D7D7D8"), vesk::systemFont(14));
    vesk::setButtonAlternateAttribute(&b, "关闭", QColor("#0A8AF9"), vesk::systemFont(12));
    EXPECT_EQ(b.text(), "开启");
    b.setChecked(true);
    EXPECT_EQ(b.text(), "关闭");
    EXPECT_EQ(b.palette().color(QPalette::ButtonText), QColor("#0A8AF9"));
    EXPECT_EQ(b.font().pixelSize(), 12);
    b.setChecked(false);
    EXPECT_EQ(b.text(), "开启");
    EXPECT_EQ(b.palette().color(QPalette::ButtonText), QColor("#D7D7D8"));
    // A later normal colour is kept across toggles.
    vesk::setButtonColorAttribute(&b, Qt::red);
    b.setChecked(true);
    b.setChecked(false);
    EXPECT_EQ(b.palette().color(QPalette::ButtonText), QColor(Qt::red));
}

TEST(ButtonAttributeTest, KitButtonsShowAlternateTitleAndColourWhileOn)
{
    VeskButton b("静音");
    vesk::setButtonAlternateAttribute(&b, "解除静音", QColor("#0A8AF9"), vesk::systemFont(12));
    vesk::setButtonBordered(&b, QColor("#007AFF"), 1);
    EXPECT_EQ(b.alternateTitle(), "解除静音");
    EXPECT_EQ(VeskLayer::find(&b)->borderColor(), QColor("#007AFF"));
    b.setState(1);
    EXPECT_EQ(b.state(), 1);
    // The accessible name stays the button's own title.
    EXPECT_EQ(b.text(), "静音");
}

TEST(HitTestBlockTest, RefusedPressesReachTheWidgetBeneath)
{
    QWidget window;
    window.resize(200, 100);
    QPushButton below("below", &window);
    below.setGeometry(0, 0, 200, 100);
    VeskButton over("over", &window);
    over.setGeometry(0, 0, 100, 100);
    over.raise();
    QPoint asked;
    veskHitTest::setHitTestBlock(&over, [&](const QPoint &p) {
        asked = p;
        return p.x() < 50; // only the left half is the button
    });
    window.show();
    QSignalSpy overClicks(&over, &QAbstractButton::clicked);
    QSignalSpy belowClicks(&below, &QAbstractButton::clicked);
    QTest::mouseClick(&over, Qt::LeftButton, {}, QPoint(75, 50));
    EXPECT_EQ(asked, QPoint(75, 50));
    EXPECT_EQ(overClicks.count(), 0);
    EXPECT_EQ(belowClicks.count(), 1);
    QTest::mouseClick(&over, Qt::LeftButton, {}, QPoint(25, 50));
    EXPECT_EQ(overClicks.count(), 1);
    EXPECT_EQ(belowClicks.count(), 1);
}

TEST(LayerTest, RoundedCornersClipTheView)
{
    QWidget w;
    w.resize(100, 60);
    vesk::setCornerRadius(&w, 10);
    vesk::setBackgroundColor(&w, QColor("#3D3E44"));
    EXPECT_FALSE(w.mask().isEmpty());
    EXPECT_FALSE(w.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(w.mask().contains(QPoint(50, 30)));
    vesk::setCornerRadius(&w, 0);
    EXPECT_TRUE(w.mask().isEmpty());
}

TEST(FrameAndScrollHelpersTest, SetHeightKeepsWidthAndScrollToTopGoesToTheStart)
{
    QWidget w;
    w.resize(120, 40);
    VeskFrames::setHeight(&w, 70);
    EXPECT_EQ(VeskFrames::width(&w), 120);
    EXPECT_EQ(VeskFrames::height(&w), 70);
    VeskFrames::setHeight(&w, -5);
    EXPECT_EQ(VeskFrames::height(&w), 0);

    QScrollArea area;
    area.resize(100, 100);
    auto *content = new QWidget();
    content->resize(100, 1000);
    area.setWidget(content);
    area.show();
    area.verticalScrollBar()->setValue(500);
    ASSERT_GT(area.verticalScrollBar()->value(), 0);
    VeskScroll::scrollToTop(&area);
    EXPECT_EQ(area.verticalScrollBar()->value(), 0);
}
