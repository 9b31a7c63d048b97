#include "shell/player_rules.h"

#include "shell/view_commands.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

namespace {

// The title's words in the ANSI code page (932) the program runs in.
const char kNoClip[] = "\x8d\xc4\x90\xb6\x83\x82\x81\x5b\x83\x68";            // 再生モード
const char kVideo[] = "\x83\x72\x83\x66\x83\x49";                              // ビデオ
const char kAudio[] = "\x83\x49\x81\x5b\x83\x66\x83\x42\x83\x49";              // オーディオ
const char kMuted[] = "(\x8f\xc1\x89\xb9)";                                    // (消音)
const char kPaused[] = "(\x92\xe2\x8e\x7e\x92\x86)";                           // (停止中)

const int kSizeCommand50 = 4005, kSizeCommand75 = 4006, kSizeCommand100 = 4007, kSizeCommand200 = 4008;

}  // namespace

const char *PlayerFileTitle(const char *path)
{
    const char *title = path;
    for (const char *p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            title = p + 1;
    return title;
}

void FormatPlayerTitle(char *out, size_t size, const PlayerTitleState &s)
{
    if (size == 0)
        return;
    if (!s.path || !s.path[0]) {
        snprintf(out, size, "%s", kNoClip);
        return;
    }
    char rate[32] = "";
    if (s.rate != 1.0)
        snprintf(rate, sizeof rate, "(Rate:%2.2f)", s.rate);
    snprintf(out, size, "%s [%s] %s%s%s", PlayerFileTitle(s.path), s.audioOnly ? kAudio : kVideo,
             s.muted ? kMuted : "", s.paused ? kPaused : "", rate);
}

PlayerKey PlayerKeyFor(unsigned virtualKey)
{
    // The C library's upper-casing of the code, as the keys have always
    // been read: function and keypad keys with lower-case codes act as the
    // letters.
    int key = virtualKey <= 255 ? toupper((int)virtualKey) : (int)virtualKey;
    switch (key) {
    case 0x0D: case 'F': return {kPlayerKeyFullScreen, 0, 0};
    case 0x1B: case 'Q': case 'X': case 0x7B: return {kPlayerKeyLeave, 0, 0};
    case ' ': return {kPlayerKeyStep, 1, 0};
    case 0x25: return {kPlayerKeySlower, 0, 0};
    case 0x27: return {kPlayerKeyFaster, 0, 0};
    case 0x28: return {kPlayerKeyRateNormal, 0, 0};
    case 'H': return {kPlayerKeySize, 0, kSizeCommand50};
    case 'T': return {kPlayerKeySize, 0, kSizeCommand75};
    case 'N': return {kPlayerKeySize, 0, kSizeCommand100};
    case 'D': return {kPlayerKeySize, 0, kSizeCommand200};
    case 'M': return {kPlayerKeyMute, 0, 0};
    case 'P': return {kPlayerKeyPlay, 0, 0};
    case 'S': return {kPlayerKeyPause, 0, 0};
    default:
        if (key >= '1' && key <= '9')
            return {kPlayerKeyStep, key - '0', 0};
        return {kPlayerKeyNone, 0, 0};
    }
}

int PlayerFrameMs(double secondsPerFrame, bool known)
{
    double ms = known ? secondsPerFrame * 1000 : 0;
    if (!(ms >= 10))  // NaN too
        return 10;
    if (ms > 100)
        return 100;
    return (int)ms;
}

void ResetSeekBar(SeekBarRange *bar, int clipLength, int frameMs, int seekMs)
{
    bar->start = 0;
    bar->end = clipLength - 1;
    // Ten frames a unit for a long clip; longer still for clips whose units
    // would pass the thumb's 16 bits even so.
    bar->scale = PositionBarScale(bar->end / frameMs);
    bar->pos = seekMs > bar->end ? bar->end : seekMs;
}

int SeekBarUnits(const SeekBarRange &bar, int ms, int frameMs) { return ms / (frameMs * bar.scale); }

int SeekBarScroll(const SeekBarRange &bar, int code, int thumb, int frameMs)
{
    int pos = bar.pos, page = (bar.end - bar.start) / 10;
    switch (code) {
    case 0: pos -= frameMs; break;  // SB_LINELEFT
    case 1: pos += frameMs; break;  // SB_LINERIGHT
    case 2: pos -= page; break;     // SB_PAGELEFT
    case 3: pos += page; break;     // SB_PAGERIGHT
    case 4:                          // SB_THUMBPOSITION
    case 5: pos = bar.scale * thumb * frameMs; break;  // SB_THUMBTRACK
    case 6: pos = bar.start; break;  // SB_LEFT
    case 7: pos = bar.end; break;    // SB_RIGHT
    default: return pos;
    }
    if (pos < bar.start)
        pos = bar.start;
    if (pos > bar.end)
        pos = bar.end;
    return pos;
}
