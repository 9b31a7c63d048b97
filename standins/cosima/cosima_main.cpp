// Stand-in for the outside alignment program "cosima.exe":
//   cosima.exe /LR=0 /SO=1 /AO=0 <answers
// It reads its two console answers (Enter to start, "n" to the question
// whether to keep its settings) from standard input, the pair from
// "image_l.tga" and "image_r.tga" in the current folder (uncompressed
// 24-bit TGA), measures how the right image is turned, scaled and moved
// against the left with the project's own SURF matcher and fit, and
// writes "cosima_report.txt" and "image_cs.tga" (the pair side by side).
//
// The report's numbers are chosen so that the program's storing gives the
// values that align the pair: rotation error in degrees (right against
// left, so the opposite of the left-minus-right correction), size error in
// percent, height error in pixels, vergence in units of ten perspective
// steps, and the horizontal offset as the first near-point deviation
// minus the second.
//
// For tests: TWR_COSIMA_CUT=N (0-5) in the environment cuts the report
// after its first N labelled lines, as a program that died while writing.
// Exit code 0, or 1 with a message on stderr.
#include "../alignment_tools/tool_keys.h"

#include "alignment/control_points.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const int kMaxSide = 700;
const double kRatio = 0.8;

struct ColourImage {
    int width = 0, height = 0;
    std::vector<unsigned char> bgr;  // rows from the top, 3 x width bytes each
};

int Fail(const std::string &message)
{
    fprintf(stderr, "cosima: %s\n", message.c_str());
    return 1;
}

// An uncompressed true-colour TGA of 24 bits, either row order.
bool ReadTga(const char *path, ColourImage *image, std::string *error)
{
    FILE *f = fopen(path, "rb");
    if (!f) {
        *error = std::string("cannot open ") + path;
        return false;
    }
    unsigned char h[18];
    bool ok = fread(h, 1, 18, f) == 18 && h[1] == 0 && h[2] == 2 && h[16] == 24;
    const int w = h[12] | h[13] << 8, ht = h[14] | h[15] << 8;
    ok = ok && w > 0 && ht > 0 && fseek(f, h[0], SEEK_CUR) == 0;
    if (ok) {
        image->width = w;
        image->height = ht;
        image->bgr.resize((size_t)w * ht * 3);
        const bool topFirst = (h[17] & 0x20) != 0;
        for (int k = 0; ok && k < ht; k++) {
            const int y = topFirst ? k : ht - 1 - k;
            ok = fread(&image->bgr[(size_t)y * w * 3], 1, (size_t)w * 3, f) == (size_t)w * 3;
        }
    }
    fclose(f);
    if (!ok)
        *error = std::string("not a complete 24-bit TGA image: ") + path;
    return ok;
}

GreyImage ToGrey(const ColourImage &c)
{
    GreyImage g;
    g.width = c.width;
    g.height = c.height;
    g.pixels.resize((size_t)c.width * c.height);
    for (size_t i = 0; i < g.pixels.size(); i++) {
        const unsigned char *p = &c.bgr[i * 3];
        g.pixels[i] = (unsigned char)(0.587 * p[1] + 0.299 * p[2] + 0.114 * p[0]);
    }
    return g;
}

// The pair side by side, bottom row first.
bool WriteSideBySide(const char *path, const ColourImage &l, const ColourImage &r)
{
    FILE *f = fopen(path, "wb");
    if (!f)
        return false;
    const int w = l.width + r.width, h = l.height > r.height ? l.height : r.height;
    unsigned char header[18] = {0};
    header[2] = 2;
    header[12] = w & 0xFF;
    header[13] = w >> 8 & 0xFF;
    header[14] = h & 0xFF;
    header[15] = h >> 8 & 0xFF;
    header[16] = 24;
    bool ok = fwrite(header, 1, 18, f) == 18;
    std::vector<unsigned char> row((size_t)w * 3);
    for (int k = 0; ok && k < h; k++) {
        const int y = h - 1 - k;
        std::fill(row.begin(), row.end(), 0);
        if (y < l.height)
            memcpy(&row[0], &l.bgr[(size_t)y * l.width * 3], (size_t)l.width * 3);
        if (y < r.height)
            memcpy(&row[(size_t)l.width * 3], &r.bgr[(size_t)y * r.width * 3], (size_t)r.width * 3);
        ok = fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return fclose(f) == 0 && ok;
}

// The two console answers: a line to start, then "n".
bool ReadAnswers()
{
    char line[256];
    printf("Press Enter to start.\n");
    if (!fgets(line, sizeof line, stdin))
        return false;
    printf("Save the settings (y/n)? ");
    if (!fgets(line, sizeof line, stdin))
        return false;
    printf("\n");
    return line[0] == 'n' || line[0] == 'N' || line[0] == 'y' || line[0] == 'Y';
}

// The alignment values that make the right image match the left, by the
// project's own fit on refined SURF matches. False when too little matched.
bool Measure(const ColourImage &left, const ColourImage &right, int *points, std::string *error)
{
    const GreyImage greyL = ToGrey(left), greyR = ToGrey(right);
    ImageKeys keysL, keysR;
    if (!MakeGreyImageKeys(greyL, "image_l.tga", kMaxSide, &keysL, error) ||
        !MakeGreyImageKeys(greyR, "image_r.tga", kMaxSide, &keysR, error))
        return false;
    const auto matches = MatchImageKeys(keysL, keysR, kRatio, 0);
    const std::vector<PointPair> pairs = MakeControlPoints(keysL, keysR, matches, greyL, greyR);
    g_nImageWidth = left.width;
    g_nImageHeight = left.height;
    const double cx = left.width * 0.5, cy = left.height * 0.5;
    g_nControlPoints = 0;
    for (const PointPair &p : pairs) {
        if (g_nControlPoints >= kMaxControlPoints)
            break;
        ControlPoint &c = g_aControlPoints[g_nControlPoints++];
        c.bExcluded = 0;
        c.x = p.x - cx;
        c.y = p.y - cy;
        c.X = p.X - cx;
        c.Y = p.Y - cy;
    }
    *points = g_nControlPoints;
    if (g_nControlPoints < 10 || FitLoadedControlPoints() == 0 || g_nMatchedPoints == 0) {
        *error = "too few matching points";
        return false;
    }
    return true;
}

bool WriteReport(const char *path, int points, int cut)
{
    FILE *f = fopen(path, "w");
    if (!f)
        return false;
    const char *lines[6];
    char text[6][128];
    snprintf(text[0], sizeof text[0], "Mean error of height = %.2f px", (double)g_nShiftY);
    snprintf(text[1], sizeof text[1], "Mean error of size = %.2f %%", (g_nSize1000L - g_nSize1000R) / 10.0);
    snprintf(text[2], sizeof text[2], "Mean error of rotation = %.2f deg", -(g_nRotationL - g_nRotationR) / 10.0);
    snprintf(text[3], sizeof text[3], "Mean error of vergence = %.2f",
             (g_nPerspectiveVL - g_nPerspectiveVR) / 20.0);
    snprintf(text[4], sizeof text[4], "Near point deviation = %.2f px", (double)g_nShiftX);
    snprintf(text[5], sizeof text[5], "Near point deviation = %.2f px", 0.0);
    for (int i = 0; i < 6; i++)
        lines[i] = text[i];
    fprintf(f, "cosima stand-in report\n");
    fprintf(f, "Images: image_l.tga image_r.tga, %d x %d\n", g_nImageWidth, g_nImageHeight);
    fprintf(f, "Matched points = %d, used = %d\n", points, g_nMatchedPoints);
    fprintf(f, "\n[Errors]\n");
    bool ok = true;
    for (int i = 0; i < 6 && i < cut; i++) {
        if (i == 4)
            fprintf(f, "\n[Deviations]\nFar point deviation = 0.00 px\n");
        ok = fprintf(f, "%s\n", lines[i]) > 0 && ok;
    }
    if (cut >= 6)
        fprintf(f, "Residual vertical error = %.2f px\nEnd of report\n", g_dMeanErrorH);
    return fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; i++)
        if (strcmp(argv[i], "/LR=0") && strcmp(argv[i], "/SO=1") && strcmp(argv[i], "/AO=0"))
            return Fail(std::string("unknown option ") + argv[i]);
    if (!ReadAnswers())
        return Fail("no answers on the console input");
    ColourImage left, right;
    std::string error;
    if (!ReadTga("image_l.tga", &left, &error) || !ReadTga("image_r.tga", &right, &error))
        return Fail(error);
    int points = 0;
    if (!Measure(left, right, &points, &error))
        return Fail(error);
    int cut = 6;
    if (const char *c = getenv("TWR_COSIMA_CUT"))
        cut = atoi(c);
    if (!WriteReport("cosima_report.txt", points, cut))
        return Fail("cannot write cosima_report.txt");
    if (!WriteSideBySide("image_cs.tga", left, right))
        return Fail("cannot write image_cs.tga");
    printf("cosima: %d points, report written\n", points);
    return 0;
}
