// The page-flip window is not part of this build yet: its entry point
// says so and returns.
#include "devices/page_flip_window.h"

#include "devices/unavailable_output.h"
#include "state/app_windows.h"

int RunW3DWindow(StereoPair *)
{
    ShowOutputNotAvailable(g_hwndMain);
    return 1;
}
