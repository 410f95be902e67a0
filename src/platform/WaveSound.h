#pragma once

#include <QByteArray>

// The program's own sounds on Windows: a whole WAV file held in memory, handed to the system's PlaySound, which
// plays it without waiting and stays silent where there is no audio device. (Elsewhere Qt Multimedia plays them.)
namespace WaveSound {

// Starts playing `wav` and answers at once; a sound still playing is cut off. The bytes are read while the
// sound plays, so they must live as long as the program. Answers whether the system took the sound (false
// without an audio device, for bytes that are no WAV, and off Windows).
bool play(const QByteArray& wav);

} // namespace WaveSound
