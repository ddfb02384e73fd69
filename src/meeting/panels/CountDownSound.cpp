#include "meeting/panels/CountDownSound.h"

#include "agent/engine/MediaBackend.h"
#include "foundation/AppPaths.h"
#include "meeting/common/MeetingLog.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSoundEffect>
#include <QUrl>

#include <QtEndian>

#include <cmath>
#include <numbers>

namespace {

constexpr int kSampleRate = 16000;
constexpr double kLengthSeconds = 3.0;

void appendLe32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void appendLe16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

// The file the player reads; written once per process when missing or different.
QString soundFile()
{
    const QString dir = AppPaths::cacheDir() + QStringLiteral("/sounds");
    if (!QDir().mkpath(dir))
        return {};
    const QString path = dir + QStringLiteral("/countdown-end.wav");
    const QByteArray data = CountDownSoundPlayer::wavData();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == data)
        return path;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        qCWarning(lcMeeting) << "count-down sound not written:" << path;
        return {};
    }
    return path;
}

class QtSoundPlayer final : public CountDownSoundPlayer {
public:
    explicit QtSoundPlayer(const QString &path) : m_source(QUrl::fromLocalFile(path)) {}

    void play() override
    {
        // Made on first use: most displays never reach their last three seconds.
        if (!m_effect) {
            // Until the media back-ends exist, making one would load them here and wait for the
            // sound server on the main thread; the display asked for them when it was made.
            if (!MediaBackend::isReady()) {
                qCInfo(lcMeeting) << "count-down sound skipped: the media back-ends are not ready";
                return;
            }
            m_effect = std::make_unique<QSoundEffect>();
            m_effect->setSource(m_source);
            m_effect->setVolume(0.5f);
        }
        m_effect->play();
    }
    void stop() override
    {
        if (m_effect)
            m_effect->stop();
    }
    [[nodiscard]] bool isPlaying() const override { return m_effect && m_effect->isPlaying(); }

private:
    QUrl m_source;
    std::unique_ptr<QSoundEffect> m_effect;
};

CountDownSoundPlayer::Factory &installed()
{
    static CountDownSoundPlayer::Factory factory;
    return factory;
}

} // namespace

std::unique_ptr<CountDownSoundPlayer> CountDownSoundPlayer::make()
{
    if (installed())
        return installed()();
    static const QString path = soundFile();
    if (path.isEmpty())
        return nullptr;
    // Ready long before the display's last three seconds.
    MediaBackend::start();
    return std::make_unique<QtSoundPlayer>(path);
}

void CountDownSoundPlayer::installFactory(Factory factory)
{
    installed() = std::move(factory);
}

QByteArray CountDownSoundPlayer::wavData()
{
    const int frames = int(kSampleRate * kLengthSeconds);
    QByteArray pcm;
    pcm.reserve(frames * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / kSampleRate;
        // A beep at each of the last three seconds, the last one higher.
        const int beep = std::min(2, int(t));
        const double since = t - beep;
        double v = 0;
        if (since < 0.4) {
            const double pitch = beep == 2 ? 1320.0 : 880.0;
            const double attack = std::min(1.0, since / 0.005);
            v = 0.45 * attack * std::exp(-since * 9.0) * std::sin(2 * std::numbers::pi * pitch * t);
        }
        appendLe16(pcm, quint16(qint16(std::lround(v * 32767))));
    }
    QByteArray out;
    out.append("RIFF", 4);
    appendLe32(out, quint32(36 + pcm.size()));
    out.append("WAVEfmt ", 8);
    appendLe32(out, 16);
    appendLe16(out, 1); // PCM
    appendLe16(out, 1); // mono
    appendLe32(out, kSampleRate);
    appendLe32(out, kSampleRate * 2);
    appendLe16(out, 2);
    appendLe16(out, 16);
    out.append("data", 4);
    appendLe32(out, quint32(pcm.size()));
    out.append(pcm);
    return out;
}
