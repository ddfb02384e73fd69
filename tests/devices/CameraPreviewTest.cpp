#include "FrameSupport.h"

#include "devices/video/CameraPreviewView.h"
#include "support/TestEvents.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <thread>

using namespace FrameSupport;

namespace {

QImage show(CameraPreviewView &view, const QImage &picture)
{
    view.videoSink()->setVideoFrame(frameOf(picture));
    QCoreApplication::processEvents();
    return view.grab().toImage();
}

} // namespace

TEST(CameraPreviewView, MirrorModeShowsThePictureAsAMirrorDoes)
{
    const MediaReady media;
    CameraPreviewView view;
    view.resize(200, 100);
    const QImage picture = halves({200, 100}, Qt::red, Qt::blue);

    view.setMirrorMode(false); // as the camera sees it
    QImage shown = show(view, picture);
    EXPECT_TRUE(near(shown.pixelColor(20, 50), Qt::red));
    EXPECT_TRUE(near(shown.pixelColor(180, 50), Qt::blue));

    view.setMirrorMode(true); // flipped left to right
    shown = view.grab().toImage();
    EXPECT_TRUE(near(shown.pixelColor(20, 50), Qt::blue));
    EXPECT_TRUE(near(shown.pixelColor(180, 50), Qt::red));
}

TEST(CameraPreviewView, FillModeCropsAndFitModeLetterboxes)
{
    const MediaReady media;
    CameraPreviewView view;
    view.resize(100, 100);
    view.setMirrorMode(false);
    // A wide picture whose outer quarters are green: fill crops them away.
    QImage picture = halves({200, 100}, Qt::red, Qt::blue);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 50; ++x) {
            picture.setPixelColor(x, y, Qt::green);
            picture.setPixelColor(199 - x, y, Qt::green);
        }
    }

    view.setFillMode(false);
    QImage shown = show(view, picture);
    // Fit: 100 x 50 in the middle, black above and below.
    EXPECT_TRUE(near(shown.pixelColor(50, 5), Qt::black));
    EXPECT_TRUE(near(shown.pixelColor(50, 95), Qt::black));
    EXPECT_TRUE(near(shown.pixelColor(5, 50), Qt::green));
    EXPECT_TRUE(near(shown.pixelColor(35, 50), Qt::red));

    view.setFillMode(true);
    shown = view.grab().toImage();
    // Fill: the middle 100 x 100 of the 200 x 100 picture, no bars.
    EXPECT_TRUE(near(shown.pixelColor(50, 2), Qt::red) || near(shown.pixelColor(50, 2), Qt::blue));
    EXPECT_TRUE(near(shown.pixelColor(10, 50), Qt::red));
    EXPECT_TRUE(near(shown.pixelColor(90, 50), Qt::blue));
    EXPECT_TRUE(near(shown.pixelColor(10, 97), Qt::red));
}

TEST(CameraPreviewView, TargetRectCentresFitAndFill)
{
    EXPECT_EQ(CameraPreviewView::targetRect({640, 480}, {320, 180}, false), QRectF(40, 0, 240, 180));
    EXPECT_EQ(CameraPreviewView::targetRect({640, 480}, {320, 180}, true), QRectF(0, -30, 320, 240));
    EXPECT_TRUE(CameraPreviewView::targetRect({0, 0}, {320, 180}, true).isNull());
}

TEST(CameraPreviewView, FramesFromAnotherThreadAreShownOnTheMainThread)
{
    const MediaReady media;
    CameraPreviewView view;
    view.resize(40, 20);
    view.setMirrorMode(false);
    PaintCounter paints(&view);
    view.show();
    ASSERT_TRUE(processEventsUntil([&] { return paints.count() > 0; }));
    const int before = paints.count();
    std::thread camera([&] {
        for (int i = 0; i < 50; ++i)
            view.videoSink()->setVideoFrame(frameOf(halves({40, 20}, Qt::yellow, Qt::yellow)));
    });
    camera.join();
    EXPECT_TRUE(view.hasFrame());
    // The camera thread asked for a repaint; the main thread delivers it.
    ASSERT_TRUE(processEventsUntil([&] { return paints.count() > before; }));
    EXPECT_TRUE(near(view.grab().toImage().pixelColor(20, 10), Qt::yellow));

    view.clear();
    EXPECT_FALSE(view.hasFrame());
    EXPECT_TRUE(near(view.grab().toImage().pixelColor(20, 10), Qt::black));
}
