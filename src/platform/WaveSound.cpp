#include "platform/WaveSound.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <mmsystem.h>
#endif

namespace WaveSound {

#ifdef Q_OS_WIN

bool play(const QByteArray& wav)
{
    // SND_NODEFAULT: a sound the system cannot play is no reason for the system's own beep.
    return PlaySoundW(reinterpret_cast<LPCWSTR>(wav.constData()), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT) !=
           FALSE;
}

#else

bool play(const QByteArray&)
{
    return false;
}

#endif

} // namespace WaveSound
