#include "framework/Dpi.h"

#include "framework/Handles.h"
#include "framework/Library.h"

namespace zv {
namespace {

UINT SystemDpi() {
  TWindowDC screen(nullptr);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : kStandardDpi;
}

}  // namespace

UINT WindowDpi(HWND window) {
  // Late-bound: older systems lack the call and scale every window alike.
  static TLateProc<UINT WINAPI(HWND)> getDpiForWindow("user32.dll", "GetDpiForWindow");
  if (window && getDpiForWindow.Get())
    if (const UINT dpi = getDpiForWindow.Get()(window)) return dpi;
  return SystemDpi();
}

int SmallIconSize(UINT dpi) {
  static TLateProc<int WINAPI(int, UINT)> getSystemMetricsForDpi("user32.dll", "GetSystemMetricsForDpi");
  if (getSystemMetricsForDpi.Get())
    if (const int size = getSystemMetricsForDpi.Get()(SM_CXSMICON, dpi)) return size;
  return MulDiv(GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

}  // namespace zv
