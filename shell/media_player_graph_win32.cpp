// The media player's DirectShow graph: rendering a file, the controls of
// a loaded clip, the graph's events and the release of it all.
#include "shell/media_player.h"

#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "shell/player_rules.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdio.h>

HWND ghApp;
char g_szClipName[260];
IGraphBuilder *pGB;
IMediaControl *pMC;
IMediaEventEx *pME;
IMediaSeeking *pMS;
IMediaPosition *pMP;
IVideoWindow *pVW;
IBasicVideo *pBV;
IBasicAudio *pBA;
IVideoFrameStep *g_pFrameStep;
int g_nPlayerState = kPlayerNoClip;
int g_bAudioOnly = 1, g_bPlayerFullScreen, g_bPlayerAtEnd;
long g_lVolume;
double g_dRate = 1.0;
int g_nClipLengthMs = 1000, g_nSeekMs, g_nFrameMs = 10;
DWORD g_dwRotRegister;
int g_bFirstPlacement = 1;
int g_nCustomWidth = 100, g_nCustomHeight = 100;
HWND g_hDrainSave;
int g_bPlayerTimer;
HWND g_hwndPlayerToolbar, g_hwndSeekBar;

namespace {

const long kMuted = -10000;

template <class T> void Release(T *&p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

bool Failed(HRESULT hr, const char *format)
{
    if (SUCCEEDED(hr))
        return false;
    PlayerErrorBox(format, (unsigned)hr);
    return true;
}

void RegisterGraph()
{
    IRunningObjectTable *table = nullptr;
    IMoniker *moniker = nullptr;
    HRESULT hr = GetRunningObjectTable(0, &table);
    if (SUCCEEDED(hr)) {
        WCHAR name[128];
        wsprintfW(name, L"FilterGraph %08x pid %08x", (DWORD)(DWORD_PTR)pGB, GetCurrentProcessId());
        hr = CreateItemMoniker(L"!", name, &moniker);
        if (SUCCEEDED(hr))
            hr = table->Register(0, pGB, moniker, &g_dwRotRegister);
    }
    if (moniker)
        moniker->Release();
    if (table)
        table->Release();
    if (FAILED(hr)) {
        PlayerErrorBox(LoadResString(IDS_PLAYER_ROT_ERROR), (unsigned)hr);
        g_dwRotRegister = 0;
    }
}

void UnregisterGraph()
{
    IRunningObjectTable *table = nullptr;
    if (SUCCEEDED(GetRunningObjectTable(0, &table))) {
        table->Revoke(g_dwRotRegister);
        table->Release();
    }
    g_dwRotRegister = 0;
}

void DetectAudioOnly()
{
    g_bAudioOnly = 1;
    if (!pVW || !pBV)
        return;
    g_bAudioOnly = 0;
    long visible = 0;
    HRESULT hr = pVW->get_Visible(&visible);
    if (hr == E_NOINTERFACE)
        g_bAudioOnly = 1;
    else if (FAILED(hr))
        PlayerErrorBox(LoadResString(IDS_PLAYER_VISIBLE_ERROR), (unsigned long)hr);
}

// Single-frame stepping is kept only when the graph can step now.
void GetFrameStep()
{
    IVideoFrameStep *step = nullptr;
    if (FAILED(pGB->QueryInterface(IID_IVideoFrameStep, (void **)&step)))
        return;
    if (step->CanStep(0, nullptr) == S_OK)
        g_pFrameStep = step;
    else
        step->Release();
}

// A box has no owner: the player may have been closed, and its graph
// released, while one was open.
bool ClosedMeanwhile() { return !ghApp || !pGB; }

// Moves the graph to a time (seconds). Where a graph seeks only when
// stopped, it is stopped for the seek and then run or paused as it was.
HRESULT SeekGraph(REFTIME to)
{
    if (!GraphSeeksOnlyWhenStopped())
        return pMP->put_CurrentPosition(to);
    pMC->Stop();
    HRESULT hr = pMP->put_CurrentPosition(to);
    if (g_nPlayerState == kPlayerRunning)
        pMC->Run();
    else
        pMC->Pause();
    return hr;
}

}  // namespace

void PlayerErrorBox(const char *format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    char caption[128];
    lstrcpynA(caption, LoadResString(IDS_APP_NAME), sizeof caption);
    AppMessageBox(nullptr, text, caption, MB_OK);
}

void PlayerUpdateTitle()
{
    if (!ghApp)
        return;
    char title[400];
    PlayerTitleState s = {g_szClipName, g_bAudioOnly != 0, g_lVolume == kMuted, g_nPlayerState == kPlayerPaused,
                          g_dRate};
    FormatPlayerTitle(title, sizeof title, s);
    SetWindowTextA(ghApp, title);
}

HRESULT PlayerRenderAndRun(const char *name)
{
    UpdateWindow(ghApp);
    WCHAR wFile[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, name, -1, wFile, MAX_PATH))
        wFile[0] = 0;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, (void **)&pGB);
    if (Failed(hr, "FAILED(hr=0x%x) in CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, "
                   "IID_IGraphBuilder, (void **)&pGB)\n"))
        return hr;
    if (Failed(hr = pGB->RenderFile(wFile, nullptr), "FAILED(hr=0x%x) in pGB->RenderFile(wFile, NULL)\n"))
        return hr;
    struct Query {
        REFIID iid;
        void **out;
        const char *text;
    } queries[] = {
        {IID_IMediaControl, (void **)&pMC, "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaControl, (void **)&pMC)\n"},
        {IID_IMediaEventEx, (void **)&pME, "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaEventEx, (void **)&pME)\n"},
        {IID_IMediaSeeking, (void **)&pMS, "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaSeeking, (void **)&pMS)\n"},
        {IID_IMediaPosition, (void **)&pMP, "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaPosition, (void **)&pMP)\n"},
        {IID_IVideoWindow, (void **)&pVW, "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IVideoWindow, (void **)&pVW)\n"},
        {IID_IBasicVideo, (void **)&pBV, "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicVideo, (void **)&pBV)\n"},
        {IID_IBasicAudio, (void **)&pBA, "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicAudio, (void **)&pBA)\n"},
    };
    for (const Query &q : queries)
        if (Failed(hr = pGB->QueryInterface(q.iid, q.out), q.text))
            return hr;
    DetectAudioOnly();
    if (ClosedMeanwhile())
        return E_ABORT;
    if (Failed(hr = pME->SetNotifyWindow((OAHWND)ghApp, WM_GRAPHNOTIFY, 0),
               "FAILED(hr=0x%x) in pME->SetNotifyWindow((OAHWND)ghApp, WM_GRAPHNOTIFY, 0)\n"))
        return hr;
    if (g_bAudioOnly) {
        if (Failed(hr = PlayerInitWindow(), "FAILED(hr=0x%x) in InitPlayerWindow()\n"))
            return hr;
    } else {
        if (Failed(hr = pVW->put_Owner((OAHWND)ghApp), "FAILED(hr=0x%x) in pVW->put_Owner((OAHWND)ghApp)\n"))
            return hr;
        if (Failed(hr = pVW->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
                   "FAILED(hr=0x%x) in pVW->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)\n"))
            return hr;
        if (Failed(hr = InitVideoWindow(1, 1, 1, 1), "FAILED(hr=0x%x) in InitVideoWindow(1, 1,1, 1)\n"))
            return hr;
        if (ClosedMeanwhile())
            return E_ABORT;
        GetFrameStep();
    }
    PlayerCheckSizeItem(IDM_PLAYER_SIZE_100);
    ShowWindow(ghApp, SW_SHOWNORMAL);
    UpdateWindow(ghApp);
    SetForegroundWindow(ghApp);
    SetFocus(ghApp);
    g_bPlayerFullScreen = 0;
    g_dRate = 1.0;
    PlayerUpdateTitle();

    REFTIME duration = 0;
    if (SUCCEEDED(pMP->get_Duration(&duration))) {
        g_nClipLengthMs = (int)(GraphTimeExact(duration) * 1000);
        g_nSeekMs = 0;
    } else {
        g_nClipLengthMs = 1000;
    }
    REFTIME perFrame = 0;
    bool known = pBV && SUCCEEDED(pBV->get_AvgTimePerFrame(&perFrame));
    g_nFrameMs = PlayerFrameMs(GraphTimeExact(perFrame), known);
    if (g_hwndSeekBar)
        SendMessageA(g_hwndSeekBar, WM_COMMAND, IDC_POS_RESET, 0);
    RegisterGraph();
    if (ClosedMeanwhile())
        return E_ABORT;
    if (Failed(hr = pMC->Run(), "FAILED(hr=0x%x) in pMC->Run()\n"))
        return hr;
    g_nPlayerState = kPlayerRunning;
    SetFocus(ghApp);
    return hr;
}

void PlayerReleaseGraph()
{
    if (pVW) {
        pVW->put_Visible(OAFALSE);
        pVW->put_Owner(0);
    }
    if (pME)
        pME->SetNotifyWindow(0, 0, 0);
    if (g_dwRotRegister)
        UnregisterGraph();
    Release(pME);
    Release(pMS);
    Release(pMP);
    Release(pMC);
    Release(pBA);
    Release(pBV);
    Release(pVW);
    Release(g_pFrameStep);
    Release(pGB);
}

void PlayerCloseFile()
{
    if (pMC)
        pMC->Stop();
    g_nPlayerState = kPlayerStopped;
    g_bAudioOnly = 1;
    g_bPlayerFullScreen = 0;
    g_bPlayerAtEnd = 0;
    PlayerReleaseGraph();
    g_szClipName[0] = 0;
    g_nPlayerState = kPlayerNoClip;
    if (ghApp)
        InvalidateRect(ghApp, nullptr, TRUE);
    PlayerUpdateTitle();
    PlayerInitWindow();
}

void PlayerPause()
{
    if (!pMC)
        return;
    if (g_nPlayerState == kPlayerRunning || g_nPlayerState == kPlayerNoClip) {
        pMC->Pause();
        g_nPlayerState = kPlayerPaused;
        PlayerUpdateTitle();
    }
}

void PlayerRun()
{
    if (!pMC)
        return;
    if (g_nPlayerState == kPlayerPaused || g_nPlayerState == kPlayerStopped) {
        pMC->Run();
        g_nPlayerState = kPlayerRunning;
        PlayerUpdateTitle();
    }
}

void PlayerTogglePause()
{
    if (!pMC)
        return;
    if (g_nPlayerState == kPlayerRunning || g_nPlayerState == kPlayerNoClip) {
        pMC->Pause();
        g_nPlayerState = kPlayerPaused;
    } else {
        pMC->Run();
        g_nPlayerState = kPlayerRunning;
    }
    PlayerUpdateTitle();
}

void PlayerRewind()
{
    if (!pMC || !pMS)
        return;
    if (g_nPlayerState == kPlayerPaused || g_nPlayerState == kPlayerRunning) {
        pMC->Stop();
        g_nPlayerState = kPlayerStopped;
        LONGLONG start = 0;
        pMS->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        pMC->Pause();
        PlayerUpdateTitle();
    }
}

// Without single-frame stepping (Wine's renderer does not offer it) a
// step is a seek of n frame times from the current position.
void PlayerStepFrames(int n)
{
    if (!pMC)
        return;
    if (g_pFrameStep) {
        if (n > 1 && FAILED(g_pFrameStep->CanStep(n, nullptr)))
            return;
        if (g_nPlayerState != kPlayerPaused)
            PlayerTogglePause();
        g_pFrameStep->Step(n, nullptr);
        return;
    }
    REFTIME now = 0;
    if (!pMP || FAILED(pMP->get_CurrentPosition(&now)))
        return;
    if (g_nPlayerState != kPlayerPaused) {
        // Paused whatever the state was: a step never starts the clip.
        pMC->Pause();
        g_nPlayerState = kPlayerPaused;
        PlayerUpdateTitle();
    }
    REFTIME to = GraphTimeExact(now) + n * g_nFrameMs * 0.001;
    REFTIME length = g_nClipLengthMs * 0.001;
    SeekGraph(to < length ? to : length);
}

// The seek bar's position, through IMediaPosition whether or not the graph
// can step single frames.
void PlayerSeek()
{
    if (!pMC || !pMP)
        return;
    if (g_nPlayerState != kPlayerPaused)
        PlayerTogglePause();
    // Moved away from the end, the next play goes on from there.
    g_bPlayerAtEnd = g_nSeekMs >= g_nClipLengthMs - 1 ? 1 : 0;
    if (FAILED(SeekGraph(g_nSeekMs * 0.001)))
        SetWindowTextA(ghApp, LoadResString(IDS_ERROR_CAPTION));
}

void PlayerChangeRate(double step)
{
    if (!pMC || !pMP || step == 0)
        return;
    double rate = 0;
    if (FAILED(pMP->get_Rate(&rate)))
        return;
    if (GraphRateNotReadBack())
        rate = g_dRate;
    if (rate + step <= 0)  // a graph plays no rate of zero or below
        return;
    if (SUCCEEDED(pMP->put_Rate(rate + step))) {
        g_dRate = rate + step;
        PlayerUpdateTitle();
    }
}

void PlayerSetRate(double rate)
{
    if (!pMC || !pMP)
        return;
    if (SUCCEEDED(pMP->put_Rate(rate))) {
        g_dRate = rate;
        PlayerUpdateTitle();
    }
}

void PlayerToggleMute()
{
    if (!pMC || !pGB || !pBA)
        return;
    long volume = 0;
    HRESULT hr = pBA->get_Volume(&volume);
    if (hr == E_NOTIMPL)
        return;
    if (FAILED(hr)) {
        PlayerErrorBox(LoadResString(IDS_PLAYER_VOLUME_ERROR), (unsigned)hr);
        return;
    }
    g_lVolume = volume == 0 ? kMuted : 0;
    if (!Failed(pBA->put_Volume(g_lVolume), "FAILED(hr=0x%x) in pBA->put_Volume(g_lVolume)\n"))
        PlayerUpdateTitle();
}

void PlayerToggleFullScreen()
{
    if (!pMC || g_bAudioOnly || !pVW)
        return;
    long mode = 0;
    if (Failed(pVW->get_FullScreenMode(&mode), "FAILED(hr=0x%x) in pVW->get_FullScreenMode(&lMode)\n"))
        return;
    HRESULT hr;
    if (mode != OAFALSE) {
        hr = pVW->put_FullScreenMode(OAFALSE);
        if (Failed(hr, "FAILED(hr=0x%x) in pVW->put_FullScreenMode(lMode)\n"))
            return;
        if (Failed(pVW->put_MessageDrain((OAHWND)g_hDrainSave),
                   "FAILED(hr=0x%x) in pVW->put_MessageDrain((OAHWND) hDrain)\n"))
            return;
        if (Failed(pVW->SetWindowForeground(-1), "FAILED(hr=0x%x) in pVW->SetWindowForeground(-1)\n"))
            return;
        UpdateWindow(ghApp);
        SetForegroundWindow(ghApp);
        SetFocus(ghApp);
        g_bPlayerFullScreen = 0;
        return;
    }
    OAHWND drain = 0;
    if (Failed(pVW->get_MessageDrain(&drain), "FAILED(hr=0x%x) in pVW->get_MessageDrain((OAHWND *) &hDrain)\n"))
        return;
    g_hDrainSave = (HWND)drain;
    if (Failed(pVW->put_MessageDrain((OAHWND)ghApp), "FAILED(hr=0x%x) in pVW->put_MessageDrain((OAHWND) ghApp)\n"))
        return;
    hr = pVW->put_FullScreenMode(OATRUE);
    if (!Failed(hr, "FAILED(hr=0x%x) in pVW->put_FullScreenMode(lMode)\n"))
        g_bPlayerFullScreen = 1;
}

void PlayerHandleGraphEvents()
{
    if (!pME)
        return;
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (pME && SUCCEEDED(pME->GetEvent(&code, &p1, &p2, 0))) {
        pME->FreeEventParams(code, p1, p2);
        if (code != EC_COMPLETE)
            continue;
        if (g_bRepeat) {
            LONGLONG start = 0;
            if (GraphSeeksOnlyWhenStopped() && pMS) {
                pMC->Stop();
                pMS->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
                pMC->Run();
                continue;
            }
            if (pMS && SUCCEEDED(pMS->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                                   AM_SEEKING_NoPositioning)))
                continue;
            HRESULT hr = pMC->Stop();
            if (FAILED(hr)) {
                PlayerErrorBox("Failed(0x%08lx) to stop media clip!\r\n", (unsigned long)hr);
                continue;
            }
            if (FAILED(hr = pMC->Run()))
                PlayerErrorBox("Failed(0x%08lx) to reset media clip!\r\n", (unsigned long)hr);
        } else {
            PlayerPause();
            g_bPlayerAtEnd = 1;
        }
    }
}

void PlayerTimerTick()
{
    REFTIME now = 0;
    if (pMP && SUCCEEDED(pMP->get_CurrentPosition(&now))) {
        g_nSeekMs = (int)(GraphTimeExact(now) * 1000);
        if (g_hwndSeekBar)
            SendMessageA(g_hwndSeekBar, WM_COMMAND, IDC_SEEK_TICK, 0);
    }
}
