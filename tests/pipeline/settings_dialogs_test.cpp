// The display's settings dialogs driven in this process: each created
// modeless from its template (hidden), its controls set and its commands
// sent as a user's clicks send them; the commands that open them run
// modally, each dialog answered as soon as it has initialised.
#include "pipeline/settings_dialogs.h"

#include "alignment/auto_align.h"
#include "pipeline/compose.h"
#include "resources/resource_ids.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "shell/main_commands.h"
#include "shell/settings_dialog_commands.h"
#include "sources/movie_records.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"
#include "tests/support/settings_key.h"
#include "tests/test_frames.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A stand-in main window that records the commands it is sent.
std::vector<int> s_mainCommands;

LRESULT CALLBACK FakeMain(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND)
        s_mainCommands.push_back(LOWORD(wParam));
    return DefWindowProcA(w, msg, wParam, lParam);
}

class SettingsDialogs : public testing::Test {
protected:
    HWND dialog = nullptr;
    PrivateSettingsKey key{"settings"};

    void SetUp() override
    {
        static bool registered = [] {
            InitCommonControls();
            WNDCLASSA wc = {};
            wc.lpfnWndProc = FakeMain;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "TwrFakeMain";
            return RegisterClassA(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_hInst = g_hInstPlayer = GetModuleHandleA(nullptr);
        g_hwndMain = CreateWindowA("TwrFakeMain", "", WS_OVERLAPPEDWINDOW, 100, 80, 800, 600, nullptr, nullptr,
                                   g_hInst, nullptr);
        ASSERT_TRUE(g_hwndMain);
        s_mainCommands.clear();
        g_nBusy = 0;
        g_bGLActive = 0;
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        DestroyWindow(g_hwndMain);
        g_hwndMain = nullptr;
        g_pAdjustDibL = g_pAdjustDibR = nullptr;
    }

    void Open(const char *name, DLGPROC proc)
    {
        if (dialog)
            DestroyWindow(dialog);
        dialog = CreateDialogParamA(g_hInst, name, g_hwndMain, proc, 0);
        ASSERT_TRUE(dialog) << name;
    }
    void Click(int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id)); }
    void Scroll(int bar, int code, int position = 0)
    {
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(code, position), (LPARAM)GetDlgItem(dialog, bar));
    }
    std::string Text(int id)
    {
        char b[300];
        GetDlgItemTextA(dialog, id, b, sizeof b);
        return b;
    }
    bool Checked(int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
    bool Shown(int id) { return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::string Setting(const char *name)
    {
        char b[100];
        ReadSetting(name, b);
        return b;
    }
    static std::string GammaLabel(int gamma, int density)
    {
        char b[300];
        snprintf(b, sizeof b, LoadStr(IDS_GAMMA_LABEL), gamma / 100, gamma % 100, density);
        return b;
    }
};

// ---- Anaglyph settings ----

class AnaglyphDialog : public SettingsDialogs {
protected:
    DibPtr left = MakeSolid(64, 48, {132, 132, 132}), right = MakeSolid(64, 48, {132, 132, 132});

    void SetUp() override
    {
        SettingsDialogs::SetUp();
        g_pAdjustDibL = left.get();
        g_pAdjustDibR = right.get();
        g_nAnatype = 0;
        g_nAnactype = 0;
        g_nGmmar = g_nGmmab = 100;
        g_nAnaglyphPreviewView = 0;
    }
    void OpenAnaglyph(int mode)
    {
        g_nAnaglyphDlgMode = mode;
        Open("ANAGSET", AnaglyphSettingsDlgProc);
    }
    int ScrollPos(int bar) { return GetScrollPos(GetDlgItem(dialog, bar), SB_CTL); }
};

TEST_F(AnaglyphDialog, YellowBlueOpensAsItsButtonAndIsStoredAgain)
{
    g_nAnatype = 3;
    OpenAnaglyph(0);
    EXPECT_EQ(g_nAnaglyphDlgMode, 0);
    EXPECT_TRUE(Checked(1245));
    for (int id : {1243, 1244, 1246, 1247})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {1240, 1241, 1242, 1245})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_TRUE(Checked(IDC_ANAG_VIEW_FIRST));
    // Uniform grey 132 at gamma 1.00: the table maps 132 to 131.
    EXPECT_EQ(Text(IDC_ANAG_LABEL_LEFT), GammaLabel(100, 131));
    EXPECT_EQ(Text(IDC_ANAG_LABEL_RIGHT), GammaLabel(100, 131));
    EXPECT_EQ(ScrollPos(IDC_ANAG_GAMMA_LEFT), 100);
    Click(IDOK);
    EXPECT_EQ(Setting("nAnatype"), "3");
    EXPECT_EQ(Setting("nAnactype"), "");
    EXPECT_EQ(Setting("nGmmar"), "100");
    EXPECT_EQ(Setting("nGmmab"), "100");
    EXPECT_EQ(g_nAnaglyphDlgMode, 1);
}

TEST_F(AnaglyphDialog, ColourModeOffersTheColourTypes)
{
    g_nAnactype = 2;
    OpenAnaglyph(10);
    EXPECT_EQ(g_nAnaglyphDlgMode, 0);
    EXPECT_TRUE(Checked(1246));
    for (int id : {1240, 1241, 1242, 1245})
        EXPECT_FALSE(Enabled(id)) << id;
    Click(IDOK);
    EXPECT_EQ(Setting("nAnactype"), "2");
    EXPECT_EQ(g_nAnactype, 2);
    EXPECT_EQ(g_nAnaglyphDlgMode, 2);
}

TEST_F(AnaglyphDialog, ChosenTypeIsStoredAsItsVariant)
{
    const struct {
        int mode, button;
        const char *name, *value;
        int result;
    } cases[] = {
        {0, 1240, "nAnatype", "0", 1}, {0, 1241, "nAnatype", "1", 1}, {0, 1242, "nAnatype", "2", 1},
        {0, 1245, "nAnatype", "3", 1}, {10, 1243, "nAnactype", "0", 2}, {10, 1244, "nAnactype", "1", 2},
        {10, 1246, "nAnactype", "2", 2}, {10, 1247, "nAnactype", "3", 2},
    };
    for (const auto &c : cases) {
        OpenAnaglyph(c.mode);
        Click(c.button);
        Click(IDOK);
        EXPECT_EQ(Setting(c.name), c.value) << c.button;
        EXPECT_EQ(g_nAnaglyphDlgMode, c.result) << c.button;
    }
    EXPECT_EQ(g_nAnatype, 3);
    EXPECT_EQ(g_nAnactype, 3);
}

TEST_F(AnaglyphDialog, GammaBarsStayInRangeAndRewriteTheirLabel)
{
    g_nGmmar = 5;
    OpenAnaglyph(0);
    Scroll(IDC_ANAG_GAMMA_LEFT, SB_PAGELEFT);
    EXPECT_EQ(ScrollPos(IDC_ANAG_GAMMA_LEFT), 1);
    EXPECT_EQ(Text(IDC_ANAG_LABEL_LEFT).substr(0, 10), GammaLabel(1, 0).substr(0, 10));
    Click(IDC_ANAG_RESET_LEFT);
    EXPECT_EQ(Text(IDC_ANAG_LABEL_LEFT), GammaLabel(100, 131));

    const struct {
        int code, position, want;
    } steps[] = {
        {SB_LINERIGHT, 0, 101}, {SB_PAGERIGHT, 0, 111}, {SB_LINELEFT, 0, 110}, {SB_THUMBTRACK, 200, 200},
        {SB_THUMBPOSITION, 498, 498}, {SB_PAGERIGHT, 0, 500}, {SB_LINERIGHT, 0, 500}, {SB_LEFT, 0, 1},
        {SB_RIGHT, 0, 500}, {SB_ENDSCROLL, 0, 500}, {SB_THUMBTRACK, 200, 200},
    };
    for (const auto &s : steps) {
        Scroll(IDC_ANAG_GAMMA_RIGHT, s.code, s.position);
        EXPECT_EQ(ScrollPos(IDC_ANAG_GAMMA_RIGHT), s.want) << s.code;
    }
    // Grey 132 at gamma 2.00: trunc(255 sqrt(132 / 255)) = 183.
    EXPECT_EQ(Text(IDC_ANAG_LABEL_RIGHT), GammaLabel(200, 183));
    EXPECT_EQ(Text(IDC_ANAG_LABEL_LEFT), GammaLabel(100, 131));
    Click(IDOK);
    EXPECT_EQ(Setting("nGmmar"), "100");
    EXPECT_EQ(Setting("nGmmab"), "200");
    EXPECT_EQ(g_nGmmab, 200);
    EXPECT_EQ(g_aGammaBlue[132], 183);
    EXPECT_EQ(g_aGammaRed[132], 131);
}

TEST_F(AnaglyphDialog, CancelChangesNothing)
{
    g_aGammaBlue[132] = 7;
    OpenAnaglyph(0);
    Click(1241);
    Scroll(IDC_ANAG_GAMMA_RIGHT, SB_THUMBTRACK, 300);
    Click(IDCANCEL);
    EXPECT_EQ(g_nAnaglyphDlgMode, 0);
    EXPECT_EQ(g_nAnatype, 0);
    EXPECT_EQ(g_nGmmab, 100);
    EXPECT_EQ(g_aGammaBlue[132], 7);
    EXPECT_EQ(Setting("nAnatype"), "");
    EXPECT_EQ(Setting("nGmmab"), "");
}

TEST_F(AnaglyphDialog, PreviewViewIsKeptForTheNextOpening)
{
    OpenAnaglyph(0);
    Click(IDC_ANAG_VIEW_FIRST + 2);
    Click(IDCANCEL);
    EXPECT_EQ(g_nAnaglyphPreviewView, 2);
    OpenAnaglyph(0);
    EXPECT_TRUE(Checked(IDC_ANAG_VIEW_FIRST + 2));
    EXPECT_FALSE(Checked(IDC_ANAG_VIEW_FIRST));
}

TEST_F(AnaglyphDialog, WithoutFramesTheDialogStaysUsable)
{
    g_pAdjustDibL = g_pAdjustDibR = nullptr;
    OpenAnaglyph(0);
    EXPECT_EQ(Text(IDC_ANAG_LABEL_LEFT), GammaLabel(100, 0));
    Scroll(IDC_ANAG_GAMMA_LEFT, SB_LINERIGHT);
    UpdateWindow(dialog);
    Click(IDOK);
    EXPECT_EQ(Setting("nGmmar"), "101");
}

// ---- Display settings ----

class DisplayDialog : public SettingsDialogs {
protected:
    void SetUp() override
    {
        SettingsDialogs::SetUp();
        g_bPluginFound = 0;
        g_bOldQT = 0;
        g_bAskFileType = 1;
        g_bSound1 = 0;
        g_nWcent = 2;
        g_nWaku = 4;
        g_nBordwf = 20;
        g_nMovrate = 30;
        g_dwWCOL = RGB(10, 20, 30);
    }
    void Type(int id, const char *text) { SetDlgItemTextA(dialog, id, text); }
};

TEST_F(DisplayDialog, OpensWithTheStateAndStoresNothing)
{
    g_bBlurFrame = 0;
    g_nWaku = 150;  // typed beyond the up-down range earlier
    Open("FSET", DisplaySettingsDlgProc);
    EXPECT_FALSE(Shown(IDC_FSET_MOV_RATE_LABEL));
    EXPECT_FALSE(Shown(IDC_FSET_MOV_RATE));
    EXPECT_FALSE(Shown(IDC_FSET_OLD_QT));
    EXPECT_TRUE(Checked(IDC_FSET_ASK_FILE_TYPE));
    EXPECT_FALSE(Checked(IDC_FSET_SOUND));
    EXPECT_FALSE(Checked(IDC_FSET_BLUR));
    EXPECT_TRUE(Checked(IDC_FSET_PLACEMENT_FIRST + 2));
    EXPECT_EQ(Text(IDC_FSET_FRAME_WIDTH), "150");
    EXPECT_EQ(Text(IDC_FSET_BLUR_WIDTH), "20");
    EXPECT_EQ(Text(IDC_FSET_MOV_RATE), "30");
    for (const char *name : {"nWaku", "nBordwf", "nMovrate", "nWcent"})
        EXPECT_EQ(Setting(name), "") << name;

    g_bPluginFound = 1;
    g_bOldQT = 1;
    Open("FSET", DisplaySettingsDlgProc);
    EXPECT_TRUE(Shown(IDC_FSET_MOV_RATE));
    EXPECT_TRUE(Checked(IDC_FSET_OLD_QT));
}

TEST_F(DisplayDialog, ChangesTakeEffectAndAreStoredAtOnce)
{
    Open("FSET", DisplaySettingsDlgProc);
    const struct {
        int id;
        int *value;
        const char *name;
    } toggles[] = {{IDC_FSET_SOUND, &g_bSound1, "nSound1"}, {IDC_FSET_ASK_FILE_TYPE, &g_bAskFileType, "nFTask"}};
    for (const auto &t : toggles) {
        int before = *t.value;
        Click(t.id);
        EXPECT_EQ(*t.value, 1 - before) << t.name;
        EXPECT_EQ(Setting(t.name), std::to_string(1 - before)) << t.name;
        EXPECT_EQ(Checked(t.id), before == 0) << t.name;
    }
    const struct {
        const char *typed;
        int value;
    } widths[] = {{"12", 12}, {"-3", -3}, {"abc", 0}, {"250", 250}};
    for (const auto &w : widths) {
        Type(IDC_FSET_FRAME_WIDTH, w.typed);
        EXPECT_EQ(g_nWaku, w.value) << w.typed;
        EXPECT_EQ(Setting("nWaku"), std::to_string(w.value)) << w.typed;
    }
    Click(IDC_FSET_PLACEMENT_FIRST + 1);
    EXPECT_EQ(g_nWcent, 1);
    EXPECT_EQ(Setting("nWcent"), "1");
    Click(IDCANCEL);
    EXPECT_EQ(g_nWaku, 250);
    EXPECT_EQ(g_nWcent, 1);
}

TEST_F(DisplayDialog, OkStoresTheFrameTheRateAndQuickTime)
{
    g_bPluginFound = 1;
    Open("FSET", DisplaySettingsDlgProc);
    CheckDlgButton(dialog, IDC_FSET_OLD_QT, BST_CHECKED);
    Type(IDC_FSET_FRAME_WIDTH, "7");
    Type(IDC_FSET_MOV_RATE, "24");
    Click(IDOK);
    EXPECT_EQ(g_bOldQT, 1);
    EXPECT_EQ(g_nWaku, 7);
    EXPECT_EQ(g_nMovrate, 24);
    EXPECT_EQ(Setting("nOldQT"), "1");
    EXPECT_EQ(Setting("nWaku"), "7");
    EXPECT_EQ(Setting("nMovrate"), "24");
    EXPECT_EQ(Setting("dwWCOL"), std::to_string(RGB(10, 20, 30)));
}

// The only test that changes the blurred frame: the count of its changes
// lasts as long as the program.
TEST_F(DisplayDialog, BlurredFrameChangeRefreshesThePairAtEveryLaterOk)
{
    g_bBlurFrame = 0;
    Open("FSET", DisplaySettingsDlgProc);
    Click(IDOK);
    EXPECT_TRUE(s_mainCommands.empty());

    Open("FSET", DisplaySettingsDlgProc);
    Click(IDC_FSET_BLUR);
    EXPECT_EQ(g_bBlurFrame, 1);
    EXPECT_EQ(Setting("nBordwfon"), "1");
    SetDlgItemTextA(dialog, IDC_FSET_BLUR_WIDTH, "30");
    EXPECT_EQ(g_nBordwf, 30);
    EXPECT_EQ(Setting("nBordwf"), "30");
    Click(IDCANCEL);
    EXPECT_EQ(g_bBlurFrame, 1);
    EXPECT_TRUE(s_mainCommands.empty());

    Open("FSET", DisplaySettingsDlgProc);
    Click(IDOK);
    EXPECT_EQ(s_mainCommands, (std::vector<int>{IDM_NEXT_FRAME, IDM_PREV_FRAME}));
}

// The system colour dialog answered as it initialises (before it shows):
// its red, green and blue fields typed, then OK or Cancel.
struct ColourAnswer {
    bool accept;
    int r, g, b;
    bool seen;
};
ColourAnswer s_colourAnswer;
// The red, green and blue fields of the system colour dialog.
enum { kColourRed = 706, kColourGreen = 707, kColourBlue = 708 };

void AnswerColourDialog(HWND w)
{
    if (!GetDlgItem(w, kColourRed))
        return;
    s_colourAnswer.seen = true;
    if (s_colourAnswer.accept) {
        SetDlgItemInt(w, kColourRed, (UINT)s_colourAnswer.r, FALSE);
        SetDlgItemInt(w, kColourGreen, (UINT)s_colourAnswer.g, FALSE);
        SetDlgItemInt(w, kColourBlue, (UINT)s_colourAnswer.b, FALSE);
    }
    PostMessageA(w, WM_COMMAND, s_colourAnswer.accept ? IDOK : IDCANCEL, 0);
}

// Calls answer with every dialog of this thread once it has initialised;
// a modal dialog answered there ends before it is ever shown.
void (*s_answer)(HWND);

LRESULT CALLBACK AfterDialogInit(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *c = (const CWPRETSTRUCT *)lParam;
    if (code == HC_ACTION && c->message == WM_INITDIALOG && s_answer)
        s_answer(c->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct AnswerDialogs {
    HHOOK hook;
    explicit AnswerDialogs(void (*answer)(HWND))
    {
        s_answer = answer;
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterDialogInit, nullptr, GetCurrentThreadId());
    }
    ~AnswerDialogs()
    {
        UnhookWindowsHookEx(hook);
        s_answer = nullptr;
    }
};

TEST_F(DisplayDialog, FrameColourFromTheColourDialogCancelKeepsIt)
{
    Open("FSET", DisplaySettingsDlgProc);
    const struct {
        bool accept;
        COLORREF want;
    } cases[] = {{true, RGB(200, 100, 50)}, {false, RGB(200, 100, 50)}};
    for (const auto &c : cases) {
        s_colourAnswer = {c.accept, 200, 100, 50, false};
        AnswerDialogs answer(AnswerColourDialog);
        Click(IDC_FSET_FRAME_COLOUR_SET);
        EXPECT_TRUE(s_colourAnswer.seen);
        EXPECT_EQ(g_dwWCOL, c.want) << c.accept;
    }
    Click(IDOK);
    EXPECT_EQ(Setting("dwWCOL"), std::to_string(RGB(200, 100, 50)));
}

// ---- Chroma key ----

class ChromaDialog : public SettingsDialogs {
protected:
    // Left: the key green everywhere but one marked pixel; right: red.
    DibPtr left = MakeSolid(300, 250, {0, 255, 0}), right = MakeSolid(300, 250, {0, 0, 255});

    void SetUp() override
    {
        SettingsDialogs::SetUp();
        SetPixel(left.get(), 200, 49, {11, 22, 33});
        g_leftMovie.pCurrent = left.get();
        g_rightMovie.pCurrent = right.get();
        g_leftMovie.nWidth = g_rightMovie.nWidth = 300;
        g_leftMovie.nHeight = g_rightMovie.nHeight = 250;
        SetPairRecords(&g_leftMovie, &g_rightMovie);
        g_nShiftX = g_nShiftY = 0;
        g_nTrimState = 0;
        g_nDisplayMode = 0;
        g_nWaku = 4;
        g_nViewScale = 200;
        g_rgbChromaKey = RGB(0, 255, 0);
        g_nChromaTolerance = 10;
        g_pComposed = CreateDib(300, 250, 24, 1);
    }
    void TearDown() override
    {
        g_leftMovie.pCurrent = g_rightMovie.pCurrent = nullptr;
        FreeDib(g_pComposed);
        g_pComposed = nullptr;
        SettingsDialogs::TearDown();
    }
    // A left button press at main-window client point (x, y), as the
    // captured dialog receives it.
    void PressAt(int x, int y)
    {
        POINT p = {x, y};
        MapWindowPoints(g_hwndMain, dialog, &p, 1);
        SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    }
};

TEST_F(ChromaDialog, PickedPixelBecomesTheKeyAndThePreviewRuns)
{
    Open("KUROMA", ChromaKeyDlgProc);
    EXPECT_EQ(Text(IDC_KEY_TOLERANCE), "10");
    // A press before the pick button does nothing.
    PressAt(104, 134);
    EXPECT_EQ(g_rgbChromaKey, RGB(0, 255, 0));
    Click(IDC_KEY_PICK);
    EXPECT_EQ(GetCapture(), dialog);
    // Mode 0, frame 4, scale 200 %: column 200, row 250 - 201 from the bottom.
    PressAt(104, 134);
    EXPECT_NE(GetCapture(), dialog);
    EXPECT_EQ(g_rgbChromaKey, RGB(33, 22, 11));
    // The preview keyed the marked colour only: the rest stays green.
    EXPECT_EQ(PixelAt(g_pComposed, 200, 49), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(g_pComposed, 0, 0), (Bgr{0, 255, 0}));

    // Outside the picture: the key stays.
    Click(IDC_KEY_PICK);
    PressAt(700, 134);
    EXPECT_EQ(g_rgbChromaKey, RGB(33, 22, 11));
    Click(IDOK);
    EXPECT_EQ(Setting("nChromaTolerance"), "");
}

TEST_F(ChromaDialog, PreviewReadsTheToleranceAndKeysTheView)
{
    Open("KUROMA", ChromaKeyDlgProc);
    const struct {
        const char *typed;
        int want;
    } cases[] = {{"12", 12}, {"", 0}, {"45", 30}, {"99999999999", 0}, {"1", 1}};
    for (const auto &c : cases) {
        SetDlgItemTextA(dialog, IDC_KEY_TOLERANCE, c.typed);
        Click(IDC_KEY_PREVIEW);
        EXPECT_EQ(g_nChromaTolerance, c.want) << c.typed;
    }
    // Tolerance 1 still keys the exact key colour: green becomes red.
    EXPECT_EQ(PixelAt(g_pComposed, 0, 0), (Bgr{0, 0, 255}));
    Click(IDCANCEL);
    EXPECT_EQ(g_nChromaTolerance, 1);
    // The dialog shows the tolerance in force, even below the up-down range.
    g_nChromaTolerance = 0;
    Open("KUROMA", ChromaKeyDlgProc);
    EXPECT_EQ(Text(IDC_KEY_TOLERANCE), "0");
}

// A composed frame smaller than the region (not rebuilt since the pair
// changed) is left alone instead of being written past its end.
TEST_F(ChromaDialog, PreviewNeedsAComposedFrameOfTheRegion)
{
    FreeDib(g_pComposed);
    g_pComposed = CreateDib(100, 80, 24, 1);
    Open("KUROMA", ChromaKeyDlgProc);
    Click(IDC_KEY_PREVIEW);
    EXPECT_EQ(PixelAt(g_pComposed, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(g_pComposed, 99, 79), (Bgr{0, 0, 0}));
}

// ---- The main window's commands ----

// Answers whichever of the three dialogs shows: a button to click first (0
// none), then the closing one.
int s_dialogAnswer[2];
bool s_dialogSeen;

void AnswerSettingsDialog(HWND w)
{
    if (!GetDlgItem(w, IDC_ANAG_PREVIEW) && !GetDlgItem(w, IDC_FSET_FRAME_WIDTH) && !GetDlgItem(w, IDC_KEY_PICK))
        return;
    s_dialogSeen = true;
    if (s_dialogAnswer[0])
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(s_dialogAnswer[0], BN_CLICKED), 0);
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(s_dialogAnswer[1], BN_CLICKED), 0);
}

class SettingsCommands : public ChromaDialog {
protected:
    bool Run(void (*command)(HWND), int first, int last)
    {
        return Run([command] { command(g_hwndMain); }, first, last);
    }
    bool Run(std::function<void()> action, int first, int last)
    {
        s_dialogAnswer[0] = first;
        s_dialogAnswer[1] = last;
        s_dialogSeen = false;
        AnswerDialogs answer(AnswerSettingsDialog);
        action();
        return s_dialogSeen;
    }
    // The command as the main window's menu gives it.
    static std::function<void()> Menu(int id)
    {
        return [id] { OnMainCommand(g_hwndMain, MAKEWPARAM(id, 0), 0); };
    }
};

void GreyAnaglyphSettings(HWND main) { RunAnaglyphSettingsDialog(main, IDM_ANAGLYPH_SETTINGS); }
void ColourAnaglyphSettings(HWND main) { RunAnaglyphSettingsDialog(main, IDM_COLOUR_ANAGLYPH_SETTINGS); }

TEST_F(SettingsCommands, AnaglyphChoiceSwitchesTheDisplay)
{
    g_leftMovie.bOpen = g_rightMovie.bOpen = 1;
    g_nAnatype = g_nAnactype = 0;
    const struct {
        int command, button, close;
        std::vector<int> sent;
    } cases[] = {
        {IDM_ANAGLYPH_SETTINGS, 1241, IDOK, {IDM_MODE_ANAGLYPH}},
        {IDM_COLOUR_ANAGLYPH_SETTINGS, 1247, IDOK, {IDM_MODE_COLOUR_ANAGLYPH}},
        {IDM_ANAGLYPH_SETTINGS, 1242, IDCANCEL, {}},
    };
    for (const auto &c : cases) {
        s_mainCommands.clear();
        EXPECT_TRUE(Run(Menu(c.command), c.button, c.close));
        EXPECT_EQ(s_mainCommands, c.sent) << c.button;
        EXPECT_EQ(g_pAdjustDibL, left.get());
        EXPECT_EQ(g_pAdjustDibR, right.get());
    }
    EXPECT_EQ(g_nAnatype, 1);
    EXPECT_EQ(g_nAnactype, 3);
    EXPECT_TRUE(Run(Menu(IDM_CHROMA_KEY_SETTINGS), 0, IDCANCEL));
    EXPECT_TRUE(Run(Menu(IDM_DISPLAY_SETTINGS), 0, IDCANCEL));
    g_leftMovie.bOpen = g_rightMovie.bOpen = 0;
}

TEST_F(SettingsCommands, RefusedWhileBusyOrWithoutThePair)
{
    g_leftMovie.bOpen = 1;
    g_rightMovie.bOpen = 0;
    EXPECT_FALSE(Run(GreyAnaglyphSettings, 0, IDOK));
    EXPECT_FALSE(Run(RunChromaKeyDialog, 0, IDOK));
    EXPECT_TRUE(Run(RunDisplaySettingsDialog, 0, IDCANCEL));  // needs no movie
    g_rightMovie.bOpen = 1;
    g_bGLActive = 1;
    EXPECT_FALSE(Run(ColourAnaglyphSettings, 0, IDOK));
    EXPECT_FALSE(Run(RunChromaKeyDialog, 0, IDOK));
    g_bGLActive = 0;
    g_nBusy = 1;
    EXPECT_FALSE(Run(GreyAnaglyphSettings, 0, IDOK));
    EXPECT_FALSE(Run(RunDisplaySettingsDialog, 0, IDOK));
    g_nBusy = 0;
    g_leftMovie.bOpen = g_rightMovie.bOpen = 0;
}

}  // namespace
