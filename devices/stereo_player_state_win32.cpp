#include "devices/stereo_player_state.h"

#include "devices/device_play_loop.h"
#include "pipeline/pair_position.h"
#include "pipeline/play_clock.h"
#include "sources/movie_open.h"
#include "sources/stereo_pair.h"

MovieSource g_playMovie;
MovieSource *g_pPlayMovie = nullptr;
StereoPair *g_pPlayPair = nullptr;
int g_nPlayFrame = 0;
int g_nPlayFrames = 0;
int g_nClipLength = 0;
int g_nFileShiftX = 0, g_nFileShiftY = 0;
int g_nPlayerSwap = 0;
int g_nPlayerClear = 0;
int g_nPlayBase = 0, g_nPlayStep = 0, g_nPlayDelays = 0, g_nDevicePlayDrops = 0;
HWND g_hwndPlayer3D = nullptr;
int g_bShowHelp = 0, g_bShowInfo = 0;
unsigned g_uDeviceTimerPeriod = 0, g_uDeviceTimerId = 0;

bool OpenPlayMovie(const StereoPair *pair)
{
    char error[kOpenErrorBytes] = "";
    InitMovieSource(&g_playMovie);
    g_pPlayMovie = nullptr;
    if (!pair || OpenMovieSource(nullptr, pair->szName, &g_playMovie, error, 0) != 0) {
        CloseMovieSource(&g_playMovie);
        return false;
    }
    g_pPlayMovie = &g_playMovie;
    g_nFileShiftX = g_nFileShiftY = 0;
    g_nPlayFrame = 0;
    g_nPlayFrames = g_playMovie.nFrames;
    return true;
}

DevicePlayLoop SharedDevicePlayLoop(HWND window, MovieSource *sound, MovieSource *partner, int start, int total,
                                    int recordStart, bool isFile)
{
    DevicePlayLoop loop = {};
    loop.window = window;
    loop.sound = sound;
    loop.partner = partner;
    loop.start = start;
    loop.total = total;
    loop.recordStart = recordStart;
    loop.isFile = isFile;
    loop.timerPeriod = &g_uDeviceTimerPeriod;
    loop.timerId = &g_uDeviceTimerId;
    loop.drops = &g_nDevicePlayDrops;
    loop.delay = &g_nPlayDelays;
    return loop;
}

DeviceLoopSource FileLoopSource()
{
    DeviceLoopSource src = {};
    src.sound = g_pPlayMovie;
    src.start = g_nPlayFrame;
    src.total = g_pPlayMovie ? g_pPlayMovie->nFrames : 0;
    src.recordStart = g_nPlayFrame;
    src.current = &g_nPlayFrame;
    return src;
}

bool PairLoopSource(StereoPair *pair, DeviceLoopSource &out)
{
    if (!pair || !pair->pLeft || !pair->pRight)
        return false;
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    g_nClipLength = PairFrameCount(left, right, g_nEndOffset);
    out = DeviceLoopSource{};
    out.sound = SoundFromRightRecord(g_nSoundlr, g_bSwapped) ? right : left;
    out.partner = out.sound == left ? right : left;
    out.start = g_nFrame;
    out.total = g_nClipLength;
    out.recordStart = out.sound->nStart + g_nFrame;
    out.current = &g_nFrame;
    return true;
}
