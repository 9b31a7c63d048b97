#include "alignment/frame_log.h"

#include "alignment/alignment_file.h"
#include "alignment/frame_adjustment.h"
#include "shared/path_helpers.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <unordered_map>
#include <vector>

int g_aLogWindows[kLogValues][kLogWindowEntries];
int g_nLogWindowCount = 0;

const char kFrameLogHeader[] =
    "-1,X_Org,X_Ave,Y_Org,Y_Ave,Rot_L_Org,Rot_L_Ave,Rot_R_Org,Rot_R_Ave,Size_L_Org,Size_L_Ave,Size_R_Org,"
    "Size_R_Ave,Pars_L_Org,Pars_L_Ave,Pars_R_Org,Pars_R_Ave,VPars_L_Org,VPars_L_Ave,VPars_R_Org,VPars_R_Ave,Left,"
    "Right,Top,Bottom,-1,Point\n";

namespace {

// The logged values, in window order.
int *const kLogged[kLogValues] = {
    &g_nShiftX,       &g_nShiftY,       &g_nRotationL,    &g_nRotationR,    &g_nSize1000L,
    &g_nSize1000R,    &g_nPerspectiveVL, &g_nPerspectiveVR, &g_nPerspectiveHL, &g_nPerspectiveHR,
};

// Field positions in a data line.
enum { kFieldFrame = 0, kFieldLeft = 21, kFieldRight = 22, kFieldTop = 23, kFieldBottom = 24 };
inline int OrgField(int v) { return 1 + 2 * v; }
inline int AveField(int v) { return 2 + 2 * v; }

struct LogRow {
    int f[kLogFields];
};

// One field as atoi reads it, limited to the range of int.
int ReadField(const char *p, const char **end)
{
    while (*p == ' ' || *p == '\t')
        p++;
    char *stop;
    errno = 0;
    long v = strtol(p, &stop, 10);
    if (v > 0x7FFFFFFFL)
        v = 0x7FFFFFFFL;
    if (v < -0x7FFFFFFFL - 1)
        v = -0x7FFFFFFFL - 1;
    p = stop;
    while (*p && *p != ',')
        p++;
    *end = *p == ',' ? p + 1 : p;
    return (int)v;
}

// A line of the log into its 27 fields (missing ones 0). False for a line
// that is no data line: blank, or with a negative first field.
bool ParseLine(const char *line, LogRow *row)
{
    const char *p = line;
    while (*p == ' ' || *p == '\t')
        p++;
    if (*p == '\0' || *p == '\n' || *p == '\r')
        return false;
    for (int i = 0; i < kLogFields; i++) {
        if (*p == '\0' || *p == '\n' || *p == '\r') {
            row->f[i] = 0;
            continue;
        }
        row->f[i] = ReadField(p, &p);
    }
    return row->f[kFieldFrame] >= 0;
}

// Reads one line of at most 511 characters; the rest of a longer line is
// skipped rather than taken for a line of its own.
bool ReadLine(FILE *file, char *line)
{
    if (!fgets(line, kLogLineChars + 1, file))
        return false;
    const size_t n = strlen(line);
    if (n == kLogLineChars && line[n - 1] != '\n') {
        int c;
        while ((c = fgetc(file)) != EOF && c != '\n') {
        }
    }
    return true;
}

bool ReadRows(const char *path, std::vector<LogRow> *rows)
{
    FILE *file = fopen(path, "rt");
    if (!file)
        return false;
    char line[kLogLineChars + 1];
    LogRow row;
    while (ReadLine(file, line))
        if (ParseLine(line, &row))
            rows->push_back(row);
    fclose(file);
    return true;
}

// The parsed log of LoadFrameLogValues, kept while the file keeps its size
// and time.
struct ParsedLog {
    bool valid = false;
    std::string path;
    long long size = -1, time = -1;
    std::vector<LogRow> rows;
    std::unordered_map<int, size_t> firstLine;  // frame -> its first row
} s_log;

bool FileFacts(const char *path, long long *size, long long *time)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return false;
    *size = (long long)st.st_size;
    *time = (long long)st.st_mtime;
    return true;
}

const ParsedLog *ParsedFrameLog(const char *path)
{
    long long size, time;
    if (!FileFacts(path, &size, &time)) {
        ForgetFrameLog();
        return nullptr;
    }
    if (s_log.valid && s_log.path == path && s_log.size == size && s_log.time == time)
        return &s_log;
    ForgetFrameLog();
    if (!ReadRows(path, &s_log.rows)) {
        ForgetFrameLog();
        return nullptr;
    }
    for (size_t i = 0; i < s_log.rows.size(); i++)
        s_log.firstLine.emplace(s_log.rows[i].f[kFieldFrame], i);
    s_log.path = path;
    s_log.size = size;
    s_log.time = time;
    s_log.valid = true;
    return &s_log;
}

bool ReplaceWith(const char *from, const char *to)
{
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return rename(from, to) == 0;
#endif
}

} // namespace

void ForgetFrameLog()
{
    s_log.valid = false;
    s_log.path.clear();
    s_log.rows.clear();
    s_log.firstLine.clear();
}

bool MakeFrameLogPath(char *out, const char *moviePath)
{
    return MakeAlignmentSidePath(out, moviePath, ".csv");
}

int FrameLogWindow() { return ClampAveragingFrames(g_nPmax); }

int PushFrameValues(int frame)
{
    const int n = FrameLogWindow();
    for (int v = 0; v < kLogValues; v++)
        for (int i = n; i >= 1; i--)
            g_aLogWindows[v][i] = g_aLogWindows[v][i - 1];
    g_nLogWindowCount = g_nLogWindowCount + 1 > n ? n : g_nLogWindowCount + 1;
    if (g_nLogWindowCount < 1)
        g_nLogWindowCount = 1;
    for (int v = 0; v < kLogValues; v++) {
        g_aLogWindows[v][0] = *kLogged[v];
        long long sum = 0;
        for (int i = 0; i < g_nLogWindowCount; i++)
            sum += g_aLogWindows[v][i];
        g_aLogWindows[v][n] = (int)(sum / g_nLogWindowCount);
        *kLogged[v] = g_aLogWindows[v][n];
    }
    AppendFrameLogLine(g_szFrameLogPath, frame);
    return 1;
}

int AppendFrameLogLine(const char *path, int frame)
{
    FILE *file = fopen(path, "r+t");
    if (!file) {
        FILE *created = fopen(path, "wb");
        if (!created)
            return 0;
        fclose(created);
        file = fopen(path, "r+t");
        if (!file)
            return 0;
    }
    fseek(file, 0, SEEK_END);
    const int n = FrameLogWindow();
    fprintf(file, "%d,", frame);
    for (int v = 0; v < kLogValues; v++)
        fprintf(file, "%d,%d,", g_aLogWindows[v][0], g_aLogWindows[v][n]);
    fprintf(file, "%d,%d,%d,%d,%d,%d,", g_rcFrameCrop.left, g_rcFrameCrop.right, g_rcFrameCrop.top,
            g_rcFrameCrop.bottom, -1, g_nMatchedPoints);
    fprintf(file, "\n");
    fclose(file);
    ForgetFrameLog();
    return 1;
}

int SmoothFrameLog()
{
    std::vector<LogRow> rows;
    if (!ReadRows(g_szFrameLogPath, &rows))
        return 0;
    const int n = FrameLogWindow();
    const int d = (int)rows.size();
    // Centred means of n original values, where the window fits; the other
    // rows keep their trailing means.
    std::vector<LogRow> smoothed = rows;
    for (int j = n / 2; j <= n / 2 + d - n - 1; j++)
        for (int v = 0; v < kLogValues; v++) {
            long long sum = 0;
            for (int k = j - n / 2; k <= j - n / 2 + n - 1; k++)
                sum += rows[k].f[OrgField(v)];
            smoothed[j].f[AveField(v)] = (int)(sum / n);
        }

    // Written beside the log and then put in its place, so that a failed
    // write loses nothing.
    std::string temp = std::string(g_szFrameLogPath) + ".new";
    FILE *file = fopen(temp.c_str(), "wt");
    if (!file)
        return 0;
    bool ok = fputs(kFrameLogHeader, file) >= 0;
    for (const LogRow &row : smoothed) {
        for (int i = 0; i < kLogFields && ok; i++)
            ok = fprintf(file, "%d,", row.f[i]) > 0;
        ok = ok && fputc('\n', file) != EOF;
    }
    ok = fclose(file) == 0 && ok;
    ForgetFrameLog();
    if (!ok || !ReplaceWith(temp.c_str(), g_szFrameLogPath)) {
        remove(temp.c_str());
        return 0;
    }
    return 1;
}

int LoadFrameLogValues(const char *path, int frame)
{
    const ParsedLog *log = ParsedFrameLog(path);
    if (!log)
        return 0;
    for (int v = 0; v < kLogValues; v++)
        g_aLogWindows[v][0] = *kLogged[v];
    const auto it = log->firstLine.find(frame);
    if (it == log->firstLine.end())
        return 0;
    const LogRow &row = log->rows[it->second];
    for (int v = 0; v < kLogValues; v++)
        *kLogged[v] = row.f[AveField(v)];
    return 1;
}

int LoadFrameLogCrop()
{
    std::vector<LogRow> rows;
    if (!ReadRows(g_szFrameLogPath, &rows))
        return 0;
    CropRect r = {0, 0, 10000, 10000};
    for (const LogRow &row : rows) {
        if (row.f[kFieldLeft] > r.left)
            r.left = row.f[kFieldLeft];
        if (row.f[kFieldTop] > r.top)
            r.top = row.f[kFieldTop];
        if (row.f[kFieldRight] < r.right)
            r.right = row.f[kFieldRight];
        if (row.f[kFieldBottom] < r.bottom)
            r.bottom = row.f[kFieldBottom];
    }
    g_rcFrameCrop = r;
    return 1;
}
