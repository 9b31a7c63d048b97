#include "alignment/auto_align.h"

#include "alignment/alignment_file.h"
#include "alignment/control_points.h"
#include "alignment/surf_matcher.h"
#include "alignment/tool_batch.h"
#include "alignment/tool_images.h"
#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/string_table.h"
#include "state/alignment_state.h"

#include <shellapi.h>
#include <stdio.h>
#include <string.h>

int g_nAlignPass = 1;
PackedDib *g_pAdjustDibL = nullptr, *g_pAdjustDibR = nullptr;

namespace {

const char kWorkFolderName[] = "twradj";

// Set by a pass that took its values from the value file.
bool s_bTookValueFile = false;
// Whether the failure to write the tools' images was reported since the
// last start of an alignment command (one message, not one per pass or
// frame).
bool s_bImageFailureShown = false;

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
    // The fit puts the barrel setting into force, so the points are found
    // on corrected frames, as the tools get them.
    PackedDib *correctedL = nullptr, *correctedR = nullptr;
    if (BarrelPreCorrectionOn(g_nBarrel)) {
        correctedL = CorrectBarrelDib(owner, left, BarrelSettingValue(g_nBarrel));
        correctedR = CorrectBarrelDib(owner, right, BarrelSettingValue(g_nBarrel));
        if (correctedL && correctedR) {
            left = correctedL;
            right = correctedR;
        }
    }
    PackedDib *greyL = ScaleDibToGrey(owner, left, ws.width, ws.height);
    PackedDib *greyR = ScaleDibToGrey(owner, right, ws.width, ws.height);
    if (greyL && greyR)
        MatchSurfFeatures(greyL, greyR, pointsPath, ws.scale);
    FreeDib(greyL);
    FreeDib(greyR);
    FreeDib(correctedL);
    FreeDib(correctedR);
}

// One image for the tools: barrel-corrected first when the pre-correction
// is on.
bool WriteToolImage(HWND owner, const PackedDib *frame, const char *path)
{
    int ok;
    if (BarrelPreCorrectionOn(g_nBarrel)) {
        PackedDib *corrected = CorrectBarrelDib(owner, frame, BarrelSettingValue(g_nBarrel));
        ok = corrected && SaveDibAsTiff(owner, path, corrected, 0);
        FreeDib(corrected);
    } else {
        ok = SaveDibAsTiff(owner, path, frame, 0);
    }
    if (!ok && !s_bImageFailureShown) {
        s_bImageFailureShown = true;
        AppMessageBox(owner, LoadStr(IDS_TOOL_IMAGE_FAILED), path, MB_OK | MB_ICONWARNING);
    }
    return ok != 0;
}


// The outside tools: both frames as TIFF files, the batch file run. The
// control-point file is the tool's output; a stale one was removed first,
// so a tool that did not run leaves none.
void MatchWithTools(HWND owner, const char *folder, const PackedDib *left, const PackedDib *right,
                    const char *pointsPath)
{
    char batch[MAX_PATH], imageL[MAX_PATH], imageR[MAX_PATH];
    if (!JoinPath(batch, sizeof batch, folder, "start.bat") ||
        !JoinPath(imageL, sizeof imageL, folder, "image_l.tif") ||
        !JoinPath(imageR, sizeof imageR, folder, "image_r.tif"))
        return;
    if (g_nAutopanoTool == kToolAutopano)
        WriteAutopanoBatch(batch);
    else
        WriteGeneratekeysBatch(batch);
    if (!WriteToolImage(owner, left, imageL) || !WriteToolImage(owner, right, imageR))
        return;
    RunToolBatch(owner, batch, nullptr, g_bHideToolWindow ? SW_HIDE : SW_SHOWNORMAL);
}

bool WriteToolLine(FILE *file, const char *program, const char *arguments)
{
    return fprintf(file, "\"%s%s\"%s\n", g_szAutopanoFolder, program, arguments) > 0;
}

int CloseBatch(FILE *file, bool ok)
{
    ok = fclose(file) == 0 && ok;
    return ok ? 0 : 1;
}

} // namespace

int WriteGeneratekeysBatch(const char *batchPath)
{
    FILE *file = fopen(batchPath, "wt");
    if (!file)
        return 1;
    bool ok = WriteToolLine(file, "generatekeys.exe", " image_l.tif image_l.tif.gz 700");
    ok = WriteToolLine(file, "generatekeys.exe", " image_r.tif image_r.tif.gz 700") && ok;
    ok = WriteToolLine(file, "autopano", " --maxmatches 0 --ransac off output.oto image_l.tif.gz image_r.tif.gz") && ok;
    return CloseBatch(file, ok);
}

int WriteAutopanoBatch(const char *batchPath)
{
    FILE *file = fopen(batchPath, "wt");
    if (!file)
        return 1;
    return CloseBatch(file, WriteToolLine(file, "autopano.exe", " .\\ /validation:0 /name:output"));
}

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
    const bool tools = g_nAutopanoTool == kToolGeneratekeys || g_nAutopanoTool == kToolAutopano;
    char points[MAX_PATH];
    int found = 0;
    if (JoinPath(points, sizeof points, folder, g_nAutopanoTool == kToolAutopano ? "output0.oto" : "output.oto")) {
        // A file left by an earlier pass must not stand in for this one's.
        DeleteFileA(points);
        if (tools)
            MatchWithTools(owner, folder, left, right, points);
        else
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

void BeginAlignmentReports() { s_bImageFailureShown = false; }

void RunAutoAlignPasses(HWND owner, const char *leftMoviePath)
{
    BeginAlignmentReports();
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
