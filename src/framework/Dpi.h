#pragma once
// The scale windows are drawn at. The program's sizes are given as at 96 DPI (100%) and grow with
// the DPI of the monitor a window is on; the process declares itself per-monitor aware in its
// manifest, so the system does not stretch what it draws.
#include <windows.h>

namespace zv {

constexpr UINT kStandardDpi = 96;
// WM_DPICHANGED, sent to a top-level window when its monitor's scale changes or it moves to a
// monitor of another scale (Windows 8.1 on): wParam the new DPI, lParam the rectangle suggested.
constexpr UINT kDpiChangedMessage = 0x02E0;

// A size at 96 DPI, at the given DPI.
inline int ScaleToDpi(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), kStandardDpi); }
// The DPI a window is drawn at: its monitor's where the system tells it (Windows 10 on), else
// the system's.
UINT WindowDpi(HWND window);
// The size of a small icon (the notification area's) at the given DPI.
int SmallIconSize(UINT dpi);

}  // namespace zv
