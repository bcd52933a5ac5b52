#pragma once

// The three built-in alarm sounds, synthesised: short, soft at both ends, and unlike each
// other, so the player can tell by ear which alarm rang.

#include <QString>

#include <cstdint>
#include <vector>

namespace drawres {

constexpr int kSampleRate = 44100;

using Samples = std::vector<std::int16_t>;

Samples SynthHandsAlarm(); // two warm notes going up
Samples SynthVppAlarm();   // a bright coin-like arpeggio
Samples SynthTimeAlarm();  // a small bell struck three times

// 16-bit PCM, mono, kSampleRate, as a canonical RIFF WAVE file.
bool WriteWave(const QString& file, const Samples& samples);

} // namespace drawres
