// The media-player window "PLAYAVI": any movie DirectShow can render,
// with its own menu, toolbar, seek bar "AVIPLAY", keys, rates, sizes and
// full-screen mode. While it is shown the main window and its position bar
// are hidden.
#ifndef TWR_SHELL_MEDIA_PLAYER_H
#define TWR_SHELL_MEDIA_PLAYER_H

#include "shared/wintypes.h"

// dshow.h brings strsafe.h, which would forbid the C library's string calls.
#ifndef STRSAFE_NO_DEPRECATE
#define STRSAFE_NO_DEPRECATE
#endif
#include <dshow.h>

enum PlayerState { kPlayerStopped = 0, kPlayerPaused = 1, kPlayerRunning = 2, kPlayerNoClip = 3 };

const UINT WM_GRAPHNOTIFY = 1037;  // the graph's notifications
const int TOOLHIGHT = 32;          // the toolbar strip above the video
const UINT_PTR kPlayerTimer = 1;   // 100 ms: the position to the seek bar

extern HWND ghApp;  // the player window as its own code sees it
extern char g_szClipName[260];
extern IGraphBuilder *pGB;
extern IMediaControl *pMC;
extern IMediaEventEx *pME;
extern IMediaSeeking *pMS;
extern IMediaPosition *pMP;
extern IVideoWindow *pVW;
extern IBasicVideo *pBV;
extern IBasicAudio *pBA;
extern IVideoFrameStep *g_pFrameStep;
extern int g_nPlayerState;
extern int g_bAudioOnly, g_bPlayerFullScreen, g_bPlayerAtEnd;
extern long g_lVolume;
extern double g_dRate;
// The clip length in ms (the Direct3D player owns g_nClipLength, in frames).
extern int g_nClipLengthMs, g_nSeekMs, g_nFrameMs;
extern DWORD g_dwRotRegister;
extern int g_bFirstPlacement;
extern int g_nCustomWidth, g_nCustomHeight;
extern HWND g_hDrainSave;
extern int g_bPlayerTimer;
extern HWND g_hwndPlayerToolbar, g_hwndSeekBar;

// Opens the player on a file: a running player gets the name posted
// (WM_COMMAND 4029; the name must stay valid until handled), else the
// window is created and opens it. Returns 1.
int OpenPlayerWindow(const char *name);

LRESULT CALLBACK PlayerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PlayerSeekBarDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PlayerCustomSizeDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// The parts of the window, for the window procedure and the tests.
HRESULT PlayerRenderAndRun(const char *name);  // every failure shown; its result
void PlayerCloseFile();
void PlayerReleaseGraph();
void PlayerUpdateTitle();
void PlayerPause();
void PlayerRun();
void PlayerTogglePause();
void PlayerRewind();
void PlayerStepFrames(int n);  // without single-frame stepping: a seek of n frames
void PlayerSeek();             // to g_nSeekMs
void PlayerChangeRate(double step);
void PlayerSetRate(double rate);
void PlayerToggleMute();
void PlayerToggleFullScreen();
void PlayerHandleGraphEvents();
void PlayerTimerTick();
// The menu with no clip: size 100 % checked, the clip's items greyed. S_OK.
HRESULT PlayerInitWindow();
// The video at a/b of its width and c/d of its height; S_OK without video.
HRESULT InitVideoWindow(int a, int b, int c, int d);
void PlayerCheckSizeItem(int id);  // 0 unchecks every size item
void PlayerFitVideo();
void PlayerMoveSeekBar();

// The error box: vsprintf of the format, no owner, the application name as
// caption, MB_OK.
void PlayerErrorBox(const char *format, ...);

#endif
