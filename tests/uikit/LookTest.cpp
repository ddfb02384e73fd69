#include "connection/KVImageLoader.h"
#include "connection/KVTls.h"
#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "foundation/KVClock.h"
#include "uikit/KVCustomButton.h"
#include "uikit/KVFlatView.h"
#include "uikit/KVHoverBorderView.h"
#include "uikit/MacBorderView.h"
#include "uikit/QFFlatButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskImageView.h"
#include "uikit/VeskMaskView.h"
#include "uikit/VeskTableRowView.h"
#include "uikit/VeskTextView.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
QImage render(QWidget *w)
{
    QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

int pixelsOf(const QImage &img, const QColor &c, int tolerance = 0)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            n += (p.alpha() == 255 && std::abs(p.red() - c.red()) <= tolerance &&
                  std::abs(p.green() - c.green()) <= tolerance && std::abs(p.blue() - c.blue()) <= tolerance)
                     ? 1
                     : 0;
        }
    return n;
}
} // namespace

TEST(LookTest, TextViewDrawsItsGreyPlaceholderOnlyWhileEmpty)
{
    VeskTextView view;
    view.resize(200, 60);
    view.show();
    // Right of where a short text ends, the view looks as it does without a placeholder.
    const QRect band(60, 0, 130, 30);
    const QImage baseline = render(&view).copy(band);
    view.setPlaceHolderString("请输入消息，最多五百字");
    EXPECT_EQ(view.accessibleName(), "请输入消息，最多五百字");
    const QImage withPlaceholder = render(&view);
    EXPECT_NE(withPlaceholder.copy(band), baseline);
    EXPECT_GT(pixelsOf(withPlaceholder, QColor("#999999"), 60), 0);
    view.setString("hi");
    EXPECT_EQ(render(&view).copy(band), baseline);
}

TEST(LookTest, RowAndBorderViewsPaintTheirColours)
{
    VeskTableRowView row;
    row.resize(100, 30);
    row.setHighlightColor(QColor("#2B2C31"));
    EXPECT_EQ(pixelsOf(render(&row), QColor("#2B2C31")), 0);
    row.setSelected(true);
    EXPECT_EQ(pixelsOf(render(&row), QColor("#2B2C31")), 100 * 30);

    KVHoverBorderView field;
    field.resize(120, 32);
    EXPECT_EQ(pixelsOf(render(&field), QColor("#007AFF"), 30), 0);
    field.setAlwaysHighlight(true);
    EXPECT_TRUE(field.isHighlighted());
    EXPECT_GT(pixelsOf(render(&field), QColor("#007AFF"), 30), 100);

    MacBorderView border;
    border.resize(50, 50);
    border.setBorderColor(QColor("#666565"));
    EXPECT_EQ(pixelsOf(render(&border), QColor("#666565")), 50 * 4 - 4);

    KVFlatView flat;
    flat.resize(80, 40);
    flat.setBackgroundColor(QColor("#37383D"));
    flat.setCornerRadius(3);
    EXPECT_GT(pixelsOf(render(&flat), QColor("#37383D")), 80 * 40 - 40);
    flat.setShadowColor(QColor(0, 0, 0, 80));
    flat.setShadowOffset(QPointF(0, -2));
    EXPECT_TRUE(flat.graphicsEffect());

    VeskMaskView mask;
    vesk::setBackgroundColor(&mask, QColor("#080808"));
    mask.resize(10, 10);
    EXPECT_EQ(pixelsOf(render(&mask), QColor("#080808")), 100);
}

TEST(LookTest, FlatAndCustomButtonsKeepTitleStateAndColours)
{
    QFFlatButton button("请选择");
    button.setTitleNormalColor(QColor("#B4B4B4"));
    button.setFont(vesk::systemFont(12));
    button.resize(120, 30);
    EXPECT_EQ(button.title(), "请选择");
    EXPECT_EQ(button.accessibleName().isEmpty() ? button.text() : button.accessibleName(), "请选择");
    EXPECT_GT(pixelsOf(render(&button), QColor("#B4B4B4"), 20), 0);
    button.setState(1);
    EXPECT_EQ(button.state(), 1);
    button.setEnabled(false);
    button.setHidden(true);
    EXPECT_TRUE(button.isHidden());

    KVCustomButton clean("清理");
    clean.resize(60, 24);
    clean.setBackgroundColor(QColor("#007AFF"));
    clean.setTextColor(Qt::white);
    EXPECT_GT(pixelsOf(render(&clean), QColor("#007AFF")), 60 * 24 / 2);
}

TEST(LookTest, CentredWindowSitsInTheMiddleOfTheScreensVisibleArea)
{
    QWidget window;
    window.resize(400, 300);
    vesk::veskCenter(&window);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(window.frameGeometry().center().x(), area.center().x(), 1);
    EXPECT_NEAR(window.frameGeometry().center().y(), area.center().y(), 1);

    QLineEdit field;
    vesk::setPlaceholder(&field, "请输入会议主题", QColor("#B4B4B4"));
    EXPECT_EQ(field.placeholderText(), "请输入会议主题");
    EXPECT_EQ(field.palette().color(QPalette::PlaceholderText), QColor("#B4B4B4"));
}

TEST(ImageViewTest, ShowsThePlaceholderThenTheLoadedImageAndTheLatestAddressWins)
{
    VirtualClockScope clock;
    KVTls::setPlainHttpAllowed(true); // the stand-in speaks plain http, as in development
    const auto production = qScopeGuard([] { KVTls::setPlainHttpAllowed(false); });
    DevService service;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const auto &[name, colour] : {std::pair{"red.png", Qt::red}, std::pair{"green.png", Qt::green}}) {
        QImage img(8, 8, QImage::Format_ARGB32);
        img.fill(colour);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "PNG");
        EXPECT_TRUE(img.save(dir.filePath(QString::fromLatin1(name))));
        service.route("GET", QStringLiteral("/img/") + QString::fromLatin1(name), [png](const DevRequest &) {
            DevReply reply = DevReply::raw(png, "image/png");
            reply.headers.append({QByteArray("Cache-Control"), QByteArray("max-age=3600")});
            return reply;
        });
    }
    ASSERT_TRUE(service.start());
    const QString red = service.baseUrl().toString() + "/img/red.png";
    const QString green = service.baseUrl().toString() + "/img/green.png";
    QLabel label;
    label.setScaledContents(true);
    QPixmap placeholder(8, 8);
    placeholder.fill(Qt::gray);
    const auto shown = [&label] {
        return label.pixmap().isNull() ? QColor() : label.pixmap().toImage().pixelColor(0, 0);
    };

    // The first address's answer is held until after the second one's has landed.
    service.delayNextReply("/img/red.png", 100);
    vesk::setImageWithURL(&label, red, placeholder);
    EXPECT_EQ(shown(), QColor(Qt::gray));
    vesk::setImageWithURL(&label, green, placeholder);
    ASSERT_TRUE(processEventsUntil([&] { return shown() == QColor(Qt::green); }));
    ASSERT_TRUE(processEventsUntil([&] { return service.requestsFor("/img/red.png").size() == 1; }));
    clock.clock.advance(std::chrono::milliseconds(100));
    // The stale picture reached the loader (it is in its cache), and the label ignored it.
    ASSERT_TRUE(processEventsUntil([&] {
        return KVImageLoader::sharedLoader()->isCached(red) && KVImageLoader::sharedLoader()->runningLoads() == 0;
    }));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(shown(), QColor(Qt::green));

    // A failed load keeps the picture shown meanwhile; so does an address from the service that
    // names a local file, which is never read.
    for (const QString &refused :
         {QStringLiteral("not an address"), QUrl::fromLocalFile(dir.filePath("red.png")).toString()}) {
        vesk::setImageWithURL(&label, refused, placeholder);
        EXPECT_EQ(shown(), QColor(Qt::gray));
        ASSERT_TRUE(drainMainQueue()); // the failure is delivered on the main queue
        EXPECT_EQ(shown(), QColor(Qt::gray)) << refused.toStdString();
    }
}
