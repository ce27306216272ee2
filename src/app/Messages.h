#pragma once
// The main window's private messages and timers, all in one place.
#include <windows.h>

namespace zv {

// Work that waited for a change to end may run now (posted by the window to itself).
inline constexpr UINT WM_RUNWAITING = WM_APP + 1;
// The system's notice of a change of the routing table.
inline constexpr UINT WM_ROUTECHANGED = WM_APP + 3;

// Where the system gives no notice of route changes, the routing table is read at this interval.
inline constexpr UINT_PTR kNetworkTimer = 2;
inline constexpr UINT kNetworkCheckMs = 3000;

}  // namespace zv
