#include "alignment/alignment_file.h"

#include "shared/path_helpers.h"

#include <string.h>

// Folder and name are cut with the path helpers' double-byte rule: a '\'
// that is the second byte of a Shift-JIS character is no separator, and a
// separator after a character whose second byte is 0x80 or more still is
// (a folder named in kanji).
bool MakeAlignmentFilePath(char *path, const char *subFolder)
{
    char folder[kAlignmentPathBytes], name[kAlignmentPathBytes];
    CopyFolderOfPath(folder, path);
    GetFileNameFromPath(name, path);
    if (strlen(folder) + strlen(subFolder) + 1 + strlen(name) >= kAlignmentPathBytes)
        return false;
    strcpy(path, folder);
    strcat(path, subFolder);
    strcat(path, "\\");
    strcat(path, name);
    return true;
}

bool MakeAlignmentSidePath(char *out, const char *moviePath, const char *extension)
{
    char path[kAlignmentPathBytes];
    if (strlen(moviePath) >= sizeof path)
        return false;
    strcpy(path, moviePath);
    if (!MakeAlignmentFilePath(path, "alignment"))
        return false;
    char stem[kAlignmentPathBytes];
    CopyPathWithoutExtension(stem, path);
    if (strlen(stem) + strlen(extension) >= kAlignmentPathBytes)
        return false;
    strcpy(out, stem);
    strcat(out, extension);
    return true;
}

bool MakeAlignmentValuePath(char *out, const char *moviePath)
{
    return MakeAlignmentSidePath(out, moviePath, ".alv");
}
