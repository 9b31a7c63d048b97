#include "tests/support/main_window_fixture.h"

#include "pipeline/save_movie.h"
#include "resources/resource_ids.h"
#include "pipeline/show_pair.h"
#include "shell/main_window.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <string.h>

HWND MainWindowTest::main;
std::unique_ptr<BoxAnswerer> MainWindowTest::boxes;
std::deque<std::string> MainWindowTest::names;
std::vector<SeenDialog> MainWindowTest::dialogs;
int MainWindowTest::compressorChoices;
std::unique_ptr<PrivateSettingsKey> MainWindowTest::key_;
HHOOK MainWindowTest::cbt_;

namespace {

// The name field of a file dialog (the edit, or the combo box of the
// explorer style); 0 for other dialogs.
int FileNameField(HWND dialog)
{
    return GetDlgItem(dialog, 0x480) ? 0x480 : GetDlgItem(dialog, 0x47C) ? 0x47C : 0;
}

}  // namespace

void MainWindowTest::SetUpTestSuite()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterAppClasses(instance));
    g_hInst = g_hInstPlayer = instance;
    key_.reset(new PrivateSettingsKey(testing::UnitTest::GetInstance()->current_test_suite()->name()));
    boxes.reset(new BoxAnswerer(IDOK));
    g_pfnCompressorChooseHook = ChooseUncompressed;
    // Modal dialogs run their own loop: a hook on the thread's activations
    // is where they can be answered while the command waits.
    cbt_ = SetWindowsHookExA(WH_CBT, AnswerDialogs, nullptr, GetCurrentThreadId());
}

void MainWindowTest::TearDownTestSuite()
{
    g_nBusy = 0;
    if (IsWindow(main))
        SendMessageA(main, WM_CLOSE, 0, 0);
    Pump();
    UnhookWindowsHookEx(cbt_);
    g_pfnCompressorChooseHook = nullptr;
    boxes.reset();
    key_.reset();
}

void MainWindowTest::SetUp()
{
    boxes->shown.clear();
    boxes->answer = IDOK;
    names.clear();
    dialogs.clear();
    compressorChoices = 0;
    g_nBusy = 0;
    g_bCancel = 0;
}

void MainWindowTest::TearDown()
{
    g_nBusy = 0;
    Pump();
}

void MainWindowTest::OpenMainWindow(int width, int height, bool shown)
{
    if (IsWindow(main))
        return;
    main = CreateWindowExA(WS_EX_ACCEPTFILES, "2REELS", "", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                           nullptr, g_hInst, nullptr);
    ASSERT_TRUE(main);
    g_hwndView = CreateWindowExA(WS_EX_ACCEPTFILES, "2REELSC", nullptr, WS_CHILD | (shown ? WS_VISIBLE : 0), 0, 0, 0,
                                 0, main, nullptr, g_hInst, nullptr);
    ASSERT_TRUE(g_hwndView);
    g_hAccel = LoadAcceleratorsA(g_hInst, "2REELS");
    if (shown) {
        ShowWindow(main, SW_SHOWNORMAL);
        SendMessageA(g_hwndView, WM_SIZE, 0, 0);
        Pump();
    }
}

void MainWindowTest::ClosePair()
{
    CloseMovieSource(&g_leftMovie);
    CloseMovieSource(&g_rightMovie);
    FreeComposedFrame();
    SetPairRecords(&g_leftMovie, &g_rightMovie);
    g_bSwapped = 0;
    g_nShiftX = g_nShiftY = 0;
    g_nFrame = g_nEndOffset = 0;
}

void MainWindowTest::Pump()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

LRESULT MainWindowTest::Command(int id, LPARAM lParam) { return SendMessageA(main, WM_COMMAND, id, lParam); }

bool MainWindowTest::OpenPair(const std::string &left, const std::string &right)
{
    strcpy(g_szLeftName, left.c_str());
    strcpy(g_szRightName, right.c_str());
    Command(IDM_OPEN_PAIR_BY_NAME);
    return g_pLeft->bOpen && g_pRight->bOpen;
}

std::string MainWindowTest::Utf8(const std::string &ansi)
{
    wchar_t wide[1200];
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, 1200);
    if (n <= 0)
        return "";
    char out[3600];
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

LRESULT CALLBACK MainWindowTest::AnswerDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    if (code != HCBT_ACTIVATE)
        return CallNextHookEx(cbt_, code, wParam, lParam);
    HWND w = (HWND)wParam;
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    // A busy desktop can activate one dialog twice: answer it once.
    if (!strcmp(cls, "#32770") && !GetPropA(w, "twr_answered")) {
        SetPropA(w, "twr_answered", (HANDLE)1);
        int field = FileNameField(w);
        HWND owner = GetWindow(w, GW_OWNER);
        if (!field && owner && FileNameField(owner)) {
            PostMessageA(w, WM_COMMAND, IDYES, 0);  // the file dialog's own question
        } else if (field && !names.empty()) {
            SetDlgItemTextA(w, field, names.front().c_str());
            names.pop_front();
            PostMessageA(w, WM_COMMAND, IDOK, 0);
        } else {
            char title[600] = "";
            GetWindowTextA(w, title, sizeof title);
            dialogs.push_back(SeenDialog{title, g_nBusy});
            PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
        }
    }
    return CallNextHookEx(cbt_, code, wParam, lParam);
}

BOOL MainWindowTest::ChooseUncompressed(COMPVARS *vars)
{
    compressorChoices++;
    vars->fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
    return TRUE;
}
