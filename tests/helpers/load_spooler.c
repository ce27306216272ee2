/* Another Windows program that prints: it loads the spooler and ends. Where no other program holds
   the spooler, Wine's spooler then copies CUPS's default into the profile. */
#include <windows.h>

int main(void) { return LoadLibraryA("winspool.drv") ? 0 : 1; }
