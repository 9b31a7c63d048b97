#include "alignment/cosima_report.h"

#include "alignment/fixed_point.h"
#include "shared/path_helpers.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <string.h>

namespace {

// Far beyond any report value, so that the rounding and the sums of the
// storing stay inside int.
const int64_t kNumberLimit = 100000000;

const char *const kLabels[kCosimaValueCount] = {
    "Mean error of height", "Mean error of size", "Mean error of rotation", "Mean error of vergence",
    "Near point deviation", "Near point deviation",
};

int64_t DivRound(int64_t v, int64_t d)
{
    return v < 0 ? (v - d / 2) / d : (v + d / 2) / d;
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one line of at most kCosimaLineChars characters into `line`; the
// rest of a longer line is read and dropped, so that text deep inside a
// long line is never taken for the start of one. False at the end.
bool ReadReportLine(FILE *file, char (&line)[kCosimaLineChars + 1])
{
    if (!fgets(line, sizeof line, file))
        return false;
    if (!strchr(line, '\n')) {
        int c;
        while ((c = fgetc(file)) != EOF && c != '\n') {
        }
    }
    return true;
}

} // namespace

int ParseCosimaNumber(const char *line)
{
    const char *p = strchr(line, '=');
    if (!p)
        return 0;
    p++;
    while (*p == ' ' || *p == '\t')
        p++;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        p++;
    }
    int64_t whole = 0;
    for (; IsDigit(*p); p++)
        if (whole < kNumberLimit)
            whole = whole * 10 + (*p - '0');
    int hundredths = 0;
    if (*p == '.') {
        p++;
        if (IsDigit(*p)) {
            hundredths = (*p++ - '0') * 10;
            if (IsDigit(*p))
                hundredths += *p - '0';
        }
    }
    int64_t v = whole * 100 + hundredths;
    if (v > kNumberLimit)
        v = kNumberLimit;
    return (int)(negative ? -v : v);
}

int DivRound10(int v) { return ClampToInt32(DivRound(v, 10)); }

int DivRound100(int v) { return ClampToInt32(DivRound(v, 100)); }

bool ReadCosimaReport(FILE *file, int values[kCosimaValueCount])
{
    for (int i = 0; i < kCosimaValueCount; i++)
        values[i] = 0;
    int found = 0;
    char line[kCosimaLineChars + 1];
    while (found < kCosimaValueCount && ReadReportLine(file, line)) {
        const char *label = kLabels[found];
        if (strncmp(line, label, strlen(label)) == 0)
            values[found++] = ParseCosimaNumber(line);
    }
    return found == kCosimaValueCount;
}

CosimaAlignment CosimaAlignmentFromReport(const int values[kCosimaValueCount])
{
    CosimaAlignment a;
    const int r = DivRound10(values[kCosimaRotation]);
    a.rotationL = -(r / 2);
    a.rotationR = r - r / 2;
    const int s = DivRound10(values[kCosimaSize]);
    a.size1000L = s / 2;
    a.size1000R = s / 2 - s;
    const int64_t nearPoint = (int64_t)values[kCosimaNearPoint1] - values[kCosimaNearPoint2];
    a.shiftX = ClampToInt32(DivRound(nearPoint, 100));
    a.shiftY = DivRound100(values[kCosimaHeight]);
    const int v = DivRound10(values[kCosimaVergence]);
    a.perspectiveVL = v;
    a.perspectiveVR = -v;
    a.halfFov = kHalfFovAfterFit;
    return a;
}

void StoreCosimaAlignment(const CosimaAlignment &a)
{
    g_nRotationL = a.rotationL;
    g_nRotationR = a.rotationR;
    g_nSize1000L = a.size1000L;
    g_nSize1000R = a.size1000R;
    g_nShiftX = a.shiftX;
    g_nShiftY = a.shiftY;
    g_nPerspectiveVL = a.perspectiveVL;
    g_nPerspectiveVR = a.perspectiveVR;
    g_nHalfFov = a.halfFov;
}

bool CosimaReportCopyPath(char *out, size_t bytes, const char *moviePath)
{
    const size_t n = strlen(moviePath);
    if (n + 5 > bytes)
        return false;
    char name[512];
    GetFileNameFromPath(name, moviePath);
    if (strchr(name, '.'))
        CopyPathWithoutExtension(out, bytes, moviePath);
    else
        strcpy(out, moviePath);
    strcat(out, ".adj");
    return true;
}

void MakeTgaHeader(uint8_t header[18], int width, int height)
{
    memset(header, 0, 18);
    header[2] = 2;
    header[12] = (uint8_t)(width & 0xFF);
    header[13] = (uint8_t)(width >> 8 & 0xFF);
    header[14] = (uint8_t)(height & 0xFF);
    header[15] = (uint8_t)(height >> 8 & 0xFF);
    header[16] = 24;
}

bool WriteTgaImage(FILE *file, const PackedDib *frame)
{
    if (!frame || DibBitCount(frame) != 24)
        return false;
    const int w = DibWidth(frame), h = DibHeight(frame);
    uint8_t header[18];
    MakeTgaHeader(header, w, h);
    if (fwrite(header, 1, sizeof header, file) != sizeof header)
        return false;
    // The TGA's rows run from the bottom, as the DIB's do.
    for (int k = 0; k < h; k++)
        if (fwrite(DibRow(frame, k), 1, (size_t)w * 3, file) != (size_t)w * 3)
            return false;
    return true;
}
