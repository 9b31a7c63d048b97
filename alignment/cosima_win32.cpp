#include "alignment/cosima.h"

#include "alignment/tool_batch.h"
#include "shared/path_helpers.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <stdio.h>
#include <string.h>

namespace {

bool JoinPath(char *out, size_t bytes, const char *folder, const char *name)
{
    return (size_t)snprintf(out, bytes, "%s%s", folder, name) < bytes;
}

bool IsFile(const char *path)
{
    const DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int CloseWritten(FILE *file, bool ok)
{
    ok = fclose(file) == 0 && ok;
    return ok ? 0 : 1;
}


// The picture the program leaves besides its report, kept in the folder
// "cosima_output" beside the movie; a failure here costs nothing else.
void KeepOutputImage(const char *moviePath, const char *imagePath)
{
    char folder[MAX_PATH], target[MAX_PATH];
    CopyFolderOfPath(folder, moviePath);
    if (!JoinPath(target, sizeof target, folder, "cosima_output"))
        return;
    CreateDirectoryA(target, nullptr);
    if (JoinPath(target, sizeof target, folder, "cosima_output\\image_cs.tga"))
        CopyFileA(imagePath, target, FALSE);
}

// Reads a report and, only when it is complete, puts its values in force.
int TakeReport(const char *path)
{
    int values[kCosimaValueCount];
    if (ParseCosimaReport(path, values) != 0)
        return 1;
    StoreCosimaAlignment(CosimaAlignmentFromReport(values));
    return 0;
}

} // namespace

bool GetCosimaWorkFolder(char *folder, int bytes)
{
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp)
        return false;
    return snprintf(folder, (size_t)bytes, "%scosima\\", temp) < bytes;
}

int WriteTga(HWND, const char *path, const PackedDib *frame)
{
    FILE *file = fopen(path, "wb");
    if (!file)
        return 1;
    const bool ok = WriteTgaImage(file, frame);
    if (CloseWritten(file, ok) != 0) {
        DeleteFileA(path);
        return 1;
    }
    return 0;
}

int WriteCosimaAnswers(const char *path)
{
    FILE *file = fopen(path, "w+t");
    if (!file)
        return 1;
    return CloseWritten(file, fputs("\nn\n", file) >= 0);
}

int WriteCosimaBatch(const char *path)
{
    FILE *file = fopen(path, "w+t");
    if (!file)
        return 1;
    return CloseWritten(file, fprintf(file, "\"%s\" /LR=0 /SO=1 /AO=0 <file.txt\n", g_szCosimaPath) > 0);
}

int ParseCosimaReport(const char *path, int values[kCosimaValueCount])
{
    FILE *file = fopen(path, "rt");
    if (!file) {
        for (int i = 0; i < kCosimaValueCount; i++)
            values[i] = 0;
        return 1;
    }
    const bool complete = ReadCosimaReport(file, values);
    fclose(file);
    return complete ? 0 : 1;
}

int RunCosima(HWND owner, const char *leftMoviePath, const PackedDib *left, const PackedDib *right)
{
    char copyPath[MAX_PATH];
    const bool haveMovie = IsFile(leftMoviePath) && CosimaReportCopyPath(copyPath, sizeof copyPath, leftMoviePath);
    if (haveMovie && IsFile(copyPath)) {
        if (g_nAlvFileMode == kAlvRecompute)
            DeleteFileA(copyPath);
        else
            return TakeReport(copyPath);
    }
    if (!IsFile(g_szCosimaPath) || !left || !right)
        return 1;

    char folder[MAX_PATH], answers[MAX_PATH], batch[MAX_PATH], imageL[MAX_PATH], imageR[MAX_PATH],
        report[MAX_PATH], output[MAX_PATH];
    if (!GetCosimaWorkFolder(folder, sizeof folder) || !JoinPath(answers, sizeof answers, folder, "file.txt") ||
        !JoinPath(batch, sizeof batch, folder, "start.bat") ||
        !JoinPath(imageL, sizeof imageL, folder, "image_l.tga") ||
        !JoinPath(imageR, sizeof imageR, folder, "image_r.tga") ||
        !JoinPath(report, sizeof report, folder, "cosima_report.txt") ||
        !JoinPath(output, sizeof output, folder, "image_cs.tga"))
        return 1;
    CreateDirectoryA(folder, nullptr);
    // An earlier run's outputs must not stand in for this run's.
    DeleteFileA(report);
    DeleteFileA(output);
    if (WriteCosimaAnswers(answers) != 0 || WriteCosimaBatch(batch) != 0 || WriteTga(owner, imageL, left) != 0 ||
        WriteTga(owner, imageR, right) != 0)
        return 1;
    if (!RunToolBatch(owner, batch, folder, SW_SHOWNORMAL))
        return 1;
    int values[kCosimaValueCount];
    if (ParseCosimaReport(report, values) != 0)
        return 1;
    // Only a complete report is kept for the next run.
    if (haveMovie && !CopyFileA(report, copyPath, FALSE))
        return 1;
    if (haveMovie && IsFile(output))
        KeepOutputImage(leftMoviePath, output);
    StoreCosimaAlignment(CosimaAlignmentFromReport(values));
    return 0;
}
