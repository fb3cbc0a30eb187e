#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "foundation/Diagnostic.h"
#include "foundation/TextCodePage.h"
#include "foundation/UxMessageBox.h"
#include "sound/FCWaveDevice.h"
#include "sound/WaveMixer.h"
#include "sound/WaveOutCalls_win32.h"
#include "window/FCDialog.h"

static_assert(sizeof(FCWaveFormat) == sizeof(WAVEFORMATEX) && alignof(FCWaveFormat) == alignof(WAVEFORMATEX));
static_assert(sizeof(FCWaveOutCaps) == sizeof(WAVEOUTCAPSA) && alignof(FCWaveOutCaps) == alignof(WAVEOUTCAPSA));
static_assert(sizeof(FCWaveHeader) == sizeof(WAVEHDR) && alignof(FCWaveHeader) == alignof(WAVEHDR));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(FCWaveFormat, bitsPerSample) == offsetof(WAVEFORMATEX, wBitsPerSample));
static_assert(offsetof(FCWaveOutCaps, formats) == offsetof(WAVEOUTCAPSA, dwFormats)
    && offsetof(FCWaveOutCaps, support) == offsetof(WAVEOUTCAPSA, dwSupport));
static_assert(offsetof(FCWaveHeader, flags) == offsetof(WAVEHDR, dwFlags)
    && offsetof(FCWaveHeader, next) == offsetof(WAVEHDR, lpNext));
#pragma GCC diagnostic pop

namespace {

const WaveOutCalls kSystemCalls = { waveOutGetNumDevs, waveOutGetDevCapsA, waveOutOpen, waveOutClose,
    waveOutPrepareHeader, waveOutUnprepareHeader, waveOutWrite, waveOutReset, waveOutGetErrorTextA };
std::atomic<const WaveOutCalls*> g_calls { &kSystemCalls };

const WaveOutCalls& calls()
{
    return *g_calls.load();
}

constexpr unsigned kBoxStyle = UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground;
// A device that never answers its open or close must not hang the game.
constexpr DWORD kDeviceWaitMs = 5000;
constexpr DWORD kThreadWaitMs = 10000;

// 音声再生用の【0xC00000】規定のデバイスが取得できません【-1】でした。
const char kNoDefaultText[]
    = "\x89\xB9\x90\xBA\x8D\xC4\x90\xB6\x97p\x82\xCC\x81y0xC00000\x81z\x8BK\x92\xE8\x82\xCC\x83"
      "\x66\x83o\x83\x43\x83X\x82\xAA\x8E\xE6\x93\xBE\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81"
      "y-1\x81z\x82\xC5\x82\xB5\x82\xBD\x81\x42";
// 再生デバイスが選択されませんでした。\n音の再生なしで処理を続行します。
const char kNoneChosenText[]
    = "\x8D\xC4\x90\xB6\x83\x66\x83o\x83\x43\x83X\x82\xAA\x91I\x91\xF0\x82\xB3\x82\xEA\x82\xDC"
      "\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42\n\x89\xB9\x82\xCC\x8D\xC4\x90\xB6\x82\xC8"
      "\x82\xB5\x82\xC5\x8F\x88\x97\x9D\x82\xF0\x91\xB1\x8Ds\x82\xB5\x82\xDC\x82\xB7\x81\x42";
// このＰＣで利用可能な音声再生デバイスを見つけられませんでした。\n音の再生なしで処理を続行します。
const char kNoDevicesText[]
    = "\x82\xB1\x82\xCC\x82o\x82\x62\x82\xC5\x97\x98\x97p\x89\xC2\x94\x5C\x82\xC8\x89\xB9\x90\xBA"
      "\x8D\xC4\x90\xB6\x83\x66\x83o\x83\x43\x83X\x82\xF0\x8C\xA9\x82\xC2\x82\xAF\x82\xE7\x82\xEA"
      "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42\n\x89\xB9\x82\xCC\x8D\xC4\x90\xB6"
      "\x82\xC8\x82\xB5\x82\xC5\x8F\x88\x97\x9D\x82\xF0\x91\xB1\x8Ds\x82\xB5\x82\xDC\x82\xB7\x81"
      "\x42";
// 指定されたデバイス ID:
const char kOpenDeviceText[] = "\x8Ew\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83\x66\x83o\x83\x43\x83X ID:";
//  を再生用に開けませんでした。
const char kOpenDeviceText2[]
    = " \x82\xF0\x8D\xC4\x90\xB6\x97p\x82\xC9\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82"
      "\xB5\x82\xBD\x81\x42";
// \n複数のデバイスがある場合は、他のデバイスを選択することで再生できる場合があります。\n現在は音の再生なしで処理を続行します。
const char kOpenDeviceText3[]
    = "\n\x95\xA1\x90\x94\x82\xCC\x83\x66\x83o\x83\x43\x83X\x82\xAA\x82\xA0\x82\xE9\x8F\xEA\x8D\x87\x82\xCD\x81\x41\x91"
      "\xBC\x82\xCC\x83\x66\x83o\x83\x43\x83X\x82\xF0\x91I\x91\xF0\x82\xB7\x82\xE9\x82\xB1\x82\xC6\x82\xC5\x8D\xC4\x90"
      "\xB6\x82\xC5\x82\xAB\x82\xE9\x8F\xEA\x8D\x87\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42\n\x8C\xBB\x8D\xDD"
      "\x82\xCD\x89\xB9\x82\xCC\x8D\xC4\x90\xB6\x82\xC8\x82\xB5\x82\xC5\x8F\x88\x97\x9D\x82\xF0\x91\xB1\x8Ds\x82\xB5"
      "\x82\xDC\x82\xB7\x81\x42";
// 規定のデバイスを開くことが出来ませんでした。\n音の再生なしで処理を続行します。
const char kOpenDefaultText[]
    = "\x8BK\x92\xE8\x82\xCC\x83\x66\x83o\x83\x43\x83X\x82\xF0\x8AJ\x82\xAD\x82\xB1\x82\xC6"
      "\x82\xAA\x8Fo\x97\x88\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42\n\x89\xB9"
      "\x82\xCC\x8D\xC4\x90\xB6\x82\xC8\x82\xB5\x82\xC5\x8F\x88\x97\x9D\x82\xF0\x91\xB1\x8Ds"
      "\x82\xB5\x82\xDC\x82\xB7\x81\x42";
// 上記の音声デバイスから再生に利用するものを選択してください
const char kChooseText[] = "\x8F\xE3\x8BL\x82\xCC\x89\xB9\x90\xBA\x83\x66\x83o\x83\x43\x83X\x82\xA9\x82\xE7\x8D\xC4\x90"
                           "\xB6\x82\xC9\x97\x98\x97p\x82\xB7\x82\xE9\x82\xE0\x82\xCC\x82\xF0\x91I\x91\xF0\x82\xB5\x82"
                           "\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2";
// 選択されたデバイスがありません。このまま音無しで実行を継続してもよろしいですか？
const char kNoSelectionText[]
    = "\x91I\x91\xF0\x82\xB3\x82\xEA\x82\xBD\x83\x66\x83o\x83\x43\x83X\x82\xAA\x82\xA0\x82\xE8"
      "\x82\xDC\x82\xB9\x82\xF1\x81\x42\x82\xB1\x82\xCC\x82\xDC\x82\xDC\x89\xB9\x96\xB3\x82\xB5"
      "\x82\xC5\x8E\xC0\x8Ds\x82\xF0\x8Cp\x91\xB1\x82\xB5\x82\xC4\x82\xE0\x82\xE6\x82\xEB\x82"
      "\xB5\x82\xA2\x82\xC5\x82\xB7\x82\xA9\x81H";
// 確認
const char kConfirmCaption[] = "\x8Am\x94\x46";
const char kChooseCaption[] = "FCWaveDevice::getDeviceCpas()";

// The process-wide table of output devices, by number.
FCCriticalSection& devicesLock()
{
    static FCCriticalSection lock;
    return lock;
}
std::map<UINT, WAVEOUTCAPSA>& devices()
{
    static std::map<UINT, WAVEOUTCAPSA> table;
    return table;
}

// Posting to the sound thread and waiting for its answer share threadEvent:
// one poster at a time.
FCCriticalSection& postLock()
{
    static FCCriticalSection lock;
    return lock;
}

HWAVEOUT handleOf(const FCWaveDevice& device)
{
    return static_cast<HWAVEOUT>(device.handle);
}

WAVEHDR* systemHeader(FCWaveHeader* header)
{
    return reinterpret_cast<WAVEHDR*>(header);
}

void CALLBACK waveOutCallback(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR parameter1, DWORD_PTR)
{
    auto* device = reinterpret_cast<FCWaveDevice*>(instance);
    if (!device)
        return;
    if (message == WOM_OPEN || message == WOM_CLOSE)
        device->deviceEvent.set();
    else if (message == WOM_DONE && device->threadRunning && device->thread.running())
        PostThreadMessageW(device->thread.id, MM_WOM_DONE, parameter1, 0);
}

unsigned LUMIVEX_STDCALL soundThreadMain(void* argument)
{
    auto* device = static_cast<FCWaveDevice*>(argument);
    MSG message;
    // The thread's message queue exists before anyone learns the thread runs.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    if (!device->open()) {
        device->threadRunning = 0;
        device->threadEvent.set();
        return unsigned(-1);
    }
    device->threadEvent.set();
    for (;;) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            {
                FCLock hold(&device->activeLock);
                FCXListIterator<FCWaveChannel> each(&device->active);
                while (FCWaveChannel* channel = each.next())
                    channel->decodeAhead(UINT_MAX);
            }
            WaitMessage();
            continue;
        }
        if (message.hwnd)
            continue;
        switch (message.message) {
        case FCWaveDevice::WM_SOUND_STOP:
            device->reset();
            device->threadRunning = 0;
            device->threadEvent.set();
            return 0;
        case FCWaveDevice::WM_SOUND_FADE: {
            uint32_t channel = uint32_t(message.wParam) & 0xFFFF;
            if (channel < uint32_t(FCWaveDevice::kChannels)) {
                int32_t milliseconds = int32_t((uint32_t(message.wParam) >> 16) & 0xFFFF);
                int32_t left = int32_t((uint32_t(message.lParam) >> 16) & 0xFFFF);
                int32_t right = int32_t(uint32_t(message.lParam) & 0xFFFF);
                device->channels[channel].fade(left, right, milliseconds);
            }
            device->threadEvent.set();
            break;
        }
        case FCWaveDevice::WM_SOUND_DELAYSTART:
            if (message.wParam < WPARAM(FCWaveDevice::kChannels))
                device->channels[message.wParam].delayStart(int32_t(message.lParam));
            device->threadEvent.set();
            break;
        case WM_TIMER: {
            bool taken = false;
            {
                FCLock hold(&device->activeLock);
                FCXListIterator<FCWaveChannel> each(&device->active);
                while (FCWaveChannel* channel = each.next()) {
                    if (channel->onTimer(uint32_t(message.wParam))) {
                        taken = true;
                        break;
                    }
                }
            }
            // A timer no active channel owns (its channel was stopped from
            // another thread) would tick forever.
            if (!taken)
                KillTimer(nullptr, message.wParam);
            break;
        }
        case MM_WOM_DONE: {
            auto* header = reinterpret_cast<FCWaveHeader*>(message.wParam);
            if (header && device->handle) {
                device->fill(header);
                device->output(header);
            }
            break;
        }
        default:
            break;
        }
    }
}

// The device choice: a list of the table's devices and the message.
class DeviceChooser final : public FCDialog {
public:
    DeviceChooser(uint16_t resource, int32_t listControl, int32_t textControl, const char* message)
        : FCDialog(resource)
        , m_listControl(listControl)
        , m_textControl(textControl)
        , m_message(message)
    {
    }

    intptr_t onMessage(uint32_t message, FCWParam wParam, FCLParam lParam) override
    {
        HWND dialog = reinterpret_cast<HWND>(window);
        switch (message) {
        case WM_INITDIALOG:
            fillList(GetDlgItem(dialog, m_listControl));
            SetDlgItemTextW(dialog, m_textControl, toWide(shownMessage().c_str()).c_str());
            anchorControl(m_listControl,
                FCDialogAnchor::kFollowRight | FCDialogAnchor::kStretchWidth | FCDialogAnchor::kFollowBottom
                    | FCDialogAnchor::kStretchHeight);
            return defaultMessage(message, wParam, lParam);
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header && int32_t(header->idFrom) == m_listControl && header->code == NM_DBLCLK) {
                auto* item = reinterpret_cast<NMITEMACTIVATE*>(lParam);
                if (item->iItem >= 0)
                    end(deviceAt(item->iItem));
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
                int selected
                    = int(SendDlgItemMessageW(dialog, m_listControl, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
                if (selected >= 0) {
                    end(deviceAt(selected));
                } else if (UxMessageBox::show(window, kNoSelectionText, kConfirmCaption, UxMessageBox::kYesNo)
                    == UxMessageBox::kIdYes) {
                    end(FCWaveDevice::kNoDevice);
                }
                return TRUE;
            }
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
                end(FCWaveDevice::kNoDevice);
                return TRUE;
            }
            return FALSE;
        default:
            return defaultMessage(message, wParam, lParam);
        }
    }

private:
    // The plain text of the message: the colour marks (【...】) are for a
    // rich-text control and are left out of the plain one.
    std::string shownMessage() const
    {
        std::string text;
        const std::string open = "\x81y", close = "\x81z";
        for (size_t i = 0; i < m_message.size();) {
            if (m_message.compare(i, 2, open) == 0) {
                size_t end = m_message.find(close, i + 2);
                if (end != std::string::npos) {
                    i = end + 2;
                    continue;
                }
            }
            size_t step = isLeadByte(static_cast<unsigned char>(m_message[i])) && i + 1 < m_message.size() ? 2 : 1;
            text.append(m_message, i, step);
            i += step;
        }
        return text + "\r\n" + kChooseText;
    }

    intptr_t deviceAt(int row) const
    {
        FCLock hold(&devicesLock());
        int i = 0;
        for (const auto& entry : devices()) {
            if (i++ == row)
                return intptr_t(entry.first);
        }
        return FCWaveDevice::kNoDevice;
    }

    static void fillList(HWND list)
    {
        if (!list)
            return;
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        const wchar_t* names[] = { L"id", L"name", L"ch", L"play", L"flag" };
        const int widths[] = { 32, 160, 120, 120, 120 };
        for (int c = 0; c < 5; ++c) {
            LVCOLUMNW column {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = const_cast<wchar_t*>(names[c]);
            column.cx = widths[c];
            SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(c), reinterpret_cast<LPARAM>(&column));
        }
        FCLock hold(&devicesLock());
        int row = 0;
        for (const auto& [number, caps] : devices()) {
            char cells[5][64];
            std::snprintf(cells[0], sizeof cells[0], "%u", number);
            std::snprintf(cells[1], sizeof cells[1], "%.31s", caps.szPname);
            std::snprintf(cells[2], sizeof cells[2], "%u", unsigned(caps.wChannels));
            std::snprintf(cells[3], sizeof cells[3], "%s", (caps.dwFormats & WAVE_FORMAT_4S16) ? "OK" : "NG");
            std::snprintf(cells[4], sizeof cells[4], "0x%lX", static_cast<unsigned long>(caps.dwFormats));
            for (int c = 0; c < 5; ++c) {
                std::wstring text = toWide(cells[c]);
                LVITEMW item {};
                item.mask = LVIF_TEXT;
                item.iItem = row;
                item.iSubItem = c;
                item.pszText = text.data();
                SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            }
            ++row;
        }
    }

    int32_t m_listControl;
    int32_t m_textControl;
    std::string m_message;
};

} // namespace

void setWaveOutCalls(const WaveOutCalls* replacement)
{
    g_calls.store(replacement ? replacement : &kSystemCalls);
}

const WaveOutCalls& systemWaveOutCalls()
{
    return kSystemCalls;
}

void enumerateDevices(bool clearFirst)
{
    FCLock hold(&devicesLock());
    if (clearFirst)
        devices().clear();
    UINT count = calls().getNumDevs();
    for (UINT number = 0; number < count; ++number) {
        WAVEOUTCAPSA caps {};
        if (calls().getDevCaps(number, &caps, sizeof caps) == MMSYSERR_NOERROR)
            devices()[number] = caps;
    }
}

FCWaveRecData::FCWaveRecData()
    : buffer(new uint8_t[kBytes]())
{
}

FCWaveRecData::~FCWaveRecData()
{
    delete[] buffer;
}

FCWaveDevice::FCWaveDevice(int32_t dialogResource, int32_t listControl, int32_t textControl)
    : deviceId(kDefaultDevice)
    , listControlId(listControl)
    , textControlId(textControl)
    , enabled(0)
    , threadRunning(0)
    , reportErrors(1)
    , mute(0)
    , handle(nullptr)
    , format {}
    , caps {}
    , headers {}
    , mix(nullptr)
    , captureOn(0)
{
    threadEvent.create(1, 0);
    deviceEvent.create(1, 0);
    bool empty;
    {
        FCLock hold(&devicesLock());
        empty = devices().empty();
    }
    if (empty)
        enumerateDevices(false);

    format.formatTag = WAVE_FORMAT_PCM;
    format.channels = 2;
    format.samplesPerSecond = 44100;
    format.bytesPerSecond = 176400;
    format.blockAlign = 4;
    format.bitsPerSample = 16;
    format.extraSize = 0;

    deviceId = getDeviceCpas(dialogResource);
    if (deviceId == kNoDevice)
        return;
    enabled = 1;
    try {
        mix = new int32_t[wavemixer::kSamples]();
        for (FCWaveHeader& header : headers) {
            header.data = reinterpret_cast<char*>(new uint8_t[kBufferBytes]());
            header.bufferLength = kBufferBytes;
            header.flags = WHDR_DONE;
        }
    } catch (const std::bad_alloc&) {
        for (FCWaveHeader& header : headers)
            delete[] reinterpret_cast<uint8_t*>(header.data);
        delete[] mix;
        throw NotEnoughMemoryException("FCWaveDevice - FCWaveDevice()", kNotEnoughMemoryText);
    }
    startThread();
}

FCWaveDevice::~FCWaveDevice()
{
    stopThread();
    for (FCWaveHeader& header : headers) {
        delete[] reinterpret_cast<uint8_t*>(header.data);
        header.data = nullptr;
    }
    delete[] mix;
    mix = nullptr;
    // The channels go in index order (the array would go backwards).
    for (FCWaveChannel& channel : channels)
        channel.unload();
}

int32_t FCWaveDevice::getDeviceCpas(int32_t dialogResource)
{
    std::memset(&caps, 0, sizeof caps);
    MMRESULT result = calls().getDevCaps(WAVE_MAPPER, reinterpret_cast<WAVEOUTCAPSA*>(&caps), sizeof(WAVEOUTCAPSA));
    if (result == MMSYSERR_NOERROR)
        return kDefaultDevice;
    if (result == MMSYSERR_BADDEVICEID) {
        bool any;
        {
            FCLock hold(&devicesLock());
            any = !devices().empty();
        }
        if (!any) {
            enumerateDevices(false);
            FCLock hold(&devicesLock());
            any = !devices().empty();
        }
        if (!any) {
            UxMessageBox::show(nullptr, kNoDevicesText, kChooseCaption, kBoxStyle);
            return kNoDevice;
        }
        int32_t chosen = chooseDevice(dialogResource, kNoDefaultText);
        if (chosen != kNoDevice)
            return chosen;
        UxMessageBox::show(nullptr, kNoneChosenText, kChooseCaption, kBoxStyle);
        return kNoDevice;
    }
    reportError(result, kChooseCaption);
    return kNoDevice;
}

int32_t FCWaveDevice::chooseDevice(int32_t dialogResource, const char* message)
{
    if (dialogResource < 1)
        return kNoDevice;
    INITCOMMONCONTROLSEX controls { sizeof controls, ICC_LISTVIEW_CLASSES };
    InitCommonControlsEx(&controls);
    DeviceChooser chooser(uint16_t(dialogResource), listControlId, textControlId, message ? message : "");
    intptr_t answer = chooser.run();
    // IDOK/IDCANCEL without a choice, a failed template: no device.
    if (answer < 0 || answer == IDOK || answer == IDCANCEL) {
        FCLock hold(&devicesLock());
        if (answer < 0 || !devices().count(UINT(answer)))
            return kNoDevice;
    }
    return int32_t(answer);
}

bool FCWaveDevice::reportError(uint32_t result, const char* caption)
{
    if (result == MMSYSERR_NOERROR)
        return false;
    if (reportErrors == 1) {
        char text[257] = {};
        calls().getErrorText(result, text, sizeof text);
        UxMessageBox::show(nullptr, text, caption, kBoxStyle);
    }
    return true;
}

bool FCWaveDevice::open()
{
    if (handle)
        return true;
    deviceEvent.reset();
    HWAVEOUT opened = nullptr;
    MMRESULT result = calls().open(&opened, UINT(deviceId), reinterpret_cast<WAVEFORMATEX*>(&format),
        reinterpret_cast<DWORD_PTR>(waveOutCallback), reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result == MMSYSERR_NOERROR) {
        deviceEvent.wait(kDeviceWaitMs);
        handle = opened;
        return true;
    }
    std::string text;
    if (deviceId == kDefaultDevice) {
        text = kOpenDefaultText;
    } else {
        text = kOpenDeviceText + std::to_string(deviceId) + kOpenDeviceText2 + kOpenDeviceText3;
    }
    UxMessageBox::show(nullptr, text.c_str(), "FCWaveDevice - open", kBoxStyle);
    return false;
}

void FCWaveDevice::close()
{
    if (!handle)
        return;
    deviceEvent.reset();
    MMRESULT result = calls().close(handleOf(*this));
    if (reportError(result, "FCWaveDevice - close()"))
        return;
    deviceEvent.wait(kDeviceWaitMs);
    handle = nullptr;
}

bool FCWaveDevice::output(FCWaveHeader* header)
{
    if (!handle || !header)
        return false;
    if (reportError(
            calls().prepareHeader(handleOf(*this), systemHeader(header), sizeof(WAVEHDR)), "FCWaveDevice - output"))
        return false;
    if (reportError(calls().write(handleOf(*this), systemHeader(header), sizeof(WAVEHDR)), "FCWaveDevice - output"))
        return false;
    if (captureOn) {
        FCLock hold(&recordLock);
        if (FCWaveRecData* record = recordsFree.dequeue()) {
            std::memcpy(record->buffer, header->data, FCWaveRecData::kBytes);
            recordsFull.enqueue(record, 1);
        }
    }
    return true;
}

void FCWaveDevice::fill(FCWaveHeader* header)
{
    if (!mix || !header || !header->data)
        return;
    std::memset(mix, 0, sizeof(int32_t) * wavemixer::kSamples);
    int32_t contributors = 0;
    {
        FCLock hold(&activeLock);
        FCXList<FCWaveChannel>::Node* node = active.head();
        for (int32_t remaining = active.count; node && remaining > 0; --remaining) {
            FCXList<FCWaveChannel>::Node* next = node->next;
            FCWaveChannel* channel = node->item;
            switch (channel->mixBlock(mix)) {
            case FCWaveChannel::kEnded:
                channel->stop(false);
                active.removeNode(node, true);
                break;
            case FCWaveChannel::kMixed:
                ++contributors;
                break;
            default:
                break;
            }
            node = next;
        }
    }
    wavemixer::writeOutput(mix, reinterpret_cast<int16_t*>(header->data), contributors, mute != 0);
}

void FCWaveDevice::reset()
{
    if (handle) {
        calls().reset(handleOf(*this));
        for (FCWaveHeader& header : headers)
            calls().unprepareHeader(handleOf(*this), systemHeader(&header), sizeof(WAVEHDR));
    }
    close();
    FCLock hold(&activeLock);
    while (FCWaveChannel* channel = active.head() ? active.head()->item : nullptr) {
        active.removeNode(active.head(), true);
        channel->stop(true);
    }
}

void FCWaveDevice::startThread()
{
    if (threadRunning == 1)
        return;
    while (thread.running())
        Sleep(100);
    threadRunning = 1;
    threadEvent.reset();
    if (!thread.start(soundThreadMain, this)) {
        threadRunning = 0;
        return;
    }
    threadEvent.wait(FCThread::kInfinite);
    if (threadRunning != 1)
        return;
    for (FCWaveHeader& header : headers) {
        fill(&header);
        output(&header);
    }
}

void FCWaveDevice::stopThread()
{
    if (threadRunning != 1)
        return;
    if (thread.running())
        PostThreadMessageW(thread.id, WM_SOUND_STOP, 0, 0);
    for (DWORD waited = 0; thread.running() && waited < kThreadWaitMs; waited += 100)
        Sleep(100);
}

bool FCWaveDevice::post(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (!enabled || !handle || !threadRunning || !thread.running())
        return false;
    FCLock hold(&postLock());
    threadEvent.reset();
    if (!PostThreadMessageW(thread.id, message, wParam, lParam))
        return false;
    threadEvent.wait(kThreadWaitMs);
    return true;
}

bool FCWaveDevice::fade(int32_t channel, int32_t left, int32_t right, int32_t milliseconds)
{
    if (channel < 0 || channel >= kChannels)
        return false;
    auto clampVolume = [](int32_t v) { return uint32_t(v < 0 ? 0 : v > 256 ? 256 : v); };
    uint32_t duration = uint32_t(milliseconds < 0 ? 0 : milliseconds > 0xFFFF ? 0xFFFF : milliseconds);
    return post(WM_SOUND_FADE, uintptr_t(uint32_t(channel) | duration << 16),
        intptr_t(clampVolume(left) << 16 | clampVolume(right)));
}

void FCWaveDevice::play(int32_t channel, const char* source, uint32_t flags, uint32_t count, int32_t type,
    int32_t bufferTenths, const ChannelOptions* options, int32_t scrambleSkip, uint32_t scrambleWords,
    uint32_t scrambleKey, int32_t startOffset, int32_t loopStart, int32_t userValue)
{
    if (channel < 0 || channel >= kChannels)
        return;
    channels[channel].play(channel, source, flags, count, type, bufferTenths, -1, options, scrambleSkip, scrambleWords,
        scrambleKey, startOffset, loopStart, userValue);
}

void FCWaveDevice::start(int32_t channel, bool restart)
{
    if (channel < 0 || channel >= kChannels || !enabled || !handle)
        return;
    FCWaveChannel& target = channels[channel];
    int32_t answer = target.activate();
    if (answer < 0)
        post(WM_SOUND_DELAYSTART, uintptr_t(channel), intptr_t(-answer));
    else if (answer > 0 && restart)
        target.rewind();
    if (answer != 0) {
        FCLock hold(&activeLock);
        active.addTail(&target, 0);
    }
}

void FCWaveDevice::stop(int32_t channel)
{
    if (channel >= kChannels || !enabled || !handle)
        return;
    FCLock hold(&activeLock);
    if (channel < 0) {
        FCXListIterator<FCWaveChannel> each(&active);
        while (FCWaveChannel* item = each.next())
            item->stop(true);
        active.clearNodes();
        return;
    }
    FCWaveChannel& target = channels[channel];
    if (!(target.flags & FCWaveChannel::kActive))
        return;
    active.removeNode(active.findItem(&target), true);
    target.stop(true);
}
