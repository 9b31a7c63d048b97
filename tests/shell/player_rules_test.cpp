#include "shell/player_rules.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cmath>
#include <string>

namespace {

// The title's words are in the program's ANSI code page (932).
std::string Cp932(const std::string &utf8)
{
#ifdef _WIN32
    wchar_t wide[256];
    char out[512];
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 256);
    EXPECT_GT(n, 0);
    n = WideCharToMultiByte(932, 0, wide, -1, out, sizeof out, nullptr, nullptr);
    EXPECT_GT(n, 0);
    return out;
#else
    iconv_t cd = iconv_open("CP932", "UTF-8");
    EXPECT_NE(cd, (iconv_t)-1);
    std::string in = utf8, out(utf8.size() * 2 + 1, '\0');
    char *src = &in[0], *dst = &out[0];
    size_t left = in.size(), room = out.size();
    EXPECT_NE(iconv(cd, &src, &left, &dst, &room), (size_t)-1);
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
#endif
}

TEST(PlayerRules, Title)
{
    struct Case {
        PlayerTitleState state;
        const char *utf8;
    } cases[] = {
        {{"C:\\movies\\a.avi", false, false, false, 1.0}, u8"a.avi [ビデオ] "},
        {{"/home/me/a b.mp4", true, true, true, 1.5}, u8"a b.mp4 [オーディオ] (消音)(停止中)(Rate:1.50)"},
        {{"c.avi", false, false, false, 0.25}, u8"c.avi [ビデオ] (Rate:0.25)"},
        {{"d:\\x/y\\z.wav", true, false, true, 1.0}, u8"z.wav [オーディオ] (停止中)"},
        {{"dir\\", false, false, false, 1.0}, u8" [ビデオ] "},
        {{"", false, true, true, 2.0}, u8"再生モード"},
        {{nullptr, false, false, false, 1.0}, u8"再生モード"},
    };
    for (const Case &c : cases) {
        char title[256];
        FormatPlayerTitle(title, sizeof title, c.state);
        EXPECT_EQ(std::string(title), Cp932(c.utf8)) << c.utf8;
    }
    // Cut to the buffer, terminated.
    char small[8];
    FormatPlayerTitle(small, sizeof small, {"abcdefghij.avi", false, false, false, 1.0});
    EXPECT_STREQ(small, "abcdefg");
}

// Virtual-key codes as the window gets them; the C library's upper-casing
// makes the function and keypad keys with lower-case codes act as letters.
TEST(PlayerRules, Keys)
{
    struct Case {
        unsigned vk;
        PlayerKeyAction action;
        int frames, command;
    } cases[] = {
        {0x0D, kPlayerKeyFullScreen, 0, 0},  // Enter
        {'F', kPlayerKeyFullScreen, 0, 0},
        {0x66, kPlayerKeyFullScreen, 0, 0},  // keypad 6 ('f')
        {0x1B, kPlayerKeyLeave, 0, 0},       // Esc
        {'Q', kPlayerKeyLeave, 0, 0},
        {0x71, kPlayerKeyLeave, 0, 0},  // F2 ('q')
        {'X', kPlayerKeyLeave, 0, 0},
        {0x78, kPlayerKeyLeave, 0, 0},  // F9 ('x')
        {0x7B, kPlayerKeyLeave, 0, 0},  // F12
        {' ', kPlayerKeyStep, 1, 0},
        {'1', kPlayerKeyStep, 1, 0},
        {'2', kPlayerKeyStep, 2, 0},
        {'9', kPlayerKeyStep, 9, 0},
        {'0', kPlayerKeyNone, 0, 0},
        {0x25, kPlayerKeySlower, 0, 0},      // Left
        {0x27, kPlayerKeyFaster, 0, 0},      // Right
        {0x28, kPlayerKeyRateNormal, 0, 0},  // Down
        {0x26, kPlayerKeyNone, 0, 0},        // Up
        {'H', kPlayerKeySize, 0, 4005},
        {0x68, kPlayerKeySize, 0, 4005},  // keypad 8 ('h')
        {'T', kPlayerKeySize, 0, 4006},
        {0x74, kPlayerKeySize, 0, 4006},  // F5 ('t')
        {'N', kPlayerKeySize, 0, 4007},
        {0x6E, kPlayerKeySize, 0, 4007},  // keypad decimal point ('n')
        {'D', kPlayerKeySize, 0, 4008},
        {0x64, kPlayerKeySize, 0, 4008},  // keypad 4 ('d')
        {'M', kPlayerKeyMute, 0, 0},
        {0x6D, kPlayerKeyMute, 0, 0},  // keypad minus ('m')
        {'P', kPlayerKeyPlay, 0, 0},
        {0x70, kPlayerKeyPlay, 0, 0},  // F1 ('p')
        {'S', kPlayerKeyPause, 0, 0},
        {0x73, kPlayerKeyPause, 0, 0},  // F4 ('s')
        {0x61, kPlayerKeyNone, 0, 0},   // keypad 1 ('a')
        {0x72, kPlayerKeyNone, 0, 0},   // F3 ('r')
        {0x10D, kPlayerKeyNone, 0, 0},  // beyond a byte: nothing
    };
    for (const Case &c : cases) {
        PlayerKey k = PlayerKeyFor(c.vk);
        EXPECT_EQ(k.action, c.action) << std::hex << c.vk;
        EXPECT_EQ(k.frames, c.frames) << std::hex << c.vk;
        EXPECT_EQ(k.command, c.command) << std::hex << c.vk;
    }
}

TEST(PlayerRules, FrameTimeIsClamped)
{
    struct Case {
        double seconds;
        bool known;
        int ms;
    } cases[] = {
        {0.04, true, 40},      {1 / 29.97, true, 33}, {0.001, true, 10}, {0.5, true, 100},
        {0.0, true, 10},       {0.04, false, 10},     {-1.0, true, 10},  {0.1, true, 100},
        {std::nan(""), true, 10},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PlayerFrameMs(c.seconds, c.known), c.ms) << c.seconds;
}

TEST(PlayerRules, SeekBar)
{
    SeekBarRange bar;
    ResetSeekBar(&bar, 2000, 40, 5000);  // a position past the end comes back to it
    EXPECT_EQ(bar.start, 0);
    EXPECT_EQ(bar.end, 1999);
    EXPECT_EQ(bar.pos, 1999);
    EXPECT_EQ(bar.scale, 1);
    EXPECT_EQ(SeekBarUnits(bar, bar.end, 40), 49);
    // Long clips: ten frames a unit from 64,001 frames on, more where even
    // that would pass the 16-bit thumb.
    struct Long {
        int length, frameMs, scale;
    } longs[] = {{64000 * 10 + 10, 10, 1}, {64001 * 10 + 1, 10, 10}, {7200000, 10, 20}, {7200000, 40, 10}};
    for (const Long &l : longs) {
        ResetSeekBar(&bar, l.length, l.frameMs, 0);
        EXPECT_EQ(bar.scale, l.scale) << l.length;
        EXPECT_LE(SeekBarUnits(bar, bar.end, l.frameMs), 65535) << l.length;
    }

    ResetSeekBar(&bar, 2000, 40, 1000);
    struct Scroll {
        int pos, code, thumb, expected;
    } scrolls[] = {
        {1000, 0, 0, 960},  {1000, 1, 0, 1040}, {1000, 2, 0, 801}, {1000, 3, 0, 1199},
        {1000, 4, 25, 1000}, {1000, 5, 10, 400}, {1000, 6, 0, 0},   {1000, 7, 0, 1999},
        {20, 0, 0, 0},      {1990, 1, 0, 1999}, {100, 2, 0, 0},    {1900, 3, 0, 1999},
        {1000, 4, 60, 1999}, {1000, 8, 0, 1000},  // SB_ENDSCROLL changes nothing
    };
    for (const Scroll &s : scrolls) {
        bar.pos = s.pos;
        EXPECT_EQ(SeekBarScroll(bar, s.code, s.thumb, 40), s.expected) << s.pos << " " << s.code;
    }
}

}  // namespace
