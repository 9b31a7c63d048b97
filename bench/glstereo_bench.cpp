// Playback through the OpenGL stereo window, measured inside the program:
// the pair (PlayGlPair, the window laid over the whole screen) or one
// side-by-side movie file (PlayGlFile, the window full screen), played once
// from the first frame. Wine offers no stereo pixel format here, so the
// window runs with g_bGlMonoBuffers: both eyes drawn into the one back
// buffer in turn, nothing read back. Prints frames shown and skipped, the
// mean interval between shown frames beside the movie's frame duration,
// and per shown frame the milliseconds of fetching (and preparing) the
// frame, uploading it into the textures, and drawing both eyes with the
// present (median and 90th percentile), and the CPU time per shown frame.
//
// Runs inside a virtual desktop (scripts/run-in-desktop.sh): the output
// goes to the file it names.
//
// usage: glstereo_bench pair LEFT RIGHT
//        glstereo_bench file MOVIE
#include "bench/bench_fullscreen_run.h"
#include "devices/gl_stereo_draw.h"
#include "devices/gl_stereo_window.h"
#include "devices/stereo_player_state.h"
#include "sources/movie_source.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Kept as the other devices' frames are: the upload in the drawing's place.
void OnFrame(const GlFrameTimes &t)
{
    BenchFullscreenRun::OnFrame(PlayerFrameTimes{t.frame, t.fetch, t.upload, t.present});
}

}  // namespace

int main(int argc, char **argv)
{
    OpenDesktopLog();
    bool pair = argc >= 4 && strcmp(argv[1], "pair") == 0;
    bool file = argc >= 3 && strcmp(argv[1], "file") == 0;
    if (!pair && !file) {
        printf("usage: glstereo_bench pair LEFT RIGHT\n       glstereo_bench file MOVIE\n");
        return 2;
    }
    HWND main = pair ? OpenBenchMainWindow(argv[2], argv[3]) : OpenBenchMainWindow(nullptr, nullptr);
    int status = 1;
    g_bGlMonoBuffers = 1;
    g_nStr3D = 0;
    g_nBunkatu = 0;
    g_bRepeat = 0;
    g_nSound = 0;
    g_bSound1 = 1;
    g_nFrame = 0;
    g_nPlaySource = pair ? 0 : 1;
    if (pair) {
        g_bFullScreen = 1;  // the window laid over the whole screen
    } else {
        g_glView.fullScreen = 1;
        lstrcpynA(g_stereoPair.szName, argv[2], sizeof g_stereoPair.szName);
    }
    if (pair && !(g_pLeft->bOpen && g_pRight->bOpen)) {
        printf("  the pair did not open\n");
    } else if (!CreateGlStereoWindow(g_hInst, &g_stereoPair)) {
        printf("  the OpenGL window did not open\n");
    } else {
        MovieSource *m = pair ? g_pLeft : g_pPlayMovie;
        int frames = pair ? g_nFrameCount : m->nFrames;
        double frameMs = m->nRate ? (double)m->nScale * 1000.0 / m->nRate : 0;
        printf("  %dx%d at %.3f frames/s, %d frames, window %dx%d, texture %d\n", m->nWidth, m->nHeight,
               frameMs ? 1000.0 / frameMs : 0, frames, g_glView.cw, g_glView.ch, g_glView.texture);
        Sleep(500);
        g_pfnGlFrameTimes = OnFrame;
        double cpu0 = ThreadCpuMs();
        if (pair)
            PlayGlPair();
        else
            PlayGlFile();
        double cpu = ThreadCpuMs() - cpu0;
        g_pfnGlFrameTimes = nullptr;
        status = BenchFullscreenRun::Get().Report(cpu, "upload", "draw and present");
        CloseGlStereoDisplay();
    }
    DestroyWindow(main);
    WriteDesktopStatus(status);
    return status;
}
