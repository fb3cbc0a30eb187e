#pragma once

#include <cstdint>

#include "foundation/FCString.h"
#include "foundation/FCSync.h"
#include "foundation/LumivexApi.h"

// The CD audio player. play() starts a player thread that plays one track
// of the first CD audio drive through MCI; stop() ends it, waiting at most
// 10 seconds. Scenario modules reach the members directly: order and width
// are part of the module contract.
class LUMIVEX_API FCCd {
public:
    static constexpr uint32_t kStopWaitMs = 10000;

    FCCd();
    FCCd(const FCCd&) = delete;
    FCCd& operator=(const FCCd&) = delete;
    virtual ~FCCd();

    // Plays track (1 or more) of the CD in the drive; loop plays it again
    // at its end. 0 when it plays, else the MCI error (the drive is missing,
    // holds no audio CD, or has no such track); nothing plays then.
    uint32_t play(int32_t track, bool loop = false);
    // Asks the player thread to end and waits for it, at most 10 seconds.
    void stop();

    // The MCI device the player opened (-1: none).
    int32_t firstDevice;
    // Not -1 while a player thread may run.
    int32_t playingDevice;
    FCThread thread;
    // Manual reset, signalled while no player thread runs.
    FCEvent event;
    // The track that plays.
    int32_t track;
    // 1 asks the player thread to end.
    int32_t stopRequest;
    // Whether the track plays again at its end.
    int32_t loop;
    // The MCI device type opened ("cdaudio").
    FCString name;
};
