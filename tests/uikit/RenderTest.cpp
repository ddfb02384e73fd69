#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KVAlert.h"
#include "uikit/KVDatePickerView.h"
#include "uikit/KVMacWatermarkView.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"
#include "uikit/VeskMeetingToast.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QImage>
#include <QLayout>
#include <QPainter>

#include <gtest/gtest.h>

namespace {
int paintedPixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

bool hasColour(const QImage &img, const QColor &c)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y).rgb() == c.rgb() && qAlpha(img.pixel(x, y)) == 255)
                return true;
    return false;
}

QImage render(QWidget *w)
{
    QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}
} // namespace

TEST(RenderTest, WatermarkTilesItsTextAndDrawsNothingWithoutOne)
{
    KVMacWatermarkView view;
    view.resize(640, 360);
    EXPECT_EQ(paintedPixels(render(&view)), 0);
    view.setWatermarkText("张三 1234");
    const QImage img = render(&view);
    const int painted = paintedPixels(img);
    EXPECT_GT(painted, 0);
    // Tiled: every quarter of the view carries text.
    for (const QRect &q :
         {QRect(0, 0, 320, 180), QRect(320, 0, 320, 180), QRect(0, 180, 320, 180), QRect(320, 180, 320, 180)})
        EXPECT_GT(paintedPixels(img.copy(q)), 0) << q.x() << "," << q.y();
    // Faint: never opaque.
    int maxAlpha = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            maxAlpha = std::max(maxAlpha, qAlpha(img.pixel(x, y)));
    EXPECT_LT(maxAlpha, 128);
}

TEST(RenderTest, MicrophoneIconDrawsTheLiveLevelWhileOpen)
{
    VeskMicrophoneIcon icon;
    icon.resize(40, 40);
    icon.setPhoneNumber("138");
    icon.setIconState(1);
    auto greenPixels = [](const QImage &img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                n += (c.alpha() > 200 && c.green() > 150 && c.red() < 100) ? 1 : 0;
            }
        return n;
    };
    EXPECT_EQ(greenPixels(render(&icon)), 0);
    NotificationCenter::defaultCenter().post(VeskMicrophoneIcon::kVoiceValueChanged,
                                             QVariantMap{{"peerId", "138"}, {"value", 80}});
    EXPECT_GT(greenPixels(render(&icon)), 0);
}

TEST(RenderTest, AlertLooksDarkWithABlueConfirmButton)
{
    QPointer<KVAlert> alert =
        KVAlert::alertWithTitle("无法使用摄像头", "请在“设置”-“隐私”中开启摄像头使用权限，并重新启动程序", "取消",
                                "前往设置", nullptr, nullptr);
    alert->resize(alert->preferredSize());
    alert->layout()->activate();
    const QImage img = render(alert.data());
    // The card.
    EXPECT_EQ(img.pixelColor(alert->width() / 2, 6).rgb(), QColor("#3D3E44").rgb());
    // The confirm button's fill.
    const QRect confirm = alert->confirmButton()->geometry();
    EXPECT_EQ(img.pixelColor(confirm.left() + 4, confirm.center().y()).rgb(), QColor("#007AFF").rgb());
    // Rounded corners stay see-through.
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
}

TEST(RenderTest, PickerAndMenuMarkTheirSelection)
{
    KVDatePickerView picker;
    picker.setMinuteInterval(15);
    picker.setBeginDate(QDateTime(QDate(2026, 12, 7), QTime(10, 15)));
    picker.setSelectedDate(QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
    picker.reloadData(QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    picker.show();
    const QImage pickerImage = render(&picker);
    EXPECT_TRUE(hasColour(pickerImage, QColor("#E5F1FF"))); // the selected rows
    EXPECT_TRUE(hasColour(pickerImage, QColor("#007AFF"))); // the confirm button

    QList<MoreActionItem *> items;
    for (const char *t : {"15分钟", "30分钟", "1小时", "2小时", "选择结束时间"})
        items << MoreActionItem::itemStyle2WithTitle(QString::fromUtf8(t), 0, nullptr);
    items[3]->setSelect(true);
    items[4]->setTextAlignment(Qt::AlignHCenter);
    items[4]->setImmutableTitleColor(QColor("#007AFF"));
    std::unique_ptr<MoreActionView> menu(MoreActionView::viewWithItems(items));
    menu->setMaxWidth(220);
    menu->resize(menu->getSizeWithMaxItemCount(8));
    menu->show();
    const QImage menuImage = render(menu.get());
    // Only the selected row carries the tick, drawn in its last 32 points.
    const QImage tickArea = menuImage.copy(QRect(188, 4 + 3 * 34, 32, 34));
    const QImage otherTickArea = menuImage.copy(QRect(188, 4, 32, 34));
    auto blueish = [](const QImage &img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                n += (c.blue() > 200 && c.red() < 120) ? 1 : 0;
            }
        return n;
    };
    EXPECT_GT(blueish(tickArea), 0);
    EXPECT_EQ(blueish(otherTickArea), 0);
}

TEST(RenderTest, TipBannerIsReadable)
{
    VirtualClockScope clock;
    QWidget view;
    view.resize(600, 200);
    view.setStyleSheet("background: #202124;");
    view.show();
    const QString text = QStringLiteral("屏幕共享失败，请重新选择共享内容");
    VeskMeetingToast::showErrorTip(&view, text);
    clock.clock.advance(VeskMeetingToast::kFadeIn);
    QWidget *tip = VeskMeetingToast::currentTip(&view);
    ASSERT_NE(tip, nullptr);
    // The whole text fits, in white on the opaque red banner, from its first to its last character.
    EXPECT_GE(tip->width(), QFontMetrics(tip->font()).horizontalAdvance(text));
    const QImage banner = view.grab(tip->geometry()).toImage();
    EXPECT_EQ(banner.pixelColor(4, banner.height() / 2).rgb(), QColor("#FF656B").rgb());
    const int middle = banner.width() / 2;
    int whiteLeft = 0;
    int whiteRight = 0;
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x) {
            const QColor c = banner.pixelColor(x, y);
            if (c.red() > 235 && c.green() > 235 && c.blue() > 235)
                ++(x < middle ? whiteLeft : whiteRight);
        }
    }
    EXPECT_GT(whiteLeft, 20);
    EXPECT_GT(whiteRight, 20);
}
