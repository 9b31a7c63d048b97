#include "shell/later_commands.h"

// Saving stereo, left and right and camera movies, splitting, batches and
// the 3DS date change.
void SaveCommand(HWND, int)
{
}

// The full-screen stereo devices (page flip, Direct3D, OpenGL, 3D Vision).
void FullScreenPlayCommand(HWND, int)
{
}

void MediaPlayerCommand(HWND)
{
}

void ShutterSettingsCommand(HWND)
{
}

void DisplaySettingsCommand(HWND)
{
}

void AnaglyphSettingsCommand(HWND, int)
{
}

void ChromaKeySettingsCommand(HWND)
{
}
