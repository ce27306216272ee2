/* Prints the target of a shell shortcut file, read through the shell's link object. */
#define COBJMACROS
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv) {
  IShellLinkA* link = NULL;
  IPersistFile* file = NULL;
  WCHAR path[MAX_PATH];
  char target[MAX_PATH] = "";
  int status = 1;
  if (argc < 2) return 2;
  CoInitialize(NULL);
  if (SUCCEEDED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkA, (void**)&link))) {
    if (SUCCEEDED(IShellLinkA_QueryInterface(link, &IID_IPersistFile, (void**)&file))) {
      MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH);
      if (SUCCEEDED(IPersistFile_Load(file, path, STGM_READ)) &&
          SUCCEEDED(IShellLinkA_GetPath(link, target, MAX_PATH, NULL, 0))) {
        printf("%s\n", target);
        status = 0;
      }
      IPersistFile_Release(file);
    }
    IShellLinkA_Release(link);
  }
  CoUninitialize();
  return status;
}
