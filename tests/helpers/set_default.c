/* Plays another program that changes the default printer: writes the profile's "device" value,
   announces it COUNT times (once by default), then counts how many profile-change announcements
   come back within three seconds. It does not link the spooler (loading it would reset the
   profile under Wine). */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static int echoes = 0;

static LRESULT CALLBACK Listen(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  /* Our own announcement reaches us directly; the others' come from another thread. */
  if (message == WM_WININICHANGE && InSendMessage()) ++echoes;
  return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char** argv) {
  WNDCLASSA wc = {
      .lpfnWndProc = Listen, .hInstance = GetModuleHandleA(NULL), .lpszClassName = "ZorvaneTestOtherProgram"};
  if (argc < 2) return 2; /* set_default DEVICE,DRIVER,PORT [COUNT] */
  RegisterClassA(&wc);
  CreateWindowA(wc.lpszClassName, "other program", WS_POPUP, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
  if (!WriteProfileStringA("windows", "device", argv[1])) return 1;
  for (int i = argc > 2 ? atoi(argv[2]) : 1; i > 0; --i) {
    DWORD_PTR result;
    SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, (LPARAM) "windows", SMTO_ABORTIFHUNG, 5000, &result);
  }
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 3000) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
  }
  printf("echoes=%d\n", echoes);
  return 0;
}
