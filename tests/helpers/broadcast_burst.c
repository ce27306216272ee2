/* Another program announcing profile changes in a burst: writes the default once, announces it N
   times, then asks the main window titled "Zorvane" for an answer within one second. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  int count = argc > 2 ? atoi(argv[2]) : 1000;
  if (argc < 2) return 2;
  WriteProfileStringA("windows", "device", argv[1]);
  for (int i = 0; i < count; ++i) {
    DWORD_PTR result;
    SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, (LPARAM) "windows", SMTO_ABORTIFHUNG, 5000, &result);
  }
  HWND window = NULL, w = NULL;
  while ((w = FindWindowExA(NULL, w, NULL, "Zorvane")) != NULL)
    if (GetWindow(w, GW_OWNER)) window = w;
  DWORD start = GetTickCount();
  DWORD_PTR result;
  LRESULT answered = window ? SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) : 0;
  printf("sent=%d answered=%d ms=%lu\n", count, answered != 0, (unsigned long)(GetTickCount() - start));
  return answered ? 0 : 1;
}
