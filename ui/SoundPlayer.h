#pragma once

// Where the program's sounds go. Playing is asynchronous: the call returns at once, and a new
// sound replaces the one still playing. The program has one player; tests pass one that
// records what it was asked to play.

#include <QString>

class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // A WAV file chosen by the user.
    virtual void PlayFile(const QString& path) = 0;
    // One of the program's own sounds, by its resource number.
    virtual void PlayResource(int id) = 0;
};
