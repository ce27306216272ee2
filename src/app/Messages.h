#pragma once
// The main window's private messages and timers, all in one place.
#include <windows.h>

namespace zv {

// The core asked to be woken (wParam: a TCoreWake), by the window or from a thread of the system's.
inline constexpr UINT WM_COREWAKE = WM_APP + 1;

// Where the system gives no notice of route changes, the routing table is read at this interval.
inline constexpr UINT_PTR kNetworkTimer = 2;
inline constexpr UINT kNetworkCheckMs = 3000;

}  // namespace zv
