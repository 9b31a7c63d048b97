#include "tests/support/screen_capture.h"

std::vector<BYTE> CaptureScreenRect(const RECT &r)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return {};
    std::vector<BYTE> bits((size_t)((w * 3 + 3) & ~3) * h);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi = {};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    if (GetDIBits(screen, bmp, 0, h, bits.data(), (BITMAPINFO *)&bi, DIB_RGB_COLORS) != h)
        bits.clear();
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return bits;
}

std::vector<BYTE> BmpFileOf(const std::vector<BYTE> &rows, int w, int h)
{
    BITMAPINFOHEADER bi = {};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biSizeImage = (DWORD)rows.size();
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi;
    fh.bfSize = fh.bfOffBits + (DWORD)rows.size();
    std::vector<BYTE> file((const BYTE *)&fh, (const BYTE *)&fh + sizeof fh);
    file.insert(file.end(), (const BYTE *)&bi, (const BYTE *)&bi + sizeof bi);
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}
