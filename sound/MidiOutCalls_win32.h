#pragma once

#include <windows.h>

#include <mmsystem.h>

#include "foundation/LumivexApi.h"

// The midiOut calls FCMidi makes. Tests put a device of their own in, since
// a test machine may have none; null puts the system's back.
struct MidiOutCalls {
    decltype(&midiOutGetDevCapsA) getDevCaps;
    decltype(&midiOutOpen) open;
    decltype(&midiOutClose) close;
    decltype(&midiOutShortMsg) shortMsg;
    decltype(&midiOutLongMsg) longMsg;
    decltype(&midiOutPrepareHeader) prepareHeader;
    decltype(&midiOutUnprepareHeader) unprepareHeader;
    decltype(&midiOutReset) reset;
};

LUMIVEX_API void setMidiOutCalls(const MidiOutCalls* calls);
