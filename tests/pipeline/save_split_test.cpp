// A real split, through the main window as the user saves: the
// side-by-side save of two 640 x 480 movies of 1,200 frames (1,843,200
// bytes a frame and 320 of sound) passes 0x7F000000 bytes after frame
// 1,155; the save loop stops there, the command posts its continuation,
// which writes the remaining 44 frames into split01.avi with the same
// compressor, and the notice of the split closes the save. check_split.py
// reads both files back.
#include "pipeline/save_movie.h"
#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "shell/main_window.h"
#include "sources/movie_open.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/pipeline/test_paths.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> s_boxes, s_captions;
int RecordBox(HWND, const char *text, const char *caption, UINT)
{
    s_boxes.push_back(text);
    s_captions.push_back(caption ? caption : "");
    return IDOK;
}

// The save dialog takes the output name.
std::string s_name;
HHOOK s_cbt;
LRESULT CALLBACK AnswerSaveDialog(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND w = (HWND)wParam;
        int field = GetDlgItem(w, 0x480) ? 0x480 : GetDlgItem(w, 0x47C) ? 0x47C : 0;
        // A busy desktop can activate one dialog twice: answer it once.
        if (field && !GetPropA(w, "twr_answered")) {
            SetPropA(w, "twr_answered", (HANDLE)1);
            SetDlgItemTextA(w, field, s_name.c_str());
            PostMessageA(w, WM_COMMAND, s_name.empty() ? IDCANCEL : IDOK, 0);
            s_name.clear();
        }
    }
    return CallNextHookEx(s_cbt, code, wParam, lParam);
}

int s_choices;
BOOL ChooseUncompressed(COMPVARS *vars)
{
    s_choices++;
    vars->fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
    return TRUE;
}

std::string Media(const char *name) { return ProgramPath(std::string(TWR_SAVE_MEDIA_DIR) + "/" + name); }

}  // namespace

TEST(SaveSplit, SizeLimitContinuesInTheNumberedFile)
{
    ASSERT_TRUE(FileExists(Media(".stamp"))) << "no split media (run through ctest)";
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterAppClasses(instance));
    g_hInst = g_hInstPlayer = instance;
    char key[80];
    snprintf(key, sizeof key, "Software\\Vexa\\twinreel-test-split-%lu", GetCurrentProcessId());
    g_pszSettingsKey = key;
    g_pfnMessageBoxHook = RecordBox;
    g_pfnCompressorChooseHook = ChooseUncompressed;
    s_cbt = SetWindowsHookExA(WH_CBT, AnswerSaveDialog, nullptr, GetCurrentThreadId());
    HWND main = CreateWindowExA(0, "2REELS", "", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, instance, nullptr);
    ASSERT_TRUE(main);
    g_bSavePreview = 0;
    g_nSaveLayout = 0;

    strcpy(g_szLeftName, Media("splitL.avi").c_str());
    strcpy(g_szRightName, Media("splitR.avi").c_str());
    SendMessageA(main, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, 0);
    ASSERT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    std::string first = OutPath("split.avi"), second = OutPath("split01.avi");
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
    s_name = first;
    SendMessageA(main, WM_COMMAND, IDM_SAVE_STEREO, 0);
    // The first file is written; its continuation waits in the queue.
    EXPECT_EQ(g_nSavePart, 1);
    EXPECT_STREQ(g_szSaveName, second.c_str());
    EXPECT_EQ(g_pLeft->nStart, 1156);
    EXPECT_EQ(g_pRight->nStart, 1156);
    EXPECT_TRUE(s_boxes.empty());
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(s_choices, 1) << "the numbered file keeps the first file's compressor";
    ASSERT_EQ(s_boxes.size(), 1u);
    EXPECT_EQ(s_boxes[0], LoadStr(IDS_SPLIT_SAVED));
    EXPECT_EQ(s_captions[0], LoadStr(IDS_SPLIT_CAPTION));
    // The pair is shown as before the save.
    EXPECT_EQ(g_pLeft->nStart, 0);
    EXPECT_EQ(g_pRight->nStart, 0);
    EXPECT_EQ(g_nFrameCount, 1200);

    g_nBusy = 0;
    SendMessageA(main, WM_CLOSE, 0, 0);
    UnhookWindowsHookEx(s_cbt);
    g_pfnMessageBoxHook = nullptr;
    g_pfnCompressorChooseHook = nullptr;
    RegDeleteTreeA(HKEY_CURRENT_USER, key);
}
