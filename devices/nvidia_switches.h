// The two NVIDIA driver settings that decide which stereo output the
// driver offers: OpenGL quad-buffer stereo and 3D Vision. They are
// switched when the user picks a full-screen device with automatic
// switching on. Only values the driver already has are rewritten: a
// machine without the driver (or without one of the values) keeps its
// registry as it was, and nothing is reported.
#ifndef TWR_DEVICES_NVIDIA_SWITCHES_H
#define TWR_DEVICES_NVIDIA_SWITCHES_H

#include "shared/wintypes.h"

// HKEY_LOCAL_MACHINE "SYSTEM\ControlSet%03d\Services\nv\Device0" (the
// number is "Current" of "SYSTEM\Select"), REG_BINARY
// "Ogl_EnableStereoSupport": the 4 bytes at value (01 00 00 00 on,
// 00 00 00 00 off).
void SetOglStereoSupport(const BYTE *value);

// HKEY_LOCAL_MACHINE "SOFTWARE\NVIDIA Corporation\Global\Stereo3D",
// REG_DWORD "StereoEnable" and "StereoDefaultOn": *value (1 on, 0 off).
void SetNvidiaStereoEnable(const DWORD *value);

#endif
