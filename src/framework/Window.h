#pragma once
// A window whose messages all go to one handler. Exceptions never leave the window procedure:
// they are handed to the application's default exception handling.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"

namespace zv {

using TMessageHandler = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

struct TWindowParams {
  std::string title;
  DWORD style = WS_POPUP;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;  // parent for child windows, owner for top-level ones
};

class TWindow {
 public:
  // The handler is called from the first message on, before the constructor returns.
  TWindow(const TWindowParams& params, TMessageHandler handler);
  ~TWindow() = default;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND Handle() const { return handle_.Get(); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  TMessageHandler handler_;
  TWindowHandle handle_;
};

// Title of a window, whole however long it is.
std::string GetWindowTitle(HWND window);

}  // namespace zv
