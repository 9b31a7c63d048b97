// Stand-in for the outside tool "autopano.exe", in both of its forms:
//   autopano [--maxmatches N] [--ransac on|off] <output.oto> <keys.gz>...
//     matches the key files of generatekeys, consecutive images in pairs,
//     and writes the control points to the named file;
//   autopano <folder> [/validation:N] [/name:PREFIX]
//     finds the TIFF images of the folder (by name), makes their keys
//     itself and writes PREFIX0.oto ("panorama0.oto" by default) there.
// Coordinates are full-size pixels from the top-left corner. Exit code 0,
// or 1 with a message on stderr.
#include "tool_keys.h"

#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const double kRatio = 0.8;
const int kFolderMaxSide = 700;

bool EndsWithNoCase(const std::string &s, const char *tail)
{
    const size_t n = strlen(tail);
    return s.size() >= n && _stricmp(s.c_str() + s.size() - n, tail) == 0;
}

int Fail(const std::string &message)
{
    fprintf(stderr, "autopano: %s\n", message.c_str());
    return 1;
}

// Matches consecutive images and refines the pairs on the images
// themselves (found by the names the keys were made from, relative to
// `folder`); a key file whose image is gone gives unrefined points.
int MatchAndWrite(const std::vector<ImageKeys> &images, int maxMatches, const std::string &folder,
                  const std::string &output)
{
    if (images.size() < 2)
        return Fail("need at least two images");
    std::vector<GreyImage> pictures(images.size());
    for (size_t k = 0; k < images.size(); k++) {
        std::string error;
        if (!ReadTiffGrey((folder + images[k].image).c_str(), &pictures[k], &error) &&
            !ReadTiffGrey(images[k].image.c_str(), &pictures[k], &error))
            pictures[k] = GreyImage();
    }
    std::vector<std::vector<PointPair>> points;
    std::vector<int> matched;
    for (size_t k = 0; k + 1 < images.size(); k++) {
        const auto matches = MatchImageKeys(images[k], images[k + 1], kRatio, maxMatches);
        matched.push_back((int)matches.size());
        points.push_back(MakeControlPoints(images[k], images[k + 1], matches, pictures[k], pictures[k + 1]));
    }
    std::string error;
    if (!WriteControlPointFile(output.c_str(), images, points, &error))
        return Fail(error);
    for (size_t k = 0; k < points.size(); k++)
        printf("images %d and %d: %d matches, %d control points\n", (int)k, (int)k + 1, matched[k],
               (int)points[k].size());
    return 0;
}

// The key-file form.
int FromKeyFiles(int argc, char **argv)
{
    int maxMatches = 0;
    int i = 1;
    for (; i < argc && strncmp(argv[i], "--", 2) == 0; i++) {
        if (!strcmp(argv[i], "--maxmatches") && i + 1 < argc)
            maxMatches = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--ransac") && i + 1 < argc)
            ++i;  // no model filtering either way: the fit rejects outliers itself
        else
            return Fail(std::string("unknown option ") + argv[i]);
    }
    if (argc - i < 3)
        return Fail("usage: autopano [--maxmatches N] [--ransac on|off] output.oto keys1.gz keys2.gz ...");
    const std::string output = argv[i++];
    std::vector<ImageKeys> images;
    for (; i < argc; i++) {
        ImageKeys keys;
        std::string error;
        if (!ReadKeyFile(argv[i], &keys, &error))
            return Fail(error);
        images.push_back(keys);
    }
    return MatchAndWrite(images, maxMatches, "", output);
}

// The folder form.
int FromFolder(int argc, char **argv)
{
    std::string folder = argv[1], prefix = "panorama";
    for (int i = 2; i < argc; i++) {
        if (!_strnicmp(argv[i], "/name:", 6))
            prefix = argv[i] + 6;
        else if (!_strnicmp(argv[i], "/validation:", 12))
            ;  // no validation of the matches
        else
            return Fail(std::string("unknown option ") + argv[i]);
    }
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                (EndsWithNoCase(name, ".tif") || EndsWithNoCase(name, ".tiff")))
                names.push_back(name);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    std::sort(names.begin(), names.end());
    std::vector<ImageKeys> images;
    for (const std::string &name : names) {
        ImageKeys keys;
        std::string error;
        if (!MakeImageKeys((folder + name).c_str(), kFolderMaxSide, &keys, &error))
            return Fail(error);
        keys.image = name;
        images.push_back(keys);
    }
    return MatchAndWrite(images, 0, folder, folder + prefix + "0.oto");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return Fail("usage: autopano [options] output.oto keys... | autopano <folder> /name:PREFIX");
    // A first argument that names a folder selects the folder form.
    const DWORD a = GetFileAttributesA(argv[1]);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
        return FromFolder(argc, argv);
    return FromKeyFiles(argc, argv);
}
