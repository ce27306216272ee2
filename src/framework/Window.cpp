#include "framework/Window.h"

#include <vector>

#include "framework/Exception.h"

namespace zv {
namespace {
constexpr char kWindowClass[] = "TZorvaneWindow";

void RegisterWindowClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExA(&wc) != 0;
  }();
  (void)registered;
}
}  // namespace

TWindow::TWindow(const TWindowParams& params, TMessageHandler handler) : handler_(std::move(handler)) {
  RegisterWindowClass(&TWindow::Procedure);
  // A desktop that is just being replaced (under Wine, when the last program of a session has
  // gone) refuses windows for a moment: a start then tries again for a little while.
  constexpr int kAttempts = 20;
  for (int attempt = 1;; ++attempt) {
    if (CreateWindowExA(params.exStyle, kWindowClass, params.title.c_str(), params.style, params.x, params.y,
                        params.width, params.height, params.parent, nullptr, GetModuleHandleA(nullptr), this))
      return;
    handle_.Detach();  // creation failed after WM_NCCREATE: the platform destroyed it already
    if (attempt == kAttempts) throw Exception("Cannot create a window");
    Sleep(100);
  }
}

LRESULT CALLBACK TWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    // Known from the first message on: handlers run while CreateWindowExA has not returned yet.
    self->handle_.Reset(window);
  }
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->handler_ ? self->handler_(window, message, wParam, lParam)
                            : DefWindowProcA(window, message, wParam, lParam);
  } catch (...) {
    HandleCurrentException();
  }
  // The last message of a window: the wrapper lets go of the handle, which is dead from here on
  // (a window dies with its owner, which may go first).
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->handle_.Detach();
  }
  return result;
}

std::string GetWindowTitle(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

}  // namespace zv
