#include "devices/stereo_player.h"

#include "devices/d3d_framework.h"
#include "devices/named_texture.h"
#include "devices/stereo_player_state.h"
#include "pipeline/pair_position.h"
#include "shared/message_box.h"
#include "sources/movie_open.h"

#include <string.h>

namespace {

const char kPlayerName[] = "nVidiaStereo";

}  // namespace

NvidiaStereoPlayer::NvidiaStereoPlayer()
{
    pszTitle = kPlayerName;
    lstrcpynA(szTextureName, kPlayerName, (int)sizeof szTextureName);
    bUseZBuffer = 0;
    bUseStereo = 1;
    bShowStats = 1;
    pfnConfirmDevice = nullptr;
    nWantedWidth = g_n3DWidth;
    nWantedHeight = g_n3DHeight;
    nWantedBits = g_n3DBits;
}

HRESULT NvidiaStereoPlayer::RenderFrame()
{
    if (!pDD)
        return 0;
    HRESULT hr = pDD->TestCooperativeLevel();
    if (SUCCEEDED(hr) || hr == DDERR_EXCLUSIVEMODEALREADYSET || hr == DDERR_NOEXCLUSIVEMODE)
        return 0;
    // A window whose desktop changed mode makes its objects again, not
    // ready meanwhile as for WM_SIZE (the boxes of a failing change run
    // modal loops that would start a second change of the same objects);
    // full screen, the loss is final.
    if (hr == DDERR_WRONGMODE && pDeviceInfo && pDeviceInfo->bWindowed) {
        bReady = FALSE;
        hr = ChangeDevice();
        if (SUCCEEDED(hr))
            bReady = TRUE;
        return hr;
    }
    return hr;
}

HRESULT NvidiaStereoPlayer::InitScene()
{
    if (pDeviceInfo)
        pDeviceInfo->bWindowed = 0;
    if (FAILED(TextureCreate(szTextureName, 0, 4))) {
        AppMessageBox(nullptr, "Could not load image.", kPlayerName, MB_ICONERROR);
        return E_FAIL;
    }
    return 0;
}

HRESULT NvidiaStereoPlayer::ReleaseSurfaces()
{
    TextureInvalidateAll();
    return 0;
}

HRESULT NvidiaStereoPlayer::RenderScene() { return 0; }
HRESULT NvidiaStereoPlayer::MoveScene(float) { return 0; }
HRESULT NvidiaStereoPlayer::RestoreScene() { return 0; }

HRESULT NvidiaStereoPlayer::DestroyScene()
{
    TextureDestroy(szTextureName);
    return 0;
}

namespace {

// Set while a player runs (from its start to its return).
bool s_playerRunning = false;

struct RunningPlayer {
    RunningPlayer() { s_playerRunning = true; }
    ~RunningPlayer() { s_playerRunning = false; }
};

}  // namespace

bool StereoPlayerRunning() { return s_playerRunning || (g_hwndPlayer3D && IsWindow(g_hwndPlayer3D)); }

WPARAM RunNvidiaStereoPlayer(HINSTANCE instance, StereoPair *pair)
{
    // Run serves every window of the thread: a device command reaching the
    // main window meanwhile must not start a second player over the
    // running one's record, registration and window. Nothing is touched.
    if (StereoPlayerRunning())
        return 0;
    RunningPlayer running;
    NvidiaStereoPlayer player;
    g_pPlayPair = pair;
    g_pPlayMovie = nullptr;
    if (g_nPlaySource != 0) {
        if (!OpenPlayMovie(pair)) {
            RegisterStereoApp(nullptr);
            return 0;
        }
    } else {
        if (!pair || !pair->pLeft || !pair->pRight) {
            RegisterStereoApp(nullptr);
            return 0;
        }
        g_nClipLength = PairFrameCount(pair->pLeft, pair->pRight, g_nEndOffset);
        g_nPlayFrames = g_nClipLength;
    }
    g_nPlayDelays = 0;
    g_nDevicePlayDrops = 0;

    WPARAM result = 0;
    if (player.Create(instance) >= 0)
        result = player.Run();
    // The player lives on this stack only: nothing may forward to it once
    // it is gone, and a file left open by a failed start is closed here
    // (closing a closed record does nothing).
    RegisterStereoApp(nullptr);
    if (g_pPlayMovie)
        CloseMovieSource(g_pPlayMovie);
    g_pPlayMovie = nullptr;
    return result;
}
