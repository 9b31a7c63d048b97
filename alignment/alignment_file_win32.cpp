#include "alignment/alignment_file.h"

#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/string_table.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kSection[] = "Data";

// The keys in the order they are written.
const char *const kKeys[] = {
    "AlignmentValueFile", "Rotation_L", "Rotation_R", "Size1000_L", "Size1000_R", "Position_H", "N_Position_V",
    "PerspectiveV_L", "PerspectiveV_R", "PerspectiveH_L", "PerspectiveH_R", "FocalLength", "PersShift_L",
    "PersShift_R", "CanvasHeight", "ReversePerspective", "Barrel_L", "Barrel_R", "Near_Far_Point", "Image_Width",
    "Image_Height", "Mean_Error_H",
};
enum { kKeyCount = sizeof kKeys / sizeof kKeys[0] };

// Where each key's value lives; null for the ones converted on the way.
int *const kValues[kKeyCount] = {
    nullptr, &g_nRotationL, &g_nRotationR, &g_nSize1000L, &g_nSize1000R, nullptr, &g_nShiftY,
    &g_nPerspectiveVL, &g_nPerspectiveVR, &g_nPerspectiveHL, &g_nPerspectiveHR, nullptr, &g_nPersShiftL,
    &g_nPersShiftR, &g_nCanvasHeight, &g_bReversePerspective, &g_nBarrelL, &g_nBarrelR, &g_nNearFarPoint,
    &g_nImageWidth, &g_nImageHeight, nullptr,
};

bool IsExistingFile(const char *path)
{
    const DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void WriteAlignmentValue(const char *path, const char *key, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA(kSection, key, text, path);
}

int ReadAlignmentValue(const char *path, const char *key)
{
    char text[260];
    GetPrivateProfileStringA(kSection, key, "0", text, 256, path);
    const long v = strtol(text, nullptr, 10);
    return v > 1000000 ? 1000000 : v < -1000000 ? -1000000 : (int)v;
}

void ReadAlignmentFile(const char *path)
{
    for (int i = 1; i < kKeyCount; i++)
        if (kValues[i])
            *kValues[i] = ReadAlignmentValue(path, kKeys[i]);
    g_nShiftX = -ReadAlignmentValue(path, "Position_H");
    g_nHalfFov = HalfFovFromFocalLength(ReadAlignmentValue(path, "FocalLength"));
    g_dMeanErrorH = ReadAlignmentValue(path, "Mean_Error_H") / 10000.0;
}

void WriteAlignmentFile(const char *path)
{
    g_nPersShiftL = g_nPersShiftR = 0;
    g_nCanvasHeight = 0;
    g_bReversePerspective = 0;
    char folder[kAlignmentPathBytes];
    CopyFolderOfPath(folder, path);
    const size_t n = strlen(folder);
    if (n > 0 && folder[n - 1] == '\\')
        folder[n - 1] = '\0';
    CreateDirectoryA(folder, nullptr);
    for (int i = 0; i < kKeyCount; i++) {
        int value;
        if (kValues[i])
            value = *kValues[i];
        else if (i == 0)
            value = 1;
        else if (!strcmp(kKeys[i], "Position_H"))
            value = -g_nShiftX;
        else if (!strcmp(kKeys[i], "FocalLength"))
            value = kFitFocalLengthMm;
        else
            value = (int)(g_dMeanErrorH * 10000);
        WriteAlignmentValue(path, kKeys[i], value);
    }
}

int ReuseAlignmentFile(HWND owner, const char *leftMoviePath, int *maySave)
{
    char path[kAlignmentPathBytes];
    *maySave = 0;
    if (!IsExistingFile(leftMoviePath) || !MakeAlignmentValuePath(path, leftMoviePath))
        return 0;
    *maySave = 1;
    if (g_nAlvFileMode >= kAlvPerFrame || g_bAllFrameAdjust) {
        g_nAlvFileMode = kAlvAsk;
        return 0;
    }
    if (!IsExistingFile(path))
        return 0;
    if (ReadAlignmentValue(path, "AlignmentValueFile") != 0 && g_nAlvFileMode != kAlvRecompute) {
        if (AppMessageBox(owner, LoadStr(IDS_ASK_REUSE_ADJUSTMENT), path, MB_YESNO) == IDYES) {
            ReadAlignmentFile(path);
            return 1;
        }
    }
    g_nAlvFileMode = kAlvRecompute;
    if (!DeleteFileA(path))
        AppMessageBox(owner, LoadStr(IDS_CANNOT_DELETE_ADJUSTMENT), path, MB_OK);
    return 0;
}

void SaveAlignmentFile(const char *leftMoviePath)
{
    char path[kAlignmentPathBytes];
    if (IsExistingFile(leftMoviePath) && MakeAlignmentValuePath(path, leftMoviePath))
        WriteAlignmentFile(path);
}
