// What the saving tests share: the media folder made by
// make_save_media.sh, the output folder, AVIFile, a main window whose
// title the savers write, answers to the message boxes, and reading
// little-endian samples.
#ifndef TWR_TESTS_PIPELINE_SAVE_FIXTURE_H
#define TWR_TESTS_PIPELINE_SAVE_FIXTURE_H

#include "state/app_windows.h"
#include "tests/pipeline/test_paths.h"
#include "tests/support/message_boxes.h"

#include <gtest/gtest.h>

#include <vfw.h>

#include <memory>
#include <string>
#include <vector>

#ifndef TWR_SAVE_MEDIA_DIR
#error "TWR_SAVE_MEDIA_DIR names the media folder"
#endif

inline std::string SaveMedia(const std::string &name)
{
    return HostFile(TWR_SAVE_MEDIA_DIR, name);
}

inline std::string WindowTitle(HWND w)
{
    char text[512] = "";
    GetWindowTextA(w, text, sizeof text);
    return text;
}

inline std::vector<short> Samples16(const std::vector<unsigned char> &bytes, size_t from = 0, size_t count = (size_t)-1)
{
    std::vector<short> out;
    for (size_t i = from; i + 1 < bytes.size() && out.size() < count; i += 2)
        out.push_back((short)(bytes[i] | bytes[i + 1] << 8));
    return out;
}

class SaveTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        AVIFileInit();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TwrSaveTestWindow";
        RegisterClassA(&wc);
        g_hwndMain = CreateWindowA("TwrSaveTestWindow", "test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        g_hwndView = CreateWindowA("TwrSaveTestWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 320, 240, g_hwndMain,
                                   nullptr, wc.hInstance, nullptr);
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(g_hwndMain);
        g_hwndMain = g_hwndView = nullptr;
        AVIFileExit();
    }
    void SetUp() override
    {
        if (!FileExists(SaveMedia(".stamp")))
            GTEST_SKIP() << "no test media (run through ctest)";
        answerer_.reset(new BoxAnswerer(kAnswerYesOrOk));
    }
    void TearDown() override { answerer_.reset(); }

    // Every box the code under test showed.
    std::vector<ShownBox> &ShownBoxes() { return answerer_->shown; }

private:
    std::unique_ptr<BoxAnswerer> answerer_;
};

#endif
