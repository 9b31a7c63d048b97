// The application object of the Direct3D 7 stereo player: its window
// ("nVidiaStereo"), message loop and message handling, and the life of
// its Direct3D objects through device changes and pauses. The player
// derives from it and fills in the scene and drawing operations.
#ifndef TWR_DEVICES_STEREO_APP_H
#define TWR_DEVICES_STEREO_APP_H

#include "devices/d3d_devices.h"

class D3DFramework;

class StereoApp {
public:
    StereoApp();

    // In table order. The base operations of the scene and drawing do
    // nothing and return 0.
    virtual HRESULT RenderFrame();
    virtual HRESULT InitScene();
    virtual int PlayFormattedFile();
    virtual int DrawFormattedFile();
    virtual int PlayStereoFile();
    virtual int DrawStereoFile();
    virtual int PlayStereoPair();
    virtual int DrawStereoPair();
    virtual HRESULT ReleaseSurfaces();
    virtual HRESULT RenderScene();
    virtual HRESULT MoveScene(float time);
    virtual HRESULT RestoreScene();
    virtual HRESULT DestroyScene();
    virtual int OnPowerSuspend();
    virtual int OnPowerResume();
    // Devices, scene, window, objects and the first frame; 0 or the
    // result code that was shown in a box (every object released and the
    // window gone again).
    virtual HRESULT Create(HINSTANCE instance);
    // Serves every message of the thread until the window's quit; returns
    // its wParam.
    virtual WPARAM Run();
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual int SetPaused(int pause);

    HRESULT InitDevice();
    HRESULT ChangeDevice();
    void Cleanup();
    void ShowFrameworkError(HRESULT code, int kind);

    // The draw and play operation of the source being shown.
    int DrawCurrent();
    int PlayCurrent();

    D3DFramework *pFramework;
    BOOL bActive;
    BOOL bReady;
    BOOL bFrameMoving;
    BOOL bSingleStep;
    DWORD dwBaseTime, dwStopTime;
    HWND hWnd;
    D3DDeviceInfo *pDeviceInfo;
    IDirectDraw7 *pDD;
    IDirect3D7 *pD3D;
    IDirect3DDevice7 *pDevice;
    IDirectDrawSurface7 *pBackBuffer;
    IDirectDrawSurface7 *pBackBufferLeft;
    DDSURFACEDESC2 ddsdRenderTarget;
    char szTextureName[260];  // the derived player's texture
    int nWantedWidth, nWantedHeight;
    int nWantedBits;
    const char *pszTitle;
    BOOL bUseZBuffer;
    BOOL bUseStereo;
    BOOL bShowStats;
    D3DConfirmDevice pfnConfirmDevice;

protected:
    HINSTANCE hInstance;
    int nPauseCount;
    BOOL bRunning;      // inside Run: the window's destruction posts its quit
    HCURSOR hNoCursor;  // "NOTHING"

private:
    // A failed Create: the box, every object released, the played file
    // closed, the window gone without a quit for the program. Returns code.
    HRESULT FailCreate(HRESULT code);
};

// The window procedure of "nVidiaStereo": forwards to the one registered
// application object (the last constructed), else DefWindowProc.
LRESULT CALLBACK StereoAppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The object StereoAppWndProc forwards to; null unregisters.
void RegisterStereoApp(StereoApp *app);

// The player's keys and mouse buttons (WM_KEYDOWN, WM_KEYUP,
// WM_LBUTTONDOWN, WM_RBUTTONDOWN), handled for the application's window.
LRESULT HandlePlayerInput(StereoApp &app, HWND window, UINT message, WPARAM wParam);

#endif
