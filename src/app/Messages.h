#pragma once
// The messages and timers the main window handles for the core, all in one place; the tray
// icon's own messages are in its header.
#include <windows.h>

namespace zv {

// The core asked to be woken (wParam: a TCoreWake), by the window or from a thread of the system's.
inline constexpr UINT WM_COREWAKE = WM_APP + 1;

// Where the system gives no notice of route changes, the routing table is read at this interval.
inline constexpr UINT_PTR kNetworkTimer = 2;
inline constexpr UINT kNetworkCheckMs = 3000;

}  // namespace zv
