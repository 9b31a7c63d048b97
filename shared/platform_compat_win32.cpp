#include "shared/platform_compat.h"

#include "shared/file_at.h"
#include "shared/wintypes.h"

#include <math.h>
#include <stdio.h>
#include <string.h>
#include <vfw.h>

#include <algorithm>
#include <vector>

bool IsRunningOnWine()
{
    static int wine = -1;
    if (wine < 0) {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        wine = ntdll && GetProcAddress(ntdll, "wine_get_version") ? 1 : 0;
    }
    return wine == 1;
}

bool AviFileOpenUnusable(uint64_t firstRiffEnd, bool zeroTimeStream)
{
    return (firstRiffEnd > 0x7FFFFFFFu || zeroTimeStream) && IsRunningOnWine();
}

bool AviGetterMisreadsRawFrames()
{
    return IsRunningOnWine();
}

bool AviGetterRedecodesCompressedFrames()
{
    return IsRunningOnWine();
}

bool GraphSeeksOnlyWhenStopped()
{
    return IsRunningOnWine();
}

bool GraphRateNotReadBack()
{
    return IsRunningOnWine();
}

double GraphTimeExact(double seconds)
{
    if (!IsRunningOnWine() || !(fabs(seconds) < 1e9))
        return seconds;
    return (double)llround(seconds * 1e7) / 1e7;
}

void RaiseOwnedPopup(HWND popup)
{
    if (popup)
        SetWindowPos(popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Writing AVI files through Wine's AVIFile ----

namespace {

// Frames start .. start + length - 1 of a stream, read-only, numbered from
// 0: what EditStreamCopy hands out on Windows.
class RangeStream : public IAVIStream {
public:
    RangeStream(PAVISTREAM source, LONG start, LONG length) : m_source(source), m_start(start), m_length(length)
    {
        AVIStreamAddRef(source);
    }

    STDMETHODIMP QueryInterface(REFIID riid, LPVOID *out) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IAVIStream)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --m_refs;
        if (left == 0) {
            AVIStreamRelease(m_source);
            delete this;
        }
        return left;
    }
    STDMETHODIMP Create(LPARAM, LPARAM) override { return AVIERR_UNSUPPORTED; }
    STDMETHODIMP Info(AVISTREAMINFOW *info, LONG size) override
    {
        AVISTREAMINFOW mine;
        HRESULT hr = m_source->Info(&mine, sizeof mine);
        if (FAILED(hr))
            return hr;
        mine.dwStart = 0;
        mine.dwLength = (DWORD)m_length;
        mine.dwInitialFrames = 0;
        memcpy(info, &mine, (size_t)(size < (LONG)sizeof mine ? size : (LONG)sizeof mine));
        return S_OK;
    }
    STDMETHODIMP_(LONG) FindSample(LONG pos, LONG flags) override
    {
        if (pos < 0 || pos >= m_length)
            return -1;
        LONG found = m_source->FindSample(pos + m_start, flags);
        if (found < 0)
            return -1;
        found -= m_start;
        // A key frame before the range: the range's first frame is where
        // the copy begins.
        if (found < 0)
            return (flags & FIND_PREV) ? 0 : -1;
        return found < m_length ? found : -1;
    }
    STDMETHODIMP ReadFormat(LONG pos, LPVOID format, LONG *size) override
    {
        return m_source->ReadFormat(pos + m_start, format, size);
    }
    STDMETHODIMP SetFormat(LONG, LPVOID, LONG) override { return AVIERR_READONLY; }
    STDMETHODIMP Read(LONG start, LONG samples, LPVOID buffer, LONG bufferBytes, LONG *bytes, LONG *read) override
    {
        if (start < 0 || start >= m_length) {
            if (bytes)
                *bytes = 0;
            if (read)
                *read = 0;
            return start == m_length ? S_OK : AVIERR_BADPARAM;
        }
        if (samples > m_length - start)
            samples = m_length - start;
        return m_source->Read(start + m_start, samples, buffer, bufferBytes, bytes, read);
    }
    STDMETHODIMP Write(LONG, LONG, LPVOID, LONG, DWORD, LONG *, LONG *) override { return AVIERR_READONLY; }
    STDMETHODIMP Delete(LONG, LONG) override { return AVIERR_READONLY; }
    STDMETHODIMP ReadData(DWORD fcc, LPVOID data, LONG *size) override { return m_source->ReadData(fcc, data, size); }
    STDMETHODIMP WriteData(DWORD, LPVOID, LONG) override { return AVIERR_READONLY; }
    STDMETHODIMP SetInfo(AVISTREAMINFOW *, LONG) override { return AVIERR_READONLY; }

private:
    virtual ~RangeStream() = default;
    PAVISTREAM m_source;
    LONG m_start, m_length;
    ULONG m_refs = 1;
};

// The temporary WAVE files behind the streams MakeWaveStream made.
struct WaveFileStream {
    PAVISTREAM stream;
    char path[MAX_PATH];
};
WaveFileStream s_waveFiles[8];

}  // namespace

long TimeToSampleOfRate(unsigned long rate, unsigned long scale, unsigned long start, unsigned long length, long ms)
{
    if (ms < 0 || rate == 0 || scale == 0)
        return -1;
    unsigned long long num = (unsigned long long)rate * (unsigned long long)ms;
    unsigned long long den = (unsigned long long)scale * 1000u;
    unsigned long long sample = rate / scale < 1000 ? num / den : (num + den - 1) / den;
    unsigned long long end = (unsigned long long)start + length;
    if (sample < start)
        sample = start;
    if (sample > end)
        sample = end;
    return sample > 0x7FFFFFFFu ? 0x7FFFFFFF : (long)sample;
}

long StreamTimeToSample(IAVIStream *stream, long ms)
{
    if (!IsRunningOnWine())
        return AVIStreamTimeToSample(stream, ms);
    AVISTREAMINFOA info;
    if (!stream || AVIStreamInfoA(stream, &info, sizeof info) != 0)
        return -1;
    return TimeToSampleOfRate(info.dwRate, info.dwScale, info.dwStart, info.dwLength, ms);
}

bool EditStreamCopyUnusable()
{
    return IsRunningOnWine();
}

long CopyStreamRange(IAVIStream *source, long start, long length, IAVIStream **editable, IAVIStream **copy)
{
    *editable = *copy = nullptr;
    if (EditStreamCopyUnusable()) {
        AVISTREAMINFOA info;
        HRESULT hr = AVIStreamInfoA(source, &info, sizeof info);
        if (FAILED(hr))
            return hr;
        // The range as EditStreamCopy bounds it: inside the stream.
        LONG first = (LONG)info.dwStart, end = first + (LONG)info.dwLength;
        if (start < first)
            start = first;
        if (length > end - start)
            length = end - start;
        if (length <= 0)
            return AVIERR_BADPARAM;
        *copy = new RangeStream(source, start, length);
        return 0;
    }
    HRESULT hr = CreateEditableStream(editable, source);
    if (FAILED(hr))
        return hr;
    LONG s = start, n = length;
    hr = EditStreamCopy(*editable, &s, &n, copy);
    if (FAILED(hr)) {
        AVIStreamRelease(*editable);
        *editable = nullptr;
        *copy = nullptr;
    }
    return hr;
}

long MakeWaveStream(void *waveBlock, IAVIStream **stream)
{
    *stream = nullptr;
    HRESULT hr = AVIMakeStreamFromClipboard(CF_WAVE, GlobalHandle(waveBlock), stream);
    if (SUCCEEDED(hr) || !IsRunningOnWine())
        return hr;
    int slot = 0;
    while (slot < 8 && s_waveFiles[slot].stream)
        slot++;
    if (slot == 8)
        return AVIERR_MEMORY;
    const BYTE *wave = (const BYTE *)waveBlock;
    DWORD bytes = 8 + (DWORD)(wave[4] | wave[5] << 8 | wave[6] << 16 | (DWORD)wave[7] << 24);
    // AVIFile picks its reader by the extension: the unique name that
    // GetTempFileName reserves, with ".wav" after it.
    char folder[MAX_PATH], base[MAX_PATH];
    char *path = s_waveFiles[slot].path;
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "twr", 0, base) ||
        strlen(base) + 5 > MAX_PATH)
        return AVIERR_FILEOPEN;
    snprintf(path, MAX_PATH, "%s.wav", base);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, wave, bytes, &written, nullptr) && written == bytes;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (ok)
        hr = AVIStreamOpenFromFileA(stream, path, streamtypeAUDIO, 0, OF_READ | OF_SHARE_DENY_NONE, nullptr);
    if (!ok || FAILED(hr)) {
        DeleteFileA(path);
        DeleteFileA(base);
        return ok ? hr : AVIERR_FILEWRITE;
    }
    s_waveFiles[slot].stream = *stream;
    return 0;
}

void ReleaseWaveStream(IAVIStream *stream)
{
    if (!stream)
        return;
    AVIStreamRelease(stream);
    for (WaveFileStream &w : s_waveFiles)
        if (w.stream == stream) {
            DeleteFileA(w.path);
            w.path[strlen(w.path) - 4] = '\0';  // the reserved name
            DeleteFileA(w.path);
            w.stream = nullptr;
        }
}

long WriteSoundBlocks(IAVIStream *stream, long position, long samples, const void *data, long bytes,
                      long *samplesWritten, long *bytesWritten)
{
    if (position > 0 && IsRunningOnWine())
        position = -1;
    LONG sw = 0, bw = 0;
    HRESULT hr = AVIStreamWrite(stream, position, samples, (LPVOID)data, bytes, AVIIF_KEYFRAME, &sw, &bw);
    if (samplesWritten)
        *samplesWritten = sw;
    if (bytesWritten)
        *bytesWritten = bw;
    return hr;
}

bool AviStreamsMustPrecedeData()
{
    return IsRunningOnWine();
}

namespace {

DWORD Read32(const BYTE *p) { return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24; }
void Write32(BYTE *p, DWORD v)
{
    p[0] = (BYTE)v, p[1] = (BYTE)(v >> 8), p[2] = (BYTE)(v >> 16), p[3] = (BYTE)(v >> 24);
}

// An existing file opened to be read and rewritten in place.
HANDLE OpenToRewrite(const char *path)
{
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool RepairAviHeaders(const char *path)
{
    if (!IsRunningOnWine())
        return true;
    HANDLE file = OpenToRewrite(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = false;
    BYTE head[12];
    LARGE_INTEGER size;
    uint64_t hdrlAt = 0, idx1At = 0;
    DWORD hdrlBytes = 0, idx1Bytes = 0;
    if (GetFileSizeEx(file, &size) && ReadFileAt(file, 0, head, 12) && memcmp(head, "RIFF", 4) == 0 &&
        memcmp(head + 8, "AVI ", 4) == 0) {
        uint64_t end = 8 + (uint64_t)Read32(head + 4);
        if (end > (uint64_t)size.QuadPart)
            end = (uint64_t)size.QuadPart;
        for (uint64_t pos = 12; pos + 12 <= end;) {
            BYTE chunk[12];
            if (!ReadFileAt(file, pos, chunk, 12))
                break;
            DWORD bytes = Read32(chunk + 4);
            if (memcmp(chunk, "LIST", 4) == 0 && memcmp(chunk + 8, "hdrl", 4) == 0) {
                hdrlAt = pos + 8;
                hdrlBytes = bytes;
            } else if (memcmp(chunk, "idx1", 4) == 0) {
                idx1At = pos + 8;
                idx1Bytes = bytes;
            }
            pos += 8 + (uint64_t)bytes + (bytes & 1);
        }
    }
    std::vector<BYTE> hdrl(hdrlBytes), idx1(idx1Bytes);
    if (hdrlAt && idx1At && hdrlBytes >= 4 + 64 && hdrlBytes < 0x100000 && idx1Bytes < 0x10000000 &&
        ReadFileAt(file, hdrlAt, hdrl.data(), hdrlBytes) && ReadFileAt(file, idx1At, idx1.data(), idx1Bytes) &&
        memcmp(&hdrl[4], "avih", 4) == 0) {
        // Bytes per stream from the index ("00dc", "01wb": the stream's
        // number in the first two characters).
        uint64_t streamBytes[100] = {};
        for (size_t i = 0; i + 16 <= idx1.size(); i += 16) {
            BYTE a = idx1[i], b = idx1[i + 1];
            if (a >= '0' && a <= '9' && b >= '0' && b <= '9')
                streamBytes[(a - '0') * 10 + (b - '0')] += Read32(&idx1[i + 12]);
        }
        ok = true;
        bool changed = false, haveVideo = false;
        int stream = 0;
        for (size_t pos = 4; pos + 8 <= hdrl.size();) {
            BYTE *chunk = &hdrl[pos];
            DWORD bytes = Read32(chunk + 4);
            if (bytes > hdrl.size() - pos - 8)
                break;
            if (memcmp(chunk, "LIST", 4) == 0 && bytes >= 4 + 8 + 48 && memcmp(chunk + 8, "strl", 4) == 0 &&
                memcmp(chunk + 12, "strh", 4) == 0) {
                BYTE *strh = chunk + 20;
                DWORD scale = Read32(strh + 20), rate = Read32(strh + 24), sampleSize = Read32(strh + 44);
                if (memcmp(strh, "vids", 4) == 0 && !haveVideo && rate) {
                    haveVideo = true;
                    DWORD usec = (DWORD)MulDiv(1000000, (int)scale, (int)rate);
                    if (Read32(&hdrl[12]) != usec) {
                        Write32(&hdrl[12], usec);
                        changed = true;
                    }
                } else if (memcmp(strh, "auds", 4) == 0 && sampleSize && stream < 100) {
                    DWORD samples = (DWORD)(streamBytes[stream] / sampleSize);
                    if (Read32(strh + 32) != samples) {
                        Write32(strh + 32, samples);
                        changed = true;
                    }
                }
                stream++;
            }
            pos += 8 + bytes + (bytes & 1);
        }
        if (changed)
            ok = WriteFileAt(file, hdrlAt, hdrl.data(), hdrlBytes);
    }
    CloseHandle(file);
    return ok;
}

bool OrderAviIndex(const char *path)
{
    if (!IsRunningOnWine())
        return true;
    HANDLE file = OpenToRewrite(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BYTE head[12];
    LARGE_INTEGER size;
    uint64_t idx1At = 0;
    DWORD idx1Bytes = 0;
    if (GetFileSizeEx(file, &size) && ReadFileAt(file, 0, head, 12) && memcmp(head, "RIFF", 4) == 0) {
        uint64_t end = 8 + (uint64_t)Read32(head + 4);
        if (end > (uint64_t)size.QuadPart)
            end = (uint64_t)size.QuadPart;
        for (uint64_t pos = 12; pos + 8 <= end;) {
            BYTE chunk[8];
            if (!ReadFileAt(file, pos, chunk, 8))
                break;
            DWORD bytes = Read32(chunk + 4);
            if (memcmp(chunk, "idx1", 4) == 0 && bytes <= end - pos - 8) {
                idx1At = pos + 8;
                idx1Bytes = bytes - bytes % 16;
            }
            pos += 8 + (uint64_t)bytes + (bytes & 1);
        }
    }
    bool ok = idx1At != 0 && idx1Bytes < 0x10000000;
    if (ok && idx1Bytes) {
        std::vector<BYTE> idx1(idx1Bytes);
        ok = ReadFileAt(file, idx1At, idx1.data(), idx1Bytes);
        struct Entry {
            BYTE bytes[16];
        };
        std::vector<Entry> entries(idx1Bytes / 16);
        if (ok)
            memcpy(entries.data(), idx1.data(), idx1Bytes);
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry &a, const Entry &b) { return Read32(a.bytes + 8) < Read32(b.bytes + 8); });
        if (ok && memcmp(entries.data(), idx1.data(), idx1Bytes) != 0)
            ok = WriteFileAt(file, idx1At, entries.data(), idx1Bytes);
    }
    CloseHandle(file);
    return ok;
}
