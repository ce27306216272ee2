/* Times a window as Windows sees it, where its end shows at once (an X window may linger for a
   while after it): waits up to 30 s for a visible window of the class given, larger than a point,
   then prints how many seconds it stayed visible. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static const char* wanted;

static BOOL CALLBACK Find(HWND window, LPARAM found) {
  char name[64];
  RECT r;
  if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) && !strcmp(name, wanted) &&
      GetWindowRect(window, &r) && r.right - r.left > 1) {
    *(BOOL*) found = TRUE;
    return FALSE;
  }
  return TRUE;
}

static BOOL Shown(void) {
  BOOL found = FALSE;
  EnumWindows(Find, (LPARAM) &found);
  return found;
}

int main(int argc, char** argv) {
  DWORD start = GetTickCount(), shown;
  if (argc < 2) return 2; /* splash_time CLASS */
  wanted = argv[1];
  while (!Shown())
    if (GetTickCount() - start > 30000) return 1; else Sleep(20);
  shown = GetTickCount();
  while (Shown()) Sleep(20);
  printf("%.2f\n", (GetTickCount() - shown) / 1000.0);
  return 0;
}
