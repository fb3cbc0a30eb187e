#pragma once

#include <windows.h>

#include <mmsystem.h>

#include "foundation/LumivexApi.h"

// The waveOut calls FCWaveDevice makes. Tests put failing ones in to see
// the no-device road; null puts the system's back.
struct WaveOutCalls {
    decltype(&waveOutGetNumDevs) getNumDevs;
    decltype(&waveOutGetDevCapsA) getDevCaps;
    decltype(&waveOutOpen) open;
    decltype(&waveOutClose) close;
    decltype(&waveOutPrepareHeader) prepareHeader;
    decltype(&waveOutUnprepareHeader) unprepareHeader;
    decltype(&waveOutWrite) write;
    decltype(&waveOutReset) reset;
    decltype(&waveOutGetErrorTextA) getErrorText;
};

LUMIVEX_API void setWaveOutCalls(const WaveOutCalls* calls);
// The system's calls, for tests that replace only some.
LUMIVEX_API const WaveOutCalls& systemWaveOutCalls();
