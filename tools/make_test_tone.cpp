// Writes the audio settings' speaker test sound: three soft rising notes, each faded in and out,
// then a short rest, as raw 48 kHz mono 32-bit float samples (the test unit loops the file).
#include <cmath>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.pcm>\n", argv[0]);
        return 2;
    }
    constexpr int kRate = 48000;
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kNotes[] = {523.25, 659.25, 783.99}; // C5, E5, G5
    constexpr double kNoteSeconds = 0.3;
    constexpr double kFadeSeconds = 0.03;
    constexpr double kRestSeconds = 0.4;
    constexpr double kAmplitude = 0.25;

    std::vector<float> samples;
    for (double frequency : kNotes) {
        const int count = int(kNoteSeconds * kRate);
        const int fade = int(kFadeSeconds * kRate);
        for (int i = 0; i < count; ++i) {
            double gain = 1.0;
            if (i < fade)
                gain = double(i) / fade;
            else if (i > count - fade)
                gain = double(count - i) / fade;
            samples.push_back(float(kAmplitude * gain * std::sin(2.0 * kPi * frequency * i / kRate)));
        }
    }
    samples.resize(samples.size() + std::size_t(kRestSeconds * kRate), 0.0f);

    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    const bool ok = std::fwrite(samples.data(), sizeof(float), samples.size(), out) == samples.size();
    return std::fclose(out) == 0 && ok ? 0 : 1;
}
