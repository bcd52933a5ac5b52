#include "tools/zellwick-drawres/SoundArt.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace drawres {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kAttack = 0.006; // seconds: long enough to avoid a click, short enough to ring
constexpr double kRelease = 0.1;  // seconds of fade to silence at the very end
constexpr double kPeak = 0.6;     // of full scale: clearly audible, never harsh

struct Partial
{
    double ratio; // of the fundamental
    double gain;
    double decay; // of the note's decay time
};

using Timbre = std::vector<Partial>;

// A struck tone, added into the buffer: a raised-cosine attack, then each partial dies away
// exponentially on its own time.
void Strike(std::vector<double>& buffer, double start, double frequency, double amplitude,
            double decaySeconds, const Timbre& timbre)
{
    const auto first = static_cast<std::size_t>(start * kSampleRate);
    for (std::size_t n = first; n < buffer.size(); ++n) {
        const double t = static_cast<double>(n - first) / kSampleRate;
        const double attack =
            t < kAttack ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / kAttack) : 1.0;
        double value = 0.0;
        for (const Partial& partial : timbre) {
            value += partial.gain * std::exp(-t / (decaySeconds * partial.decay)) *
                     std::sin(kTwoPi * frequency * partial.ratio * t);
        }
        buffer[n] += amplitude * attack * value;
    }
}

// Scales to the common peak, fades the tail to exact silence and converts to 16 bits.
Samples Finish(std::vector<double> buffer)
{
    double peak = 0.0;
    for (double v : buffer)
        peak = std::max(peak, std::abs(v));
    const double scale = peak > 0.0 ? kPeak / peak : 0.0;
    const auto releaseSamples = static_cast<std::size_t>(kRelease * kSampleRate);
    Samples samples(buffer.size());
    for (std::size_t n = 0; n < buffer.size(); ++n) {
        double gain = scale;
        const std::size_t left = buffer.size() - 1 - n;
        if (left < releaseSamples)
            gain *= 0.5 - 0.5 * std::cos(std::numbers::pi * left / releaseSamples);
        samples[n] = static_cast<std::int16_t>(std::lround(buffer[n] * gain * 32767.0));
    }
    return samples;
}

std::vector<double> Silence(double seconds)
{
    return std::vector<double>(static_cast<std::size_t>(seconds * kSampleRate), 0.0);
}

void PutLe(QByteArray& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

Samples SynthHandsAlarm()
{
    // Marimba-like: the fourth partial gives the wooden knock and dies quickly.
    const Timbre marimba = {{1.0, 1.0, 1.0}, {2.0, 0.12, 0.5}, {4.0, 0.22, 0.25}};
    std::vector<double> buffer = Silence(1.1);
    Strike(buffer, 0.00, 783.99, 0.9, 0.26, marimba);  // G5
    Strike(buffer, 0.16, 1046.50, 1.0, 0.30, marimba); // C6
    return Finish(std::move(buffer));
}

Samples SynthVppAlarm()
{
    const Timbre bright = {{1.0, 1.0, 1.0}, {2.0, 0.28, 0.55}, {3.0, 0.1, 0.35}};
    std::vector<double> buffer = Silence(1.1);
    Strike(buffer, 0.00, 987.77, 0.8, 0.20, bright);  // B5
    Strike(buffer, 0.08, 1318.51, 0.9, 0.22, bright); // E6
    Strike(buffer, 0.16, 1975.53, 0.7, 0.26, bright); // B6
    return Finish(std::move(buffer));
}

Samples SynthTimeAlarm()
{
    // Bell-like: inharmonic overtones of a struck bar.
    const Timbre bell = {{1.0, 1.0, 1.0}, {2.756, 0.3, 0.45}, {5.404, 0.08, 0.22}};
    std::vector<double> buffer = Silence(1.4);
    for (int i = 0; i < 3; ++i)
        Strike(buffer, 0.26 * i, 1174.66, i == 2 ? 1.0 : 0.85, 0.24, bell); // D6
    return Finish(std::move(buffer));
}

bool WriteWave(const QString& file, const Samples& samples)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    QByteArray out;
    out.append("RIFF");
    PutLe(out, 36 + dataBytes, 4);
    out.append("WAVE");
    out.append("fmt ");
    PutLe(out, 16, 4);
    PutLe(out, 1, 2); // PCM
    PutLe(out, 1, 2); // mono
    PutLe(out, kSampleRate, 4);
    PutLe(out, kSampleRate * 2, 4); // bytes per second
    PutLe(out, 2, 2);               // bytes per frame
    PutLe(out, 16, 2);              // bits per sample
    out.append("data");
    PutLe(out, dataBytes, 4);
    for (std::int16_t sample : samples)
        PutLe(out, static_cast<std::uint16_t>(sample), 2);

    QFile wave(file);
    return wave.open(QIODevice::WriteOnly | QIODevice::Truncate) && wave.write(out) == out.size();
}

} // namespace drawres
