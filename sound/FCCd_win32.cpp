#include <windows.h>

#include <mmsystem.h>

#include <atomic>

#include "sound/FCCd.h"

namespace {

constexpr DWORD kPollMs = 100;

uint32_t sendCommand(int32_t device, UINT command, DWORD_PTR flags, void* parameters)
{
    return mciSendCommandA(static_cast<MCIDEVICEID>(device), command, flags, reinterpret_cast<DWORD_PTR>(parameters));
}

uint32_t status(int32_t device, DWORD item, DWORD track = 0)
{
    MCI_STATUS_PARMS parameters {};
    parameters.dwItem = item;
    parameters.dwTrack = track;
    DWORD_PTR flags = MCI_STATUS_ITEM | MCI_WAIT | (track ? MCI_TRACK : 0);
    if (sendCommand(device, MCI_STATUS, flags, &parameters) != 0)
        return 0;
    return static_cast<uint32_t>(parameters.dwReturn);
}

bool stopRequested(FCCd& cd)
{
    return std::atomic_ref<int32_t>(cd.stopRequest).load() != 0;
}

// Plays the track (again and again with loop) until it ends or a stop is
// asked for, then closes the device.
unsigned __stdcall playerThread(void* argument)
{
    FCCd& cd = *static_cast<FCCd*>(argument);
    int32_t device = cd.playingDevice;
    uint32_t tracks = status(device, MCI_STATUS_NUMBER_OF_TRACKS);
    do {
        MCI_PLAY_PARMS parameters {};
        parameters.dwFrom = MCI_MAKE_TMSF(cd.track, 0, 0, 0);
        DWORD_PTR flags = MCI_FROM;
        if (static_cast<uint32_t>(cd.track) < tracks) {
            parameters.dwTo = MCI_MAKE_TMSF(cd.track + 1, 0, 0, 0);
            flags |= MCI_TO;
        }
        if (sendCommand(device, MCI_PLAY, flags, &parameters) != 0)
            break;
        while (!stopRequested(cd) && status(device, MCI_STATUS_MODE) == MCI_MODE_PLAY)
            Sleep(kPollMs);
    } while (cd.loop && !stopRequested(cd));
    sendCommand(device, MCI_STOP, MCI_WAIT, nullptr);
    sendCommand(device, MCI_CLOSE, MCI_WAIT, nullptr);
    cd.firstDevice = -1;
    std::atomic_ref<int32_t>(cd.playingDevice).store(-1);
    cd.event.set();
    return 0;
}

} // namespace

FCCd::FCCd()
    : firstDevice(-1)
    , playingDevice(-1)
    , track(0)
    , stopRequest(0)
    , loop(0)
{
    event.create(1, 1);
}

FCCd::~FCCd()
{
    stop();
}

uint32_t FCCd::play(int32_t number, bool again)
{
    stop();
    if (std::atomic_ref<int32_t>(playingDevice).load() != -1)
        return MCIERR_DEVICE_OPEN;
    MCI_OPEN_PARMSA open {};
    open.lpstrDeviceType = "cdaudio";
    if (uint32_t error = sendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, &open))
        return error;
    int32_t device = static_cast<int32_t>(open.wDeviceID);
    MCI_SET_PARMS format {};
    format.dwTimeFormat = MCI_FORMAT_TMSF;
    uint32_t error = sendCommand(device, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &format);
    if (!error && (number < 1 || static_cast<uint32_t>(number) > status(device, MCI_STATUS_NUMBER_OF_TRACKS)))
        error = MCIERR_OUTOFRANGE;
    if (!error && status(device, MCI_CDA_STATUS_TYPE_TRACK, static_cast<DWORD>(number)) != MCI_CDA_TRACK_AUDIO)
        error = MCIERR_OUTOFRANGE;
    if (error) {
        sendCommand(device, MCI_CLOSE, MCI_WAIT, nullptr);
        return error;
    }
    name = "cdaudio";
    track = number;
    loop = again ? 1 : 0;
    stopRequest = 0;
    firstDevice = device;
    playingDevice = device;
    event.reset();
    if (!thread.start(playerThread, this)) {
        sendCommand(device, MCI_CLOSE, MCI_WAIT, nullptr);
        firstDevice = playingDevice = -1;
        event.set();
        return MCIERR_OUT_OF_MEMORY;
    }
    return 0;
}

void FCCd::stop()
{
    if (std::atomic_ref<int32_t>(playingDevice).load() == -1)
        return;
    std::atomic_ref<int32_t>(stopRequest).store(1);
    thread.wait(kStopWaitMs);
}
