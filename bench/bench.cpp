// In-process measurements: menu rebuilds over the catalogue seam, switching against the bare
// platform floor, and the memory and object counts of a running process.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "app/PrinterCore.h"
#include "app/cups_default.h"
#include "app/main_window.h"
#include "components/RegFiles/RegFiles.h"
#include "components/TrayIcon/TrayIcon.h"
#include "printers/Printer.h"
#include "printers/SpoolerApi.h"
#include "framework/Application.h"
#include "framework/Menus.h"

using namespace zv;

namespace {

struct TStats {
  double median, min, max;
};

TStats Stats(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return {samples[samples.size() / 2], samples.front(), samples.back()};
}

double Micros(const std::function<void()>& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

// Menu rebuild followed by the re-application, with n printers from the catalogue seam.
void MenuBench() {
  zv::test::TFakeSpooler spooler;
  spooler.failWrite = false;
  TMainForm form(Application);
  std::printf("menu n median_us_per_printer min max\n");
  for (int n : {10, 100, 1000, 10000}) {
    spooler.printers.clear();
    for (int i = 0; i < n; ++i) spooler.printers.push_back({"Printer " + std::to_string((i * 7919) % n), ""});
    spooler.SetDefault(spooler.printers[n / 2].Name + ",,");
    const int runs = n >= 10000 ? 7 : 21;
    // Each rebuild is followed by the platform's floor for the same menu, so that both meet the
    // same state of the machine: create it, sort the names with the same comparison, insert
    // them, destroy it.
    std::vector<double> perPrinter, floorPerPrinter;
    for (int r = 0; r < runs; ++r) {
      perPrinter.push_back(Micros([&] {
                             form.BuildPrinterMenu();
                             form.ApplyDefaultPrinter(-1);
                           }) /
                           n);
      floorPerPrinter.push_back(Micros([&] {
                                  std::vector<std::string> names;
                                  for (const auto& p : spooler.printers) names.push_back(p.Name);
                                  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
                                    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                                          static_cast<int>(a.size()), b.data(),
                                                          static_cast<int>(b.size())) == CSTR_LESS_THAN;
                                  });
                                  HMENU menu = CreatePopupMenu();
                                  UINT id = 1;
                                  for (const auto& name : names) AppendMenuA(menu, MF_STRING, id++, name.c_str());
                                  DestroyMenu(menu);
                                }) /
                                n);
    }
    const TStats s = Stats(perPrinter), f = Stats(floorPerPrinter);
    std::printf("menu %d %.3f %.3f %.3f %.3f\n", n, s.median, s.min, s.max, f.median);
  }
}

// Choosing a printer entry (real profile write, real broadcast) against the bare floor.
void SwitchBench(int rounds) {
  TMainForm form(Application);
  form.BuildPrinterMenu();
  form.ApplyDefaultPrinter(-1);
  TMenuItem& items = form.PMenu->Items();
  if (items.Count() < FixedCount + 3) {
    std::printf("switch needs two printers\n");
    return;
  }
  // One choice at a time, as a user makes them: CUPS follows each before the next round, so that
  // neither figure carries the start of lpoptions that the one before left behind. The real step
  // runs; the bench only counts the steps that ended.
  struct TCountedCups : TStandIn<ICupsPlatform> {
    bool UnderWine() override { return TSeam<ICupsPlatform>::Platform().UnderWine(); }
    bool Run(const std::vector<std::string>& arguments, HANDLE abandon) override {
      const bool done = TSeam<ICupsPlatform>::Platform().Run(arguments, abandon);
      InterlockedIncrement(&ended);
      return done;
    }
    LONG ended = 0;
  } counted;
  const auto settle = [&](LONG ended) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 6000 && counted.ended < ended;) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    Sleep(50);  // and the shell that ran lpoptions has ended
  };
  std::vector<double> program, floor;
  for (int r = 0; r < rounds; ++r) {
    const int position = FixedCount + 1 + r % 2;
    const std::string value = items.Items(position)->Caption() + ",,";
    // Our own window must ignore the floor's broadcast as it ignores its own.
    floor.push_back(Micros([&] {
      TWaiting::TChange own(form.Core().Waiting(), TChangeKind::Announcing);
      WriteProfileStringA("Windows", "Device", value.c_str());
      DWORD_PTR result;
      SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("windows"),
                          SMTO_NORMAL | SMTO_ABORTIFHUNG, 2000, &result);
    }));
    const LONG ended = counted.ended + (counted.UnderWine() ? 1 : 0);
    program.push_back(Micros([&] { items.Items(position)->Click(); }));
    settle(ended);
  }
  // The same choice without the CUPS step (as on Windows), to show what that step costs.
  struct TNoCups : TStandIn<ICupsPlatform> {
    bool UnderWine() override { return false; }
    bool Run(const std::vector<std::string>&, HANDLE) override { return false; }
  };
  std::vector<double> windowsWay;
  {
    TNoCups noCups;
    for (int r = 0; r < rounds; ++r)
      windowsWay.push_back(Micros([&] { items.Items(FixedCount + 1 + r % 2)->Click(); }));
  }
  const TStats p = Stats(program), f = Stats(floor), w = Stats(windowsWay);
  std::printf("switch program %.0f %.0f %.0f floor %.0f %.0f %.0f nocups %.0f %.0f %.0f\n", p.median, p.min, p.max,
              f.median, f.min, f.max, w.median, w.min, w.max);
}

// Where a cold start's catalogue time goes: the enumeration, and resolving the default with its
// driver settings (the printer driver is asked for its DEVMODE).
void CatalogueBench() {
  double enumerate = 0, resolve = 0;
  {
    TPrinter printer;
    enumerate = Micros([&] { printer.Entries(); });
    resolve = Micros([&] { printer.CurrentIndex(); });
  }
  TPrinter again;
  const double warmEnumerate = Micros([&] { again.Entries(); });
  const double warmResolve = Micros([&] { again.CurrentIndex(); });
  std::printf("catalogue cold_enumerate %.0f cold_resolve %.0f warm_enumerate %.0f warm_resolve %.0f\n", enumerate,
              resolve, warmEnumerate, warmResolve);
}

// Memory and object counts of another process, found by its window title; optionally after
// that process has rebuilt its menu the given number of times.
void Probe(const char* title, int rebuilds) {
  // The main window bears the title too, owned by the application's window: rebuilds go to it.
  HWND window = FindWindowA(nullptr, title);
  for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, title); w; w = FindWindowExA(nullptr, w, nullptr, title))
    if (GetWindow(w, GW_OWNER)) window = w;
  DWORD pid = 0;
  if (window) GetWindowThreadProcessId(window, &pid);
  HANDLE process = pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid) : nullptr;
  if (!process) {
    std::printf("probe no process titled %s\n", title);
    return;
  }
  for (int i = 0; i < rebuilds; ++i) {
    DWORD_PTR result;
    SendMessageTimeoutA(window, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("windows"), SMTO_NORMAL, 5000, &result);
  }
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  DWORD handles = 0;
  GetProcessHandleCount(process, &handles);
  std::printf("probe %s working_set_kb %lu private_kb %lu handles %lu user %lu gdi %lu\n", title,
              static_cast<unsigned long>(memory.WorkingSetSize / 1024),
              static_cast<unsigned long>(memory.PrivateUsage / 1024), static_cast<unsigned long>(handles),
              static_cast<unsigned long>(GetGuiResources(process, GR_USEROBJECTS)),
              static_cast<unsigned long>(GetGuiResources(process, GR_GDIOBJECTS)));
  CloseHandle(process);
}

}  // namespace

int main(int argc, char** argv) {
  InitPrinterUnit();
  Application = new TApplication();
  Application->SetTitle("ZorvaneBench");
  zv::test::TFakeDialogs dialogs;  // a failure is counted, not shown
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "menu") MenuBench();
  if (what == "catalogue") CatalogueBench();
  if (what == "switch") SwitchBench(argc > 2 ? std::atoi(argv[2]) : 40);
  if (what == "close" && argc > 2) {
    if (HWND window = FindWindowA(nullptr, argv[2])) PostMessageA(window, WM_CLOSE, 0, 0);
  }
  if (what == "probe" && argc > 2) Probe(argv[2], argc > 3 ? std::atoi(argv[3]) : 0);
  delete Application;
  return 0;
}
