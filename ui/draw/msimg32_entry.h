#pragma once
// The two msimg32.dll entry points the drawing routines use, looked up by name on first use and
// remembered for the process. Null when the DLL or the function is missing.

#include <windows.h>

using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

AlphaBlendProc AlphaBlendEntry();
GradientFillProc GradientFillEntry();
