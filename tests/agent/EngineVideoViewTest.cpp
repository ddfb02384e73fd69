#include "agent/engine/KRTCVideoView.h"
#include "support/TestEvents.h"

#include <QCoreApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <thread>

namespace {

KRTCVideoFrame solid(QSize size, QColor colour)
{
    KRTCVideoFrame frame;
    frame.image = QImage(size, QImage::Format_RGB32);
    frame.image.fill(colour);
    return frame;
}

// Left half red, right half blue.
KRTCVideoFrame split(QSize size)
{
    KRTCVideoFrame frame = solid(size, Qt::red);
    for (int y = 0; y < size.height(); ++y)
        for (int x = size.width() / 2; x < size.width(); ++x)
            frame.image.setPixelColor(x, y, Qt::blue);
    return frame;
}

QImage paint(KRTCVideoView &view)
{
    QImage out(view.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    view.render(&out);
    return out;
}

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) < 16 && qAbs(a.green() - b.green()) < 16 && qAbs(a.blue() - b.blue()) < 16;
}

class EngineVideoView : public ::testing::Test {
protected:
    void TearDown() override { KRTCVideoView::setPreviewMirror(true); }
};

TEST_F(EngineVideoView, FramesFromAForeignThread_TheLatestIsPainted)
{
    KRTCVideoView view;
    view.resize(80, 60);
    EXPECT_FALSE(view.hasFrame());
    EXPECT_TRUE(near(paint(view).pixelColor(40, 30), Qt::black)) << "no frame yet: background";

    std::thread render([&view] {
        for (int i = 0; i < 50; ++i)
            view.renderFrame(solid({80, 60}, i % 2 ? Qt::red : Qt::green), false);
        view.renderFrame(solid({80, 60}, Qt::blue), false);
    });
    render.join();
    QCoreApplication::processEvents();

    EXPECT_TRUE(view.hasFrame());
    EXPECT_TRUE(near(paint(view).pixelColor(40, 30), Qt::blue));

    view.renderFrame(KRTCVideoFrame{}, false);
    EXPECT_TRUE(near(paint(view).pixelColor(40, 30), Qt::blue)) << "an empty frame keeps the last picture";
    view.clearFrame();
    EXPECT_TRUE(near(paint(view).pixelColor(40, 30), Qt::black));
}

TEST_F(EngineVideoView, ContentMode_FitLeavesBarsFillCropsTheOverflow)
{
    KRTCVideoView view;
    view.resize(200, 100);
    // Top half red, bottom half green, square.
    KRTCVideoFrame frame = solid({100, 100}, Qt::red);
    for (int y = 50; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            frame.image.setPixelColor(x, y, Qt::green);
    view.renderFrame(frame, false);

    view.setKrtcContentMode(KRTCVideoView::ContentModeFit);
    QImage fit = paint(view);
    EXPECT_TRUE(near(fit.pixelColor(10, 50), Qt::black)) << "bars left and right";
    EXPECT_TRUE(near(fit.pixelColor(190, 50), Qt::black));
    EXPECT_TRUE(near(fit.pixelColor(100, 10), Qt::red));
    EXPECT_TRUE(near(fit.pixelColor(100, 90), Qt::green));

    view.setKrtcContentMode(KRTCVideoView::ContentModeFill);
    QImage fill = paint(view);
    EXPECT_TRUE(near(fill.pixelColor(2, 30), Qt::red)) << "no bars";
    EXPECT_TRUE(near(fill.pixelColor(197, 70), Qt::green));
    // Scaled to 200x200 and centred: only the middle band shows.
    EXPECT_TRUE(near(fill.pixelColor(100, 2), Qt::red));
    EXPECT_TRUE(near(fill.pixelColor(100, 97), Qt::green));

    view.setKrtcContentMode(7);
    EXPECT_EQ(view.krtcContentMode(), KRTCVideoView::ContentModeFit) << "unknown modes fit";
}

TEST_F(EngineVideoView, Mirror_OnlyTheOwnPictureAndOnlyWhileThePreviewMirrorIsOn)
{
    KRTCVideoView view;
    view.resize(100, 50);

    view.renderFrame(split({100, 50}), true);
    KRTCVideoView::setPreviewMirror(true);
    EXPECT_TRUE(near(paint(view).pixelColor(10, 25), Qt::blue)) << "own picture mirrored";
    EXPECT_TRUE(near(paint(view).pixelColor(90, 25), Qt::red));

    KRTCVideoView::setPreviewMirror(false);
    EXPECT_TRUE(near(paint(view).pixelColor(10, 25), Qt::red));

    KRTCVideoView::setPreviewMirror(true);
    view.renderFrame(split({100, 50}), false);
    EXPECT_TRUE(near(paint(view).pixelColor(10, 25), Qt::red)) << "others are never mirrored";
}

// Each view held the engine's full-size frame for ever and scaled it in every paint.
TEST_F(EngineVideoView, AFrameIsKeptAtTheViewsSize_AndAStoppedVideoKeepsNone)
{
    KRTCVideoView view;
    view.resize(160, 90);
    (void)paint(view);
    view.renderFrame(solid({640, 360}, Qt::red), false);
    EXPECT_EQ(view.latestFrame().image.size(), QSize(160, 90));
    EXPECT_TRUE(near(paint(view).pixelColor(80, 45), Qt::red));

    view.setVideoStopped(true);
    EXPECT_FALSE(view.hasFrame());
    view.renderFrame(solid({640, 360}, Qt::red), false); // already on its way
    EXPECT_FALSE(view.hasFrame());
    EXPECT_TRUE(near(paint(view).pixelColor(80, 45), Qt::black));
    view.setVideoStopped(false);
    view.renderFrame(solid({640, 360}, Qt::green), false);
    EXPECT_TRUE(near(paint(view).pixelColor(80, 45), Qt::green));
}

// A tile scrolled out of sight but kept receiving (to be ready when it comes back) pays for
// neither scaling nor painting its frames; back in sight it shows the latest at once.
TEST_F(EngineVideoView, OffScreen_FramesNeitherScaledNorPainted_TheLatestShownOnReturn)
{
    KRTCVideoView view;
    view.resize(160, 90);
    PaintCounter paints(&view);
    view.show();
    ASSERT_TRUE(processEventsUntil([&] { return paints.count() > 0; }));
    view.renderFrame(solid({640, 360}, Qt::red), false);
    ASSERT_TRUE(processEventsUntil([&] { return near(paint(view).pixelColor(80, 45), Qt::red); }));

    view.setOnScreen(false);
    ASSERT_TRUE(drainMainQueue());
    const int before = paints.count();
    std::thread render([&view] {
        view.renderFrame(solid({640, 360}, Qt::green), false);
        view.renderFrame(solid({640, 360}, Qt::blue), false);
    });
    render.join();
    ASSERT_TRUE(drainMainQueue());
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count(), before) << "no repaint for a frame nobody sees";
    EXPECT_EQ(view.latestFrame().image.size(), QSize(640, 360)) << "kept as it came, not scaled";

    view.setOnScreen(true);
    EXPECT_EQ(view.latestFrame().image.size(), QSize(160, 90)) << "scaled once, on its return";
    EXPECT_TRUE(near(paint(view).pixelColor(80, 45), Qt::blue)) << "the latest frame";
    view.renderFrame(solid({640, 360}, Qt::yellow), false);
    EXPECT_EQ(view.latestFrame().image.size(), QSize(160, 90)) << "on screen again: scaled as they come";

    view.setOnScreen(false);
    view.renderFrame(solid({640, 360}, Qt::red), false);
    view.setVideoStopped(true);
    view.setOnScreen(true);
    EXPECT_FALSE(view.hasFrame()) << "a stopped video keeps none, seen or not";
}

TEST_F(EngineVideoView, DestroyedWithARepaintQueued_NoCrash)
{
    auto doomed = std::make_unique<KRTCVideoView>();
    KRTCVideoView survivor;
    survivor.resize(40, 40);
    PaintCounter paints(&survivor);
    survivor.show();
    ASSERT_TRUE(processEventsUntil([&] { return paints.count() > 0; }));
    ASSERT_TRUE(drainMainQueue());
    const int before = paints.count();
    std::thread render([&] {
        doomed->renderFrame(solid({40, 40}, Qt::red), false);
        survivor.renderFrame(solid({40, 40}, Qt::red), false);
    });
    render.join();
    doomed.reset(); // its queued repaint dies with it
    // The repaint queued after it arrives: the dead view's had its turn before.
    ASSERT_TRUE(processEventsUntil([&] { return paints.count() > before; }));
}

} // namespace
