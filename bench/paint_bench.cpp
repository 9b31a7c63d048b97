// The time the user waits for a picture: from the program's start to the
// first painted pair (two movies on the command line), and from a frame
// step (Space) to the next pair painted. Runs in the program's Wine
// desktop, starts the program itself and watches the view window on the
// screen: two strips across it, one through the eye pictures (upper half)
// and one through the lower half, where the blended picture of the start
// mode is painted last.
//
// usage: paint_bench PROGRAM LEFT RIGHT STEPS OUTPUT
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Now()
{
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)f.QuadPart;
}

struct Strips {
    std::vector<BYTE> upper, lower;
};

// Two strips of 4 rows across the view's client area, at a quarter and at
// three quarters of its height.
Strips Capture(HWND view)
{
    Strips s;
    RECT r;
    GetClientRect(view, &r);
    POINT o = {0, 0};
    ClientToScreen(view, &o);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    int w = r.right, h = 4;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    size_t bytes = (size_t)((w * 3 + 3) & ~3) * h;
    for (int k = 0; k < 2; k++) {
        int y = o.y + (k == 0 ? r.bottom / 4 : 3 * r.bottom / 4);
        BitBlt(mem, 0, 0, w, h, screen, o.x, y, SRCCOPY);
        GdiFlush();
        (k == 0 ? s.upper : s.lower).assign((BYTE *)bits, (BYTE *)bits + bytes);
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return s;
}

bool Lit(const std::vector<BYTE> &v)
{
    return std::any_of(v.begin(), v.end(), [](BYTE b) { return b > 16; });
}

BOOL CALLBACK FindView(HWND w, LPARAM p)
{
    char cls[32];
    GetClassNameA(w, cls, sizeof cls);
    if (!strcmp(cls, "2REELSC")) {
        *(HWND *)p = w;
        return FALSE;
    }
    return TRUE;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: paint_bench PROGRAM LEFT RIGHT STEPS OUTPUT\n");
        return 2;
    }
    int steps = atoi(argv[4]);
    FILE *out = fopen(argv[5], "w");
    if (!out)
        return 2;
    std::string cmd = std::string("\"") + argv[1] + "\" \"" + argv[2] + "\" \"" + argv[3] + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    double start = Now();
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        fprintf(out, "error: cannot start the program\n");
        fclose(out);
        return 1;
    }
    // The first pair: both strips lit.
    HWND main = nullptr, view = nullptr;
    double first = 0;
    while (Now() - start < 60) {
        if (!main)
            main = FindWindowA("2REELS", nullptr);
        if (main && !view)
            EnumChildWindows(main, FindView, (LPARAM)&view);
        if (view && IsWindowVisible(view)) {
            Strips s = Capture(view);
            if (Lit(s.upper) && Lit(s.lower)) {
                first = Now() - start;
                break;
            }
        }
        Sleep(1);
    }
    if (!first) {
        fprintf(out, "error: no pair was painted\n");
        fclose(out);
        TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    fprintf(out, "first %.1f\n", first * 1000);
    Sleep(500);

    // Frame steps: Space, then the lower strip (painted last) changes.
    std::vector<double> times;
    for (int i = 0; i < steps; i++) {
        Strips before = Capture(view);
        double t0 = Now();
        PostMessageA(main, WM_KEYDOWN, VK_SPACE, 0x00390001);
        PostMessageA(main, WM_KEYUP, VK_SPACE, 0xC0390001);
        double t = 0;
        while (Now() - t0 < 5) {
            Strips s = Capture(view);
            if (s.lower != before.lower && s.upper != before.upper) {
                t = Now() - t0;
                break;
            }
        }
        if (!t) {
            fprintf(out, "error: step %d was not painted\n", i);
            break;
        }
        times.push_back(t * 1000);
        Sleep(100);
    }
    fprintf(out, "step %.1f %.1f %.1f %d\n", Median(times), times.empty() ? 0 : *std::min_element(times.begin(), times.end()),
            times.empty() ? 0 : *std::max_element(times.begin(), times.end()), (int)times.size());
    PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    fprintf(out, "exit %lu\n", code);
    fclose(out);
    return 0;
}
