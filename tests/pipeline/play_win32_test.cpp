// Playback in the view, end to end in this process: the main window plays
// small pairs on Wine's multimedia timer and sound device (ALSA writes
// what is played to TWR_SOUND_CAPTURE): frames and pacing, the skip rule
// with a slowed loop, the picture drawn as the view paints it, the sound
// from the first played frame compared with ffmpeg's decode, the
// follow-up chain, repeat, stop, and a save command during playback.
#include "alignment/auto_align.h"
#include "alignment/frame_adjustment.h"
#include "pipeline/play_clock.h"
#include "pipeline/play_pair.h"
#include "pipeline/show_pair.h"
#include "pipeline/wave_player.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "sources/movie_open.h"
#include "sources/plugin_audio.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <mmsystem.h>
#include <stdio.h>
#include <stdlib.h>
#include <vfw.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::string Media(const char *name) { return HostFile(TWR_PLAY_MEDIA_DIR, name); }

// What the sound device was given since it was last opened.
std::vector<unsigned char> Captured()
{
    return ReadWholeFile(HostPath(TWR_SOUND_CAPTURE_PATH));
}

// Emptied before a play, the capture holds nothing but that play's sound.
void ClearCaptured()
{
    WriteWholeFile(HostPath(TWR_SOUND_CAPTURE_PATH), {});
}

// The bytes of silence the device may have been primed with.
size_t SilentLead(const std::vector<unsigned char> &captured)
{
    size_t start = 0;
    while (start + 4 <= captured.size() && !captured[start] && !captured[start + 1] && !captured[start + 2] &&
           !captured[start + 3])
        start += 4;
    return start;
}

// PlaySound plays on a thread of its own that first has to open the
// device, and the play's end stops it: on a busy machine the device may
// not have been given anything before a short play is over (its first
// opening in a process took some 400 ms on a loaded test machine). Called
// from a play's first frame (the capture cleared before the play), this
// holds the play until the device has been given `bytes` bytes after any
// silence it was primed with; false if that did not happen within 20 s.
bool WaitForCapturedSound(size_t bytes)
{
    DWORD since = GetTickCount();
    for (;;) {
        std::vector<unsigned char> captured = Captured();
        if (captured.size() >= SilentLead(captured) + bytes)
            return true;
        if (GetTickCount() - since > 20000)
            return false;
        Sleep(10);
    }
}

// The captured sound must be the source's from byte `from` on: found
// right at the start of what reached the device (after any silence the
// device was primed with), and equal over at least `least` bytes.
// Two decoders of lossy sound may differ by a rounding: tolerance is the
// largest difference of a 16-bit sample taken as equal.
void ExpectSoundFrom(const std::vector<unsigned char> &captured, const std::vector<unsigned char> &source, size_t from, size_t least,
                     const std::string &what, int tolerance = 0, bool silenceAfter = true)
{
    ASSERT_LT(from + 256, source.size()) << what;
    size_t start = SilentLead(captured);
    ASSERT_LT(start, captured.size()) << what << ": nothing but silence was played";
    auto sample = [](const std::vector<unsigned char> &b, size_t at) { return (int)(int16_t)(b[at] | b[at + 1] << 8); };
    size_t n = 0;
    while (start + n + 2 <= captured.size() && from + n + 2 <= source.size() &&
           abs(sample(captured, start + n) - sample(source, from + n)) <= tolerance)
        n += 2;
    EXPECT_GE(n, least) << what << ": the sound differs from the source " << n << " bytes after sample "
                        << from / 4;
    // What follows is silence: the sound stopped, nothing else was played.
    if (!silenceAfter)
        return;
    size_t loud = 0;
    for (size_t i = start + n; i + 2 <= captured.size(); i += 2)
        loud += abs(sample(captured, i)) > tolerance;
    EXPECT_EQ(loud, 0u) << what << ": " << captured.size() - start - n << " bytes after the match";
}

// Frames the loop showed, with the eye played and the time.
struct Shown {
    int frame, eye;
    DWORD ms;
};
std::vector<Shown> s_shown;
std::function<void(int)> s_onFrame;
void RecordFrame(int frame)
{
    s_shown.push_back(Shown{frame, g_nPlayEye, timeGetTime()});
    if (s_onFrame)
        s_onFrame(frame);
}

// The window is shown: played frames are drawn as the view paints them.
class Playback : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        MainWindowTest::SetUpTestSuite();
        RegisterMpegDecoder();
        OpenMainWindow(640, 480, true);
        g_pfnPlayFrameHook = RecordFrame;
    }

    static void TearDownTestSuite()
    {
        g_pfnPlayFrameHook = nullptr;
        MainWindowTest::TearDownTestSuite();
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        boxes->answer = IDYES;
        s_shown.clear();
        s_onFrame = nullptr;
        g_bRepeat = 0;
        g_bSound1 = 1;
        g_nSoundlr = 0;
        g_nDisplayMode = 5;
        g_nMirror = 0;
        g_nZoom = 100;
        g_bFullScreen = 0;
        g_nTrimState = kTrimNone;
        Pump();
    }

    // Opens two of the media as the pair, from its first frame.
    void OpenMedia(const char *left, const char *right)
    {
        ASSERT_TRUE(OpenPair(Media(left), Media(right))) << left;
        g_bSwapped = 0;
        g_nFrame = 0;
        Pump();
    }

    // The view's client area as 32-bit pixels.
    static std::vector<DWORD> ViewPixels()
    {
        RECT r;
        GetClientRect(g_hwndView, &r);
        int w = r.right, h = r.bottom;
        std::vector<DWORD> pixels((size_t)w * h);
        HDC dc = GetDC(g_hwndView);
        HDC mem = CreateCompatibleDC(dc);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void *bits = nullptr;
        HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
        GdiFlush();
        memcpy(pixels.data(), bits, pixels.size() * 4);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(g_hwndView, dc);
        return pixels;
    }
};

TEST_F(Playback, EveryFrameInOrderAtTheMoviesRate)
{
    OpenMedia("raw_L.avi", "raw_R.avi");
    g_bSound1 = 0;
    std::string title;
    int titleFrame = -1;
    s_onFrame = [&](int frame) {
        if (titleFrame < 0 && frame >= 10) {
            char text[1200];
            GetWindowTextA(main, text, sizeof text);
            title = text;
            titleFrame = frame;
        }
    };
    DWORD start = timeGetTime();
    Command(IDM_PLAY_PAIR);
    DWORD took = timeGetTime() - start;
    // A loop that keeps up shows all 20; on a busy machine a frame may be
    // skipped now and then, never two in a row.
    ASSERT_GE(s_shown.size(), 16u);
    EXPECT_EQ(s_shown.size() + g_nPlayDrops, 20u);
    EXPECT_EQ(s_shown[0].frame, 0);
    EXPECT_EQ(s_shown.back().frame, 19);
    for (size_t i = 1; i < s_shown.size(); i++) {
        EXPECT_GE(s_shown[i].frame - s_shown[i - 1].frame, 1);
        EXPECT_LE(s_shown[i].frame - s_shown[i - 1].frame, 2);
    }
    EXPECT_EQ(g_uTimerPeriod, 20u);  // half of 40 ms
    EXPECT_EQ(g_uTimerId, 0u);
    // Frame k is shown at k x 40 ms: the last (19) at 760 ms, and the
    // loop waits out its time.
    EXPECT_GE(s_shown.back().ms - s_shown[0].ms, 740u);
    EXPECT_LE(s_shown.back().ms - s_shown[0].ms, 1000u);
    EXPECT_GE(took, 780u);
    EXPECT_EQ(g_nBusy, 0);
    EXPECT_EQ(g_nPlayChain, 0);
    std::string at = "(0-" + std::to_string(titleFrame) + "-19)";
    EXPECT_NE(title.find("raw_L.avi" + at), std::string::npos) << title;
    EXPECT_NE(title.find("raw_R.avi" + at), std::string::npos) << title;
    // The delay (再生遅れ) in Shift-JIS.
    EXPECT_NE(title.find("\x8d\xc4\x90\xb6\x92\x78\x82\xea("), std::string::npos) << title;
}

TEST_F(Playback, ASlowLoopSkipsOneFramePerFrameShown)
{
    OpenMedia("raw_L.avi", "raw_R.avi");
    g_bSound1 = 0;
    // 130 ms per frame at 25 frames/s: more than two frames behind after
    // the first frames; from then on each shown frame is followed by a
    // skipped one, except within the last three.
    s_onFrame = [](int) { Sleep(130); };
    Command(IDM_PLAY_PAIR);
    ASSERT_GE(s_shown.size(), 8u);
    EXPECT_EQ(g_nPlayDrops + (int)s_shown.size(), 20);
    EXPECT_GE(g_nPlayDrops, 6);
    for (size_t i = 1; i < s_shown.size(); i++) {
        int step = s_shown[i].frame - s_shown[i - 1].frame;
        EXPECT_GE(step, 1);
        EXPECT_LE(step, 2);
        if (s_shown[i - 1].frame >= 17) {
            EXPECT_EQ(step, 1) << "skipped within the last three frames";
        }
    }
    EXPECT_EQ(s_shown.back().frame, 19);
}

TEST_F(Playback, StartsAtThePositionOrFromTheBeginningNearTheEnd)
{
    OpenMedia("raw_L.avi", "raw_R.avi");
    g_bSound1 = 0;
    static const struct {
        int position, first;
    } cases[] = {{17, 17}, {18, 0}, {19, 0}, {5, 5}};
    for (const auto &c : cases) {
        s_shown.clear();
        g_nFrame = c.position;
        Command(IDM_PLAY_PAIR);
        ASSERT_FALSE(s_shown.empty());
        EXPECT_EQ(s_shown[0].frame, c.first) << c.position;
        EXPECT_GE(s_shown.back().frame, 17) << c.position;
    }
}

TEST_F(Playback, DrawsWhatTheViewPaintsInEveryMode)
{
    OpenMedia("raw_L.avi", "raw_R.avi");
    g_bSound1 = 0;
    // Mode 2 plays the fast grey anaglyph, which the view does not paint.
    for (int mode : {0, 1, 3, 4, 5, 6, 7}) {
        for (int zoom : {100, 0}) {
            g_nDisplayMode = mode;
            g_nZoom = zoom;
            g_nFrame = 0;
            g_nEndOffset = 16;  // ends on frame 3
            s_shown.clear();
            Command(IDM_PLAY_PAIR);
            ASSERT_EQ(s_shown.size(), 4u);
            std::vector<DWORD> played = ViewPixels();
            g_nFrame = 3;
            g_nZoom = zoom;
            ShowCurrentPair(&g_stereoPair);
            RedrawWindow(g_hwndView, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            std::vector<DWORD> painted = ViewPixels();
            // The paint labels the three pictures of mode 5; playing does not.
            RECT client;
            GetClientRect(g_hwndView, &client);
            auto label = [&](size_t i) {
                int x = (int)(i % client.right), y = (int)(i / client.right);
                for (int k = 0; mode == 5 && k < 3; k++) {
                    const RECT &p = g_rcViewImage[k];
                    if (x >= p.left && x < p.left + 64 && y >= p.top && y < p.top + 24)
                        return true;
                }
                return false;
            };
            size_t differ = 0;
            for (size_t i = 0; i < played.size(); i++)
                differ += (played[i] & 0xFFFFFF) != (painted[i] & 0xFFFFFF) && !label(i);
            EXPECT_EQ(differ, 0u) << "mode " << mode << " zoom " << zoom;
        }
    }
    g_nEndOffset = 0;
}

TEST_F(Playback, SoundFromTheFirstPlayedFrame)
{
    // The sound of the timing movie from frame N, streamed to PlaySound:
    // from the file's chunks for the movies the own reader reads (every
    // AVI here: Wine's frame getter is left for the own reader), frame by
    // frame through the plug-in for MPEG. (The waveOut player of movies
    // read through AVIFile is checked on its own below.)
    static const struct {
        const char *kind;
        int soundlr, swapped, frame;
        const char *source;
        int tolerance;
        const char *partner;  // with the stereo-sound option: the right channel's movie
    } cases[] = {
        {"mjpg", 0, 0, 5, "mjpg_L.pcm", 0, nullptr},
        {"mjpg", 1, 0, 0, "mjpg_R.pcm", 0, nullptr},
        // Exchanged: the setting still names the movie as it was opened.
        {"mjpg", 1, 1, 7, "mjpg_R.pcm", 0, nullptr},
        {"raw", 0, 0, 5, "raw_L.pcm", 0, nullptr},
        {"raw", 0, 1, 3, "raw_L.pcm", 0, nullptr},
        // Through the built-in MPEG plug-in, compared with ffmpeg's Layer
        // II decoder.
        {"mpg", 0, 0, 4, "mpg_L.pcm", 2, nullptr},
        {"mpg", 1, 0, 0, "mpg_R.pcm", 2, nullptr},
        // Stereo sound from the two movies: the timing movie's left
        // channel on the left, the partner's on the right.
        {"mpg", 0, 0, 2, "mpg_L.pcm", 2, "mpg_R.pcm"},
    };
    for (const auto &c : cases) {
        const char *ext = strcmp(c.kind, "mpg") ? ".avi" : ".mpg";
        std::string l = std::string(c.kind) + "_L" + ext, r = std::string(c.kind) + "_R" + ext;
        OpenMedia(l.c_str(), r.c_str());
        if (c.swapped)
            Command(IDM_EXCHANGE);
        g_nSoundlr = c.soundlr;
        g_bStereoSound = c.partner ? 1 : 0;
        g_nFrame = c.frame;
        // The first ten frames are in the block before PlaySound starts;
        // the device here plays four times faster than real time and may
        // run ahead of later appends into silence.
        size_t frames = 20 - c.frame < 10 ? 20 - c.frame : 10;
        std::string what = std::string(c.kind) + " " + std::to_string(c.soundlr) + std::to_string(c.swapped) +
                           " from " + std::to_string(c.frame);
        ClearCaptured();
        bool given = false, waited = false;
        s_onFrame = [&](int) {
            if (!waited)
                given = WaitForCapturedSound(frames * 1764 * 4);
            waited = true;
        };
        Command(IDM_PLAY_PAIR);
        s_onFrame = nullptr;
        EXPECT_TRUE(given) << what << ": the device was given too little sound within 20 s";
        std::vector<BYTE> source = ReadWholeFile(Media(c.source));
        if (c.partner) {
            std::vector<BYTE> right = ReadWholeFile(Media(c.partner));
            for (size_t i = 0; i + 4 <= source.size() && i + 4 <= right.size(); i += 4)
                memcpy(&source[i + 2], &right[i], 2);
        }
        // 44,100 samples a second at 25 frames a second: 1,764 a frame.
        const MovieSource *timing = SoundFromRightRecord(c.soundlr, c.swapped) ? g_pRight : g_pLeft;
        EXPECT_EQ(AudioSampleAtFrame(timing, c.frame), c.frame * 1764);
        size_t from = (size_t)AudioSampleAtFrame(timing, c.frame) * 4;
        ASSERT_NE(timing->nKind, kSourceAviFile) << what;
        ExpectSoundFrom(Captured(), source, from, frames * 1764 * 4, what, c.tolerance, false);
        EXPECT_EQ(g_hWaveOut, nullptr);
    }
    g_bStereoSound = 0;
}

TEST_F(Playback, TheSoundBlockIsSizedByTheMovieThatSuppliesTheSound)
{
    // The long left movie gives the sound; the short right one was opened
    // last. A block sized by it would hold about 4 frames of sound, while
    // the loop appends ten frames per shown frame from the long movie's
    // sound.
    OpenMedia("long_L.avi", "short_R.avi");
    ASSERT_EQ(g_pLeft->nKind, kSourceOwnReader);
    ASSERT_LT((size_t)g_pRight->nWaveBufSize, 5u * 1764 * 4);
    ASSERT_GT((size_t)g_pLeft->nWaveBufSize, 199u * 1764 * 4);
    g_nCacheBudget = 16000000;
    ClearCaptured();
    bool given = false, waited = false;
    s_onFrame = [&](int) {
        if (!waited)
            given = WaitForCapturedSound(4 * 1764 * 4);
        waited = true;
        Sleep(60);  // time for the appends
    };
    Command(IDM_PLAY_PAIR);
    EXPECT_TRUE(given) << "the device was given too little sound within 20 s";
    // The short movie's four frames, one maybe skipped after the wait.
    EXPECT_EQ(s_shown.size() + g_nPlayDrops, 4u);
    EXPECT_EQ(s_shown.back().frame, 3);
    // The device here plays four times faster than real time and runs
    // ahead of the appends into silence: only the start is compared.
    ExpectSoundFrom(Captured(), ReadWholeFile(Media("long_L.pcm")), 0, 4 * 1764 * 4, "long beside short", 0, false);
}

TEST_F(Playback, WavePlayerPlaysARangeAndRefusesWhatItCannot)
{
    PAVIFILE file = nullptr;
    AVIFileInit();
    ASSERT_EQ(AVIFileOpenA(&file, Media("mjpg_R.avi").c_str(), OF_READ, nullptr), 0);
    PAVISTREAM audio = nullptr;
    ASSERT_EQ(AVIFileGetStream(file, &audio, streamtypeAUDIO, 0), 0);
    // Samples 1000 .. 12999, waited for.
    ASSERT_EQ(StartWaveAudio(main, audio, 1000, 13000, 1), 1);
    EXPECT_EQ(g_hWaveOut, nullptr);  // stopped by itself once played
    std::vector<BYTE> captured = Captured();
    std::vector<BYTE> source = ReadWholeFile(Media("mjpg_R.pcm"));
    ExpectSoundFrom(captured, source, 4000, 4 * 12000, "range");
    // Nothing after the range's end.
    size_t lead = 0;
    while (lead < captured.size() && !captured[lead])
        lead++;
    size_t after = 0;
    for (size_t i = lead + 4 * 12000; i < captured.size(); i++)
        after += captured[i] != 0;
    EXPECT_EQ(after, 0u);
    // An empty range and no stream play nothing.
    EXPECT_EQ(StartWaveAudio(main, audio, 500, 500, 0), 0);
    EXPECT_EQ(StartWaveAudio(main, nullptr, -1, -1, 0), 0);
    EXPECT_EQ(g_hWaveOut, nullptr);
    // A stale notification of a closed device changes nothing.
    EXPECT_EQ(OnWaveOutDone(main, MM_WOM_DONE, 0x1234, 0), 0);
    AVIStreamRelease(audio);
    AVIFileRelease(file);
}

// Frames may be skipped on a busy machine: the triggers below act on the
// first frame shown at or after their frame.
TEST_F(Playback, FollowUpChainStopAndRepeat)
{
    OpenMedia("raw_L.avi", "raw_R.avi");
    g_bSound1 = 0;
    // F2 while the left movie plays: that playback stops and the pair
    // plays from where it stopped.
    int at = -1;
    s_onFrame = [&](int frame) {
        if (g_nPlayEye == 1 && frame >= 3 && at < 0) {
            at = frame;
            Command(IDM_KEY_F2);
        }
    };
    Command(IDM_PLAY_LEFT);
    ASSERT_GE(at, 3);
    size_t left = s_shown.size();
    EXPECT_EQ(s_shown.back().frame, at);
    EXPECT_EQ(g_nPlayChain, 0);
    Pump();  // the posted play command
    ASSERT_GT(s_shown.size(), left);
    EXPECT_EQ(s_shown[left].eye, 0);
    EXPECT_EQ(s_shown[left].frame, at);
    EXPECT_GE(s_shown.back().frame, 17);

    // Esc during playback only stops it: the window stays.
    s_shown.clear();
    g_nFrame = 0;
    at = -1;
    s_onFrame = [&](int frame) {
        if (frame >= 2 && at < 0) {
            at = frame;
            Command(IDM_KEY_ESC);
        }
    };
    Command(IDM_PLAY_PAIR);
    EXPECT_EQ(s_shown.back().frame, at);
    size_t shown = s_shown.size();
    Pump();
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(s_shown.size(), shown);

    // Repeat: played again from the beginning until stopped.
    s_shown.clear();
    g_nFrame = 15;
    g_bRepeat = 1;
    s_onFrame = [&](int) {
        if (s_shown.size() == 12)
            Command(IDM_STOP);
    };
    Command(IDM_PLAY_PAIR);
    g_bRepeat = 0;
    ASSERT_EQ(s_shown.size(), 12u);
    EXPECT_EQ(s_shown[0].frame, 15);
    size_t wrap = 1;
    while (wrap < s_shown.size() && s_shown[wrap].frame > s_shown[wrap - 1].frame)
        wrap++;
    ASSERT_LT(wrap, s_shown.size());
    EXPECT_GE(s_shown[wrap - 1].frame, 17);
    EXPECT_EQ(s_shown[wrap].frame, 0);
    Pump();
    EXPECT_EQ(s_shown.size(), 12u);
}

TEST_F(Playback, ASaveCommandEndsThePlaybackAndRunsAfterIt)
{
    OpenMedia("raw_L.avi", "raw_R.avi");
    g_bSound1 = 0;
    int at = -1;
    s_onFrame = [&](int frame) {
        if (frame >= 3 && at < 0) {
            at = frame;
            Command(IDM_SAVE_STEREO);
        }
    };
    Command(IDM_PLAY_PAIR);
    EXPECT_EQ(s_shown.back().frame, at);  // cancelled
    EXPECT_EQ(g_nBusy, 0);
    // The save is waiting in the queue, not run inside the loop.
    int busyAtSave = -1;
    MSG m;
    bool queued = false;
    while (PeekMessageA(&m, main, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
        if (LOWORD(m.wParam) == IDM_SAVE_STEREO) {
            queued = true;
            busyAtSave = g_nBusy;
            DispatchMessageA(&m);
        }
    }
    EXPECT_TRUE(queued);
    EXPECT_EQ(busyAtSave, 0);
    // It ran: its dialog came up once the loop had ended.
    ASSERT_FALSE(dialogs.empty());
    for (const SeenDialog &d : dialogs)
        EXPECT_EQ(d.busy, 0) << d.title;
    // Stopped before the loop noticed: the save is forgotten with the
    // playback.
    s_shown.clear();
    dialogs.clear();
    g_nFrame = 0;
    at = -1;
    s_onFrame = [&](int frame) {
        if (frame >= 2 && at < 0) {
            at = frame;
            Command(IDM_SAVE_STEREO);
            Command(IDM_STOP);
        }
    };
    Command(IDM_PLAY_PAIR);
    queued = false;
    while (PeekMessageA(&m, main, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        queued |= LOWORD(m.wParam) == IDM_SAVE_STEREO;
    EXPECT_FALSE(queued);
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(Playback, RotationStepsAndTheAutomaticAlignment)
{
    OpenMedia("raw_L.avi", "raw_R.avi");
    g_nRotationL = g_nRotationR = 0;
    g_bAdjustActive = 0;
    // Shift+Right and Shift+Left turn both images by a tenth of a degree;
    // the alignment is in force while a value is not 0.
    Command(IDM_ADJUST_STEP_FORWARD);
    EXPECT_EQ(g_nRotationL, 1);
    EXPECT_EQ(g_nRotationR, 1);
    EXPECT_EQ(g_bAdjustActive, 1);
    Command(IDM_ADJUST_STEP_BACK);
    Command(IDM_ADJUST_STEP_BACK);
    EXPECT_EQ(g_nRotationL, -1);
    Command(IDM_ADJUST_STEP_FORWARD);
    EXPECT_EQ(g_nRotationL, 0);
    EXPECT_EQ(g_bAdjustActive, 0);
    // Refused while busy.
    g_nBusy = kBusyPlaying;
    g_nShiftX = 99;
    Command(IDM_AUTO_ALIGN);
    EXPECT_EQ(g_nShiftX, 99);
    g_nBusy = 0;
    // The passes run on the frames at the position (the matcher built in,
    // no outside tools here), in the per-frame mode as the setting says.
    g_nAlignPass = 0;
    g_bAllFrameSetting = 0;
    g_bAllFrameAdjust = 1;
    Command(IDM_AUTO_ALIGN);
    EXPECT_GE(g_nAlignPass, 2);
    EXPECT_EQ(g_bAllFrameAdjust, 0);
    // Played with the alignment in force: every frame passes the hook.
    g_bSound1 = 0;
    g_nFrame = 0;
    Command(IDM_PLAY_PAIR);
    EXPECT_GE(s_shown.size(), 16u);
    g_bAdjustActive = 0;
    g_nShiftX = g_nShiftY = 0;
}

}  // namespace
