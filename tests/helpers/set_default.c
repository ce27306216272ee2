/* Plays another program that changes the default printer: writes the profile's "device" value and
   announces it COUNT times (once by default). It does not link the spooler (loading it would reset
   the profile under Wine). */
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2; /* set_default DEVICE,DRIVER,PORT [COUNT] */
  if (!WriteProfileStringA("windows", "device", argv[1])) return 1;
  for (int i = argc > 2 ? atoi(argv[2]) : 1; i > 0; --i) {
    DWORD_PTR result;
    SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, (LPARAM) "windows", SMTO_ABORTIFHUNG, 5000, &result);
  }
  return 0;
}
