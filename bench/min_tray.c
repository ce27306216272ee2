/* The floor a tray program cannot go below: a hidden window and one icon, nothing else. */
#include <windows.h>
#include <shellapi.h>

static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CLOSE) PostQuitMessage(0);
  return DefWindowProcA(w, m, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  (void)previous; (void)command; (void)show;
  WNDCLASSA wc = {0};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "MinTray";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("MinTray", "MinTray", WS_POPUP, 0, 0, 0, 0, NULL, NULL, instance, NULL);
  NOTIFYICONDATAA data = {0};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  data.uCallbackMessage = WM_USER + 1;
  data.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
  lstrcpyA(data.szTip, "minimal");
  Shell_NotifyIconA(NIM_ADD, &data);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  Shell_NotifyIconA(NIM_DELETE, &data);
  return 0;
}
