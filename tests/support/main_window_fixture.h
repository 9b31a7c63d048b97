// The program's main window in the test's own process. One window serves
// a suite (destroying a shown popup costs Wine two seconds without a window
// manager); the suite's settings go to a key of its own. Nothing waits for
// a person: message boxes are recorded and answered (BoxAnswerer), file
// dialogs take the names the test queued (the name field, then OK), the
// file dialog's own question (overwrite?) is answered yes, every other
// modal dialog is recorded and cancelled, and the compressor choice picks
// uncompressed frames. The program shows its frame-position bar even beside
// a hidden main window: a test program using this fixture holds ctest's
// "twr_e2e_desktop" lock, so that the bar never covers an end-to-end
// test's screenshot.
#ifndef TWR_TESTS_SUPPORT_MAIN_WINDOW_FIXTURE_H
#define TWR_TESTS_SUPPORT_MAIN_WINDOW_FIXTURE_H

#include "tests/support/message_boxes.h"
#include "tests/support/settings_key.h"

#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

// A modal dialog that was cancelled: its title, and g_nBusy when it came.
struct SeenDialog {
    std::string title;
    int busy;
};

class MainWindowTest : public testing::Test {
public:
    // The window classes and instance, the key (named after the suite),
    // and the answers.
    static void SetUpTestSuite();
    // Closes the window if it is still there; the answers and the key end.
    static void TearDownTestSuite();

    // The program's texts are in the ANSI code page (932); the tests' in
    // UTF-8.
    static std::string Utf8(const std::string &ansi);

protected:
    // Clears what was answered; boxes are answered OK; not busy.
    void SetUp() override;
    void TearDown() override;

    // Creates the main window and its view unless the window is there.
    // Shown, it is laid out and painted as on the screen.
    static void OpenMainWindow(int width = 800, int height = 600, bool shown = false);

    // Closes the pair: the records are the left and the right movie's,
    // neither exchanged nor shifted, at the first frame with no end offset.
    static void ClosePair();
    // Dispatches every waiting message of the thread.
    static void Pump();
    static LRESULT Command(int id, LPARAM lParam = 0);
    // Opens the two movies (names as the program sees them) as a pair;
    // whether both are open.
    static bool OpenPair(const std::string &left, const std::string &right);

    static HWND main;
    static std::unique_ptr<BoxAnswerer> boxes;
    static std::deque<std::string> names;  // for the file dialogs, in turn
    static std::vector<SeenDialog> dialogs;
    static int compressorChoices;

private:
    static LRESULT CALLBACK AnswerDialogs(int code, WPARAM wParam, LPARAM lParam);
    static BOOL ChooseUncompressed(COMPVARS *vars);

    static std::unique_ptr<PrivateSettingsKey> key_;
    static HHOOK cbt_;
};

#endif
