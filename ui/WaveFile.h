#pragma once

// The program's own check of a WAV file before it reaches the sound library, which can hang
// for good on a file it cannot read. Only what the library plays is let through.

#include <QString>

// Empty when path names a regular file holding a RIFF WAVE with a "fmt " chunk of plain PCM
// (8, 16, 24 or 32 bits) or 32-bit float, 1 to 8 channels at a positive rate, and a "data"
// chunk of whole frames, not empty, that lies inside the file; otherwise what is wrong with
// it, in a few words. Reads only the chunk headers, never blocks on a pipe or a device.
QString WaveProblem(const QString& path);
