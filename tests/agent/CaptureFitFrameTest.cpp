#include "agent/engine/DesktopCaptureSource.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// A picture as an X server hands it: 32-bit pixels whose padding byte is 0.
QImage xPicture(QSize size, quint32 colour)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(picture.scanLine(y));
        std::fill(line, line + size.width(), colour & 0x00ffffffu);
    }
    return picture;
}

quint32 raw(const QImage &image, int x, int y)
{
    return reinterpret_cast<const quint32 *>(image.constScanLine(y))[x];
}

TEST(CaptureFitFrame, TheLevelsSizes_ScaledKeepingTheAspect_CentredOnBlack_Opaque)
{
    // A 16:10 screen into 16:9 levels: bars left and right.
    const QImage screen = xPicture({1280, 800}, 0x204080);
    for (const QSize level : {QSize(640, 360), QSize(1280, 720), QSize(1920, 1080)}) {
        const QImage frame = DesktopCaptureSource::fitFrame(screen, level);
        ASSERT_EQ(frame.size(), level);
        EXPECT_EQ(frame.format(), QImage::Format_RGB32);
        const int shown = level.height() * 1280 / 800;
        const int bar = (level.width() - shown) / 2;
        EXPECT_EQ(raw(frame, bar - 1, level.height() / 2), 0xff000000u) << level.width() << ": the left bar";
        EXPECT_EQ(raw(frame, bar + shown, level.height() / 2), 0xff000000u) << "the right bar";
        for (const QPoint at : {QPoint(bar, 0), QPoint(bar + shown - 1, level.height() - 1),
                                QPoint(level.width() / 2, level.height() / 2)})
            EXPECT_EQ(raw(frame, at.x(), at.y()), 0xff204080u)
                << level.width() << ": the picture, opaque, at " << at.x();
    }
    // A tall window into a wide level: bars above and below.
    const QImage tall = DesktopCaptureSource::fitFrame(xPicture({300, 600}, 0x00c000), {640, 360});
    EXPECT_EQ(raw(tall, 320, 180), 0xff00c000u);
    EXPECT_EQ(raw(tall, 100, 180), 0xff000000u);
}

TEST(CaptureFitFrame, FineLinesAndEdges_KeepTheirMeanColour_NeitherDroppedNorSmeared)
{
    // One-pixel stripes, black and white, halved: every pixel is their mean, none is lost to a
    // nearest pick that would see only the black ones or only the white ones.
    QImage stripes = xPicture({400, 200}, 0);
    for (int y = 0; y < 200; ++y) {
        for (int x = 1; x < 400; x += 2)
            reinterpret_cast<quint32 *>(stripes.scanLine(y))[x] = 0xffffff;
    }
    const QImage half = DesktopCaptureSource::fitFrame(stripes, {200, 100});
    for (const QPoint at : {QPoint(0, 0), QPoint(77, 31), QPoint(198, 98)}) {
        const QRgb pixel = half.pixel(at);
        EXPECT_NEAR(qRed(pixel), 0x80, 1) << at.x();
        EXPECT_NEAR(qGreen(pixel), 0x80, 1);
    }
    // Two halves, red and blue: away from the edge each keeps its own colour.
    QImage halves = xPicture({300, 99}, 0xff0000);
    for (int y = 0; y < 99; ++y) {
        auto *line = reinterpret_cast<quint32 *>(halves.scanLine(y));
        std::fill(line + 150, line + 300, 0x0000ffu);
    }
    const QImage third = DesktopCaptureSource::fitFrame(halves, {100, 33});
    EXPECT_EQ(third.pixel(10, 16), qRgb(0xff, 0, 0));
    EXPECT_EQ(third.pixel(90, 16), qRgb(0, 0, 0xff));
    EXPECT_EQ(third.pixel(99, 32), qRgb(0, 0, 0xff)) << "the last column and row";

    // A ramp of two steps per three columns, at a third of its width (a level's share of the
    // screen): each pixel is the mean of the two columns at its own place, in order.
    QImage ramp = xPicture({384, 30}, 0);
    for (int y = 0; y < 30; ++y) {
        auto *line = reinterpret_cast<quint32 *>(ramp.scanLine(y));
        for (int x = 0; x < 384; ++x)
            line[x] = quint32(2 * x / 3) << 16 | quint32(y) << 8;
    }
    const QImage small = DesktopCaptureSource::fitFrame(ramp, {128, 10});
    for (int x = 0; x < 128; ++x) {
        EXPECT_NEAR(qRed(small.pixel(x, 4)), 2 * x + 0.5, 1) << "column " << x;
        EXPECT_NEAR(qGreen(small.pixel(x, 4)), 14, 1) << "its row, with the next";
    }
}

TEST(CaptureFitFrame, TheSourcesOwnSize_HandedOnAsItIs_OtherFormatsConverted)
{
    const QImage screen = xPicture({64, 48}, 0x123456);
    const QImage same = DesktopCaptureSource::fitFrame(screen, {64, 48});
    EXPECT_EQ(same.constBits(), screen.constBits()) << "no copy at the source's own size";
    EXPECT_EQ(DesktopCaptureSource::fitFrame(screen, {}).constBits(), screen.constBits()) << "nor without a size";

    QImage argb(32, 32, QImage::Format_ARGB32);
    argb.fill(qRgba(0x20, 0x40, 0x60, 0xff));
    const QImage converted = DesktopCaptureSource::fitFrame(argb, {16, 16});
    EXPECT_EQ(converted.format(), QImage::Format_RGB32);
    EXPECT_EQ(converted.pixel(8, 8), qRgb(0x20, 0x40, 0x60));
    EXPECT_TRUE(DesktopCaptureSource::fitFrame(QImage(), {16, 16}).isNull());
    EXPECT_EQ(DesktopCaptureSource::fitFrame(xPicture({1, 1}, 0xabcdef), {640, 360}).pixel(320, 180),
              qRgb(0xab, 0xcd, 0xef))
        << "a single pixel fills the frame";
}

} // namespace
