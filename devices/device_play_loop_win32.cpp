#include "devices/device_play_loop.h"

#include "devices/fullscreen_sound.h"
#include "devices/stereo_player_overlay.h"
#include "pipeline/play_clock.h"
#include "pipeline/play_pair.h"
#include "pipeline/wave_player.h"
#include "shared/platform_compat.h"
#include "sources/movie_source.h"
#include "state/app_state.h"

#include <mmsystem.h>
#include <vfw.h>

bool StartDevicePlayLoop(DevicePlayLoop &loop)
{
    MovieSource *rec = loop.sound;
    loop.waveOut = false;
    loop.stream = nullptr;
    bool sound = (rec->pAudio || rec->pWaveHeader) && (loop.pairSound ? g_bSound1 == 1 : g_nSound == 0);
    if (sound && rec->nKind == kSourceAviFile && rec->pAudio && rec->nRate) {
        PAVISTREAM audio = (PAVISTREAM)rec->pAudio;
        LONG ms = (LONG)((int64_t)loop.recordStart * rec->nScale * 1000 / rec->nRate);
        loop.waveOut = StartWaveAudio(loop.window, audio, StreamTimeToSample(audio, ms),
                                      AVIStreamStart(audio) + AVIStreamLength(audio), 0) != 0;
    } else if (sound && (rec->nKind == kSourceOwnReader || rec->nKind == kSourcePlugin)) {
        loop.stream =
            StartFullScreenSound(rec, loop.partner, loop.recordStart, loop.total - loop.start, loop.start);
    }

    TIMECAPS caps;
    if (timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) {
        if (loop.waveOut)
            StopWaveAudio();
        EndFullScreenSound(loop.stream);
        loop.waveOut = false;
        loop.stream = nullptr;
        return false;
    }
    loop.period = PlayTimerPeriod(caps.wPeriodMin, caps.wPeriodMax, rec->nMsPerFrame);
    loop.rate = rec->nRate;
    loop.scale = rec->nScale;
    *loop.timerPeriod = loop.period;
    *loop.drops = 0;
    *loop.delay = 0;
    g_nTimerTicks = 0;
    timeBeginPeriod(loop.period);
    *loop.timerId = timeSetEvent(loop.period, loop.period, PlaybackTimerProc, 0, TIME_PERIODIC);
    return true;
}

int PaceDevicePlayLoop(DevicePlayLoop &loop, int k)
{
    uint32_t ticks = (uint32_t)g_nTimerTicks;
    int due = DueFrame(loop.rate, loop.scale, ticks, loop.period);
    *loop.delay = due - k - 3 > 0 ? due - k - 3 : 0;
    unsigned wait = PacingSleep(k, loop.rate, loop.scale, ticks, loop.period);
    if (wait)
        Sleep(wait);
    int limit = loop.skipLimit >= 0 ? loop.skipLimit : loop.total;
    if (due - k > 2 && k < limit) {
        k++;
        (*loop.drops)++;
    }

    if (loop.waveOut) {
        if (due + loop.start > loop.total)
            StopWaveAudio();
        MSG done;
        if (PeekMessageA(&done, loop.window, MM_WOM_DONE, MM_WOM_DONE, PM_REMOVE))
            OnWaveOutDone(loop.window, done.message, done.wParam, done.lParam);
    } else if (loop.stream) {
        double playMs = loop.isFile ? (double)loop.sound->nMsPerFrame * due
                                    : (double)(uint32_t)g_nTimerTicks * loop.period;
        KeepFullScreenSound(loop.stream, due, playMs);
    }
    return k;
}

void EndDevicePlayLoop(DevicePlayLoop &loop)
{
    if (loop.waveOut)
        StopWaveAudio();
    EndFullScreenSound(loop.stream);
    loop.waveOut = false;
    loop.stream = nullptr;
    if (*loop.timerId)
        timeKillEvent(*loop.timerId);
    *loop.timerId = 0;
    timeEndPeriod(loop.period);
}

double DeviceClockMs()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)f.QuadPart;
}

void NoteDeviceFrameTimes(PlayerFrameTimes *times, double t0, double t1, double t2)
{
    if (!times)
        return;
    times->fetch = t1 - t0;
    times->compose = t2 - t1;
    times->present = DeviceClockMs() - t2;
}
