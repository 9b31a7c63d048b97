#include "state/alignment_settings.h"

#include <stdlib.h>

char g_szAutopanoFolder[kToolFolderChars] = "";
int g_bHideToolWindow = 0;
int g_nAutopara = 0;
int g_nDeviationMode = 301 % 10;
int g_nDeviationPercent = 301 / 10;
int g_nBarrel = 5100;
int g_bNoAlignReport = 0;
int g_bResample = 1;
int g_bAutoCrop = 1;
int g_bAllFrameSetting = 0;
int g_nPmax = 5;
int g_bAdjustV = 1, g_bAdjustH = 1, g_bAdjustSize = 1, g_bAdjustRotation = 1;
int g_bAdjustPerspectiveV = 0, g_bAdjustPerspectiveH = 0;
int g_nAutopanoTool = kToolBuiltIn;

int ParseHundredths(const char *text)
{
    while (*text == ' ' || *text == '\t')
        text++;
    const bool negative = *text == '-';
    // The whole part as atoi reads it, its magnitude limited so that the
    // hundredths cannot overflow.
    const char *p = text;
    if (*p == '-' || *p == '+')
        p++;
    int whole = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        whole = whole * 10 + (*p - '0');
        if (whole > 20000000)
            whole = 20000000;
    }
    int hundredths = 0;
    const char *dot = text;
    while (*dot && *dot != '.')
        dot++;
    if (*dot == '.') {
        char digits[3] = {'0', '0', 0};
        for (int i = 0; i < 2 && dot[1 + i]; i++)
            digits[i] = dot[1 + i];
        hundredths = atoi(digits);
    }
    const int magnitude = whole * 100 + hundredths;
    return negative ? -magnitude : magnitude;
}

int MakeBarrelSetting(bool on, const char *text)
{
    int value = ParseHundredths(text) / 10;
    if (value < -900)
        value = -900;
    if (value > 900)
        value = 900;
    return (on ? 10000 : 0) + 5000 + value;
}

int MakeDeviationSetting(int rule, const char *percentText)
{
    int percent = ParseHundredths(percentText) / 10;
    if (percent < 0)
        percent = 0;
    if (percent > 500)
        percent = 500;
    return rule + percent * 10;
}

int ClampAveragingFrames(int frames)
{
    return frames < 1 ? 1 : frames > 30 ? 30 : frames;
}

int PackAdjustItems()
{
    return g_bAdjustV * 100000 + g_bAdjustH * 10000 + g_bAdjustSize * 1000 + g_bAdjustRotation * 100 +
           g_bAdjustPerspectiveV * 10 + g_bAdjustPerspectiveH;
}

void UnpackAdjustItems(int value)
{
    g_bAdjustV = value / 100000 % 10;
    g_bAdjustH = value / 10000 % 10;
    g_bAdjustSize = value / 1000 % 10;
    g_bAdjustRotation = value / 100 % 10;
    g_bAdjustPerspectiveV = value / 10 % 10;
    g_bAdjustPerspectiveH = value % 10;
}
