#include "pipeline/wave_player.h"

#include <string.h>

HWAVEOUT g_hWaveOut = nullptr;

namespace {

struct WavePlayer {
    PAVISTREAM stream;
    DWORD sampleSize;
    unsigned short bufferCount;
    BYTE *buffers[kWaveBuffers];    // locked blocks: a WAVEHDR, then its data
    HGLOBAL handles[kWaveBuffers];
    unsigned short queued;
    unsigned short next;
    LONG position;
    LONG end;
    bool playing;
};
WavePlayer s_player;

WAVEHDR *Header(int k)
{
    return (WAVEHDR *)s_player.buffers[k];
}

void FreeBuffer(int k)
{
    if (s_player.handles[k]) {
        GlobalUnlock(s_player.handles[k]);
        GlobalFree(s_player.handles[k]);
    }
    s_player.handles[k] = nullptr;
    s_player.buffers[k] = nullptr;
}

}  // namespace

int WaveBuffersQueued() { return s_player.queued; }
int WaveBufferCount() { return s_player.bufferCount; }
LONG WavePosition() { return s_player.position; }
bool WavePlaying() { return s_player.playing; }

int OpenWaveOut(HWND window, PAVISTREAM stream)
{
    if (!stream)
        return 0;
    if (g_hWaveOut)
        return 1;  // the running player goes on
    AVISTREAMINFOA info;
    if (AVIStreamInfoA(stream, &info, sizeof info) != 0)
        return 0;
    if (info.dwSampleSize == 0 || info.dwSampleSize > (DWORD)kWaveBufferBytes)
        return 0;
    LONG formatBytes = 0;
    if (AVIStreamReadFormat(stream, AVIStreamStart(stream), nullptr, &formatBytes) != 0 || formatBytes <= 0)
        return 0;
    // Room for a whole WAVEFORMATEX even when the stream stores less.
    LONG room = formatBytes < (LONG)sizeof(WAVEFORMATEX) ? (LONG)sizeof(WAVEFORMATEX) : formatBytes;
    HGLOBAL fh = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)room);
    if (!fh)
        return 0;
    WAVEFORMATEX *format = (WAVEFORMATEX *)GlobalLock(fh);
    LONG got = formatBytes;
    MMRESULT r = MMSYSERR_ERROR;
    if (format && AVIStreamReadFormat(stream, AVIStreamStart(stream), format, &got) == 0) {
        if (format->wFormatTag == WAVE_FORMAT_PCM)
            format->cbSize = 0;
        r = waveOutOpen(&g_hWaveOut, WAVE_MAPPER, format, (DWORD_PTR)window, 0, CALLBACK_WINDOW);
        if (r != MMSYSERR_NOERROR) {
            // A sound started with PlaySound may hold the device.
            sndPlaySoundA(nullptr, 0);
            r = waveOutOpen(&g_hWaveOut, WAVE_MAPPER, format, (DWORD_PTR)window, 0, CALLBACK_WINDOW);
        }
    }
    GlobalUnlock(fh);
    GlobalFree(fh);
    if (r != MMSYSERR_NOERROR) {
        g_hWaveOut = nullptr;
        return 0;
    }
    s_player.stream = stream;
    s_player.sampleSize = info.dwSampleSize;
    s_player.bufferCount = 0;
    for (int k = 0; k < kWaveBuffers; k++) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(WAVEHDR) + kWaveBufferBytes);
        BYTE *block = h ? (BYTE *)GlobalLock(h) : nullptr;
        if (!block) {
            if (h)
                GlobalFree(h);
            break;
        }
        s_player.handles[k] = h;
        s_player.buffers[k] = block;
        WAVEHDR *hdr = Header(k);
        memset(hdr, 0, sizeof *hdr);
        hdr->dwFlags = WHDR_DONE;
        hdr->lpData = (LPSTR)(block + sizeof(WAVEHDR));
        hdr->dwBufferLength = kWaveBufferBytes;
        if (waveOutPrepareHeader(g_hWaveOut, hdr, sizeof *hdr) != MMSYSERR_NOERROR) {
            FreeBuffer(k);
            break;
        }
        s_player.bufferCount = (unsigned short)(k + 1);
    }
    // Double buffering at the least.
    if (s_player.bufferCount <= 1) {
        CloseWaveOut();
        return 0;
    }
    s_player.queued = 0;
    s_player.next = 0;
    s_player.playing = false;
    return 1;
}

void CloseWaveOut()
{
    if (!g_hWaveOut)
        return;
    for (int k = s_player.bufferCount - 1; k >= 0; k--) {
        if (s_player.buffers[k])
            waveOutUnprepareHeader(g_hWaveOut, Header(k), sizeof(WAVEHDR));
        FreeBuffer(k);
    }
    s_player.bufferCount = 0;
    s_player.queued = 0;
    waveOutClose(g_hWaveOut);
    g_hWaveOut = nullptr;
}

void StopWaveAudio()
{
    if (!g_hWaveOut)
        return;
    waveOutReset(g_hWaveOut);
    s_player.playing = false;
    CloseWaveOut();
}

int QueueWaveBuffers()
{
    if (!s_player.playing || !g_hWaveOut)
        return 1;
    while (s_player.queued < s_player.bufferCount && s_player.position < s_player.end) {
        LONG n = s_player.end - s_player.position;
        LONG most = (LONG)(kWaveBufferBytes / s_player.sampleSize);
        if (n > most)
            n = most;
        WAVEHDR *hdr = Header(s_player.next);
        LONG bytes = 0, samples = 0;
        if (AVIStreamRead(s_player.stream, s_player.position, n, hdr->lpData, kWaveBufferBytes, &bytes, &samples) != 0 ||
            samples < n)
            return 0;
        hdr->dwBufferLength = (DWORD)bytes;
        s_player.position += n;
        if (waveOutWrite(g_hWaveOut, hdr, sizeof *hdr) != MMSYSERR_NOERROR)
            return 0;
        s_player.queued++;
        s_player.next = (unsigned short)((s_player.next + 1) % s_player.bufferCount);
    }
    if (s_player.queued == 0 && s_player.position >= s_player.end)
        StopWaveAudio();  // everything played
    return 1;
}

int StartWaveAudio(HWND window, PAVISTREAM stream, LONG start, LONG end, int wait)
{
    if (!stream)
        return 0;
    if (start < 0)
        start = AVIStreamStart(stream);
    if (end < 0)
        end = AVIStreamStart(stream) + AVIStreamLength(stream);
    if (start >= end)
        return 0;
    if (!OpenWaveOut(window, stream))
        return 0;
    if (!s_player.playing) {
        waveOutPause(g_hWaveOut);
        s_player.position = start;
        s_player.playing = true;
    }
    s_player.end = end;
    QueueWaveBuffers();
    if (g_hWaveOut)
        waveOutRestart(g_hWaveOut);
    if (wait) {
        // The notifications are the window's messages: take them here.
        while (g_hWaveOut && s_player.queued > 0) {
            MSG m;
            if (PeekMessageA(&m, window, MM_WOM_DONE, MM_WOM_DONE, PM_REMOVE))
                OnWaveOutDone(window, m.message, m.wParam, m.lParam);
            else
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_POSTMESSAGE);
        }
    }
    return 1;
}

LRESULT OnWaveOutDone(HWND, UINT message, WPARAM wParam, LPARAM)
{
    // A device stopped earlier may still have notifications waiting.
    if (message != MM_WOM_DONE || !g_hWaveOut || (HWAVEOUT)wParam != g_hWaveOut)
        return 0;
    if (s_player.queued > 0)
        s_player.queued--;
    QueueWaveBuffers();
    return 0;
}
