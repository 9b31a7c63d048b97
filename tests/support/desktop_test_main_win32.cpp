// The main of the test programs that run inside a Wine virtual desktop of
// their own (scripts/run-in-desktop.sh): nobody reads their console there,
// so the output and the exit code go to the files the script names.
#include <gtest/gtest.h>

#include <windows.h>

#include <io.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    char log[MAX_PATH], status[MAX_PATH];
    bool desktop = GetEnvironmentVariableA("TWR_DESKTOP_LOG", log, sizeof log) > 0 &&
                   GetEnvironmentVariableA("TWR_DESKTOP_STATUS", status, sizeof status) > 0;
    if (desktop) {
        freopen(log, "w", stdout);
        setvbuf(stdout, nullptr, _IONBF, 0);
        _dup2(_fileno(stdout), _fileno(stderr));
    }
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (desktop) {
        fflush(stdout);
        FILE *f = fopen(status, "w");
        if (f) {
            fprintf(f, "%d\n", result);
            fclose(f);
        }
    }
    return result;
}
