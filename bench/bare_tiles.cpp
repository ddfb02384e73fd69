// bare_tiles VIDEO SECONDS: the yardstick of the meeting benchmark. A plain Qt program doing the
// visible work of a meeting window whose grid shows 9 tiles in 1400 x 804: VIDEO tiles show a
// 320 x 180 picture made 15 times a second (a still background drawn once, a moving ball drawn
// per frame, as a camera stream of the small size would arrive), scaled into the tile, under a
// name bar with a microphone level; the other tiles are audio cards. After two seconds it
// measures its own CPU time for SECONDS and prints "cpu=<share of one core>", then quits.

#include "BenchProcess.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWidget>
#include <QtMath>

#include <cstdio>
#include <cstdlib>

namespace {

class Tile final : public QWidget {
public:
    Tile(int index, bool video, QWidget *parent) : QWidget(parent), m_index(index), m_video(video)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_name = QStringLiteral("成员%1").arg(index);
        if (!m_video)
            return;
        // The still part of the picture, once.
        m_background = QImage(320, 180, QImage::Format_RGB32);
        const int hue = (index * 47) % 360;
        QPainter p(&m_background);
        QLinearGradient g(0, 0, 320, 180);
        g.setColorAt(0, QColor::fromHsv(hue, 120, 110));
        g.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 160, 50));
        p.fillRect(m_background.rect(), g);
        QFont f = p.font();
        f.setPixelSize(22);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(m_background.rect(), Qt::AlignCenter, m_name);
    }

    void tick(qint64 n)
    {
        if (m_video) {
            m_frame = m_background.copy();
            QPainter p(&m_frame);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor::fromHsv((m_index * 47 + 180) % 360, 200, 230));
            const double angle = double(n) * 0.12;
            p.drawEllipse(QPointF(160 + 54 * qCos(angle), 90 + 54 * qSin(angle)), 14.4, 14.4);
        }
        // Three levels a second.
        if (n % 5 == 0)
            m_level = 0.2 + 0.8 * qAbs(qSin(double(n) * 0.07 + m_index));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(8, 8, 8));
        if (m_video && !m_frame.isNull()) {
            const QSize target = m_frame.size().scaled(size(), Qt::KeepAspectRatio);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRectF(QPointF((width() - target.width()) / 2.0, (height() - target.height()) / 2.0), target),
                        m_frame);
        } else {
            const double side = std::min(width(), height()) * 0.32;
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x0A, 0x8A, 0xF9));
            const QRectF circle((width() - side) / 2, (height() - side) / 2 - 15, side, side);
            p.drawEllipse(circle);
            QFont f = p.font();
            f.setPixelSize(int(side * 0.4));
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(circle, Qt::AlignCenter, m_name.left(1));
        }
        // Name bar with the microphone's level.
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF bar(4, height() - 34, 120, 30);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(8, 8, 8, 178));
        p.drawRoundedRect(bar, 15, 15);
        const QRectF mic(bar.x() + 4, bar.y() + 5, 20, 20);
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawRoundedRect(mic.adjusted(6, 1, -6, -5), 4, 4);
        p.setBrush(QColor(0x3C, 0xD2, 0x6F));
        const double filled = (mic.height() - 6) * m_level;
        p.drawRect(QRectF(mic.x() + 6, mic.bottom() - 5 - filled, mic.width() - 12, filled));
        QFont f = p.font();
        f.setPointSize(16);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(bar.adjusted(28, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, m_name);
    }

private:
    int m_index;
    bool m_video;
    QString m_name;
    QImage m_background;
    QImage m_frame;
    double m_level = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int video = argc > 1 ? std::atoi(argv[1]) : 8;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10;

    QWidget window;
    window.setWindowTitle(QStringLiteral("会议中"));
    window.resize(1400, 804);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, Qt::black);
    window.setPalette(pal);
    QList<Tile *> tiles;
    const double w = (1400 - 2 * 2) / 3.0;
    const double h = (804 - 4 - 2 * 2) / 3.0;
    for (int i = 0; i < 9; ++i) {
        auto *tile = new Tile(i, i < video, &window);
        tile->setGeometry(QRectF((i % 3) * (w + 2), (i / 3) * (h + 2), w, h).toRect());
        tiles << tile;
    }
    window.show();

    qint64 n = 0;
    QTimer frames;
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, [&] {
        ++n;
        for (Tile *t : tiles)
            t->tick(n);
    });
    frames.start(66);

    bench::CpuShare cpu;
    QTimer::singleShot(2000, [&] {
        cpu.start();
        QTimer::singleShot(int(seconds * 1000), [&] {
            std::printf("cpu=%.5f\n", cpu.share());
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    });
    return QApplication::exec();
}
