#include "alignment/auto_align.h"

#include "alignment/alignment_file.h"
#include "alignment/alignment_state.h"
#include "alignment/control_points.h"
#include "alignment/surf_matcher.h"

#include <shellapi.h>
#include <stdio.h>
#include <string.h>

int g_nAlignPass = 1;
PackedDib *g_pAdjustDibL = nullptr, *g_pAdjustDibR = nullptr;

namespace {

const char kWorkFolderName[] = "twradj";

// Set by a pass that took its values from the value file.
bool s_bTookValueFile = false;

bool JoinPath(char *out, size_t bytes, const char *folder, const char *name)
{
    return (size_t)snprintf(out, bytes, "%s%s", folder, name) < bytes;
}

// The built-in matcher: grey working images of the pass's size, SURF pairs
// written to the control-point file in full-frame pixels.
void MatchBuiltIn(HWND owner, const PackedDib *left, const PackedDib *right, const char *pointsPath)
{
    const MatchWorkingSize ws = ChooseMatchWorkingSize(g_nAlignPass, DibWidth(left), DibHeight(left));
    g_dMatchRatio = ws.ratio;
    PackedDib *greyL = ScaleDibToGrey(owner, left, ws.width, ws.height);
    PackedDib *greyR = ScaleDibToGrey(owner, right, ws.width, ws.height);
    if (greyL && greyR)
        MatchSurfFeatures(greyL, greyR, pointsPath, ws.scale);
    FreeDib(greyL);
    FreeDib(greyR);
}

} // namespace

bool GetAlignWorkFolder(char *folder, int bytes)
{
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp)
        return false;
    return snprintf(folder, (size_t)bytes, "%s%s\\", temp, kWorkFolderName) < bytes;
}

// SHFileOperation deletes what pFrom names: a list of names ended by an
// empty one.
static void DeleteWithShell(HWND owner, const char *pattern, FILEOP_FLAGS flags)
{
    char from[MAX_PATH + 2];
    memset(from, 0, sizeof from);
    if (strlen(pattern) >= MAX_PATH)
        return;
    strcpy(from, pattern);
    SHFILEOPSTRUCTA op;
    memset(&op, 0, sizeof op);
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = from;
    op.pTo = nullptr;
    op.fFlags = flags;
    SHFileOperationA(&op);
}

void CleanAlignWorkFolder(HWND owner)
{
    char folder[MAX_PATH], pattern[MAX_PATH];
    if (GetAlignWorkFolder(folder, sizeof folder) && JoinPath(pattern, sizeof pattern, folder, "*.*"))
        DeleteWithShell(owner, pattern, FOF_SILENT | FOF_NOCONFIRMATION);
}

void RemoveAlignWorkFolder(HWND owner)
{
    char folder[MAX_PATH];
    if (!GetAlignWorkFolder(folder, sizeof folder))
        return;
    folder[strlen(folder) - 1] = '\0';
    if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
        return;
    DeleteWithShell(owner, folder, FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI);
}

int AutoAlignPair(HWND owner, const char *leftMoviePath, const PackedDib *left, const PackedDib *right)
{
    int maySave = 0;
    s_bTookValueFile = false;
    if (ReuseAlignmentFile(owner, leftMoviePath, &maySave)) {
        s_bTookValueFile = true;
        return 0;
    }
    if (g_bNoAlignReport)
        maySave = 0;
    if (!left || !right)
        return 0;

    char folder[MAX_PATH];
    if (!GetAlignWorkFolder(folder, sizeof folder))
        return 0;
    CreateDirectoryA(folder, nullptr);
    // The pass works in the folder and gives the process its directory
    // back, so that nothing holds the folder when it is removed.
    char previous[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(sizeof previous, previous);
    const bool restore = n > 0 && n < sizeof previous;
    SetCurrentDirectoryA(folder);

    g_nImageWidth = DibWidth(left);
    g_nImageHeight = DibHeight(left);
    char points[MAX_PATH];
    int found = 0;
    if (JoinPath(points, sizeof points, folder, "output.oto")) {
        // A file left by an earlier pass must not stand in for this one's.
        DeleteFileA(points);
        MatchBuiltIn(owner, left, right, points);
        found = FitControlPoints(points);
    }
    if (found > 0) {
        if (maySave && !g_bAllFrameAdjust)
            SaveAlignmentFile(leftMoviePath);
        CleanAlignWorkFolder(owner);
    }
    if (restore)
        SetCurrentDirectoryA(previous);
    return 0;
}

void RunAutoAlignPasses(HWND owner, const char *leftMoviePath)
{
    g_nAlvFileMode = kAlvAsk;
    for (g_nAlignPass = 1; g_nAlignPass <= 3;) {
        AutoAlignPair(owner, leftMoviePath, g_pAdjustDibL, g_pAdjustDibR);
        g_nAlignPass++;
        // Values taken from the file end the passes too: a further pass
        // would only find the file and ask again.
        if (g_nMatchedPoints > 50 || s_bTookValueFile)
            break;
    }
}
