#pragma once
// The stand-ins for the platform that tests put in its place, one for each seam, and a registry key
// and folder of the test's own.
#include <windows.h>
#include <shlwapi.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "app/LegacyDefaultMode.h"
#include "app/NetworkTables.h"
#include "app/Shell.h"
#include "app/cups_default.h"
#include "components/TrayIcon/TrayIcon.h"
#include "framework/Dialogs.h"
#include "framework/Handles.h"
#include "printers/SpoolerApi.h"

namespace zv::test {

// A registry key of the test's own (under HKEY_CURRENT_USER unless said), removed with everything below it, raw
// access to values as another program (or a damaged profile) could have left them, and a folder.
class TTestKey {
 public:
  // Under the machine's key, in the 64-bit programs' view, where Group Policy writes.
  explicit TTestKey(std::string path, HKEY root = HKEY_CURRENT_USER) : path_(std::move(path)), root_(root) { Remove(); }
  ~TTestKey() { Remove(); }
  const std::string& Path() const { return path_; }
  void Remove() const {
    const std::size_t slash = path_.rfind('\\');
    HKEY parent;
    if (RegOpenKeyExA(root_, path_.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &parent) == ERROR_SUCCESS)
      SHDeleteKeyA(TKeyHandle(parent).Get(), path_.substr(slash + 1).c_str());
  }
  // A value below the key ("": the key itself), made with the keys it needs.
  void Set(const std::string& sub, const std::string& name, DWORD type, const void* data, DWORD size) const {
    HKEY key;
    if (RegCreateKeyExA(root_, (sub.empty() ? path_ : path_ + "\\" + sub).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr) == ERROR_SUCCESS)
      RegSetValueExA(TKeyHandle(key).Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  }
  void Set(const std::string& sub, const std::string& name, const std::string& text) const {
    Set(sub, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void Set(const std::string& sub, const std::string& name, DWORD number) const { Set(sub, name, REG_DWORD, &number, 4); }

  static bool Exists(const std::string& path) {
    HKEY key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS && TKeyHandle(key).Get();
  }
  static void SetRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size,
                     HKEY root = HKEY_CURRENT_USER) {
    SHSetValueA(root, path.c_str(), name, type, data, size);
  }
  struct TRaw { DWORD type = REG_NONE; std::vector<std::uint8_t> data; bool found = false; };
  static TRaw GetRaw(const std::string& path, const char* name) {
    TRaw raw;
    DWORD size = 0;
    if (SHGetValueA(HKEY_CURRENT_USER, path.c_str(), name, &raw.type, nullptr, &size) != ERROR_SUCCESS) return raw;
    raw.data.resize(size);
    raw.found = SHGetValueA(HKEY_CURRENT_USER, path.c_str(), name, &raw.type, raw.data.data(), &size) == ERROR_SUCCESS;
    return raw;
  }

 private:
  std::string path_;
  HKEY root_;
};

// A folder under the temporary folder, made if missing; without a final backslash.
inline std::string TempFolder(const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = temp + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// A spooler and profile that tests fill with the printers, ports and failures they need.
class TFakeSpooler : public TStandIn<ISpoolerApi> {
 public:
  TFakeSpooler() = default;
  TFakeSpooler(const std::vector<TPrinterRecord>& p, const std::string& device) : printers(p) { SetDefault(device); }
  DWORD platformId = 2;
  std::vector<TPrinterRecord> printers;
  struct TIgnoringCase {
    bool operator()(const std::string& a, const std::string& b) const { return _stricmp(a.c_str(), b.c_str()) < 0; }
  };
  std::map<std::string, std::string, TIgnoringCase> profile;  // "section/key" -> value
  bool failEnumeration = false, failWrite = false, failOpen = false, failDocumentProperties = false;
  bool throwEnumeration = false;  // as when memory runs out
  int writes = 0;
  std::vector<std::string> asked;  // "flags/level" of each listing

  void SetDefault(const std::string& value) { profile["windows/device"] = value; }
  std::string Default() { return ReadProfile("windows", "device"); }

  DWORD PlatformId() override { return platformId; }
  bool ListPrinters(DWORD flags, DWORD level, std::vector<TPrinterRecord>& out) override {
    asked.push_back(std::to_string(flags) + "/" + std::to_string(level));
    if (throwEnumeration) throw std::bad_alloc();
    if (failEnumeration) return false;
    for (const auto& p : printers) out.push_back({p.Name, level == 5 ? p.Ports : "", p.Whole});
    return true;
  }
  std::string ReadProfile(const std::string& section, const std::string& key) override {
    // The profile's list of devices names every installed printer, as the spooler keeps it.
    if (_stricmp(section.c_str(), "devices") == 0)
      for (const auto& p : printers)
        if (_stricmp(p.Name.c_str(), key.c_str()) == 0) return "winspool," + (p.Ports.empty() ? "Ne00:" : p.Ports);
    auto it = profile.find(section + "/" + key);
    return it == profile.end() ? std::string() : it->second;
  }
  bool WriteProfile(const std::string& section, const std::string& key, const std::string& value) override {
    ++writes;
    if (!failWrite) profile[section + "/" + key] = value;
    return !failWrite;
  }
  HANDLE OpenPrinterHandle(const std::string&) override {
    return failOpen ? nullptr : reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1000));
  }
  void ClosePrinterHandle(HANDLE) override {}
  LONG QueryDocumentProperties(HANDLE, const std::string& device, DEVMODEA* output, DEVMODEA*, DWORD mode) override {
    if (mode == 0) return sizeof(DEVMODEA);
    if (failDocumentProperties) return -1;
    // The driver's settings carry the device name, so tests can tell whose block it is.
    lstrcpynA(reinterpret_cast<char*>(output->dmDeviceName), device.c_str(), CCHDEVICENAME);
    return IDOK;
  }
};

// lpoptions as the CUPS step sees it; a closed gate holds every run until the test opens it or the
// program lets go of the step.
class TFakeCups : public TStandIn<ICupsPlatform> {
 public:
  bool wine = true, succeed = true;

  bool UnderWine() override { return wine; }
  bool Run(const std::vector<std::string>& arguments, HANDLE abandon) override {
    std::string command;
    for (const std::string& argument : arguments) command += (command.empty() ? "" : " ") + argument;
    std::unique_lock<std::mutex> guard(lock_);
    runs_.push_back(command);
    changed_.notify_all();
    for (int waits = 0; !open_ && waits < 1000; ++waits) {  // at most 5 s: a step let go of ends at once
      if (WaitForSingleObject(abandon, 0) == WAIT_OBJECT_0) return false;
      changed_.wait_for(guard, std::chrono::milliseconds(5));
    }
    return succeed;
  }
  void Gate(bool open) {
    std::lock_guard<std::mutex> guard(lock_);
    open_ = open;
    changed_.notify_all();
  }
  // Waits until the given number of runs has started; the commands so far.
  std::vector<std::string> Runs(std::size_t started = 0) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, std::chrono::seconds(5), [&] { return runs_.size() >= started; });
    return runs_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool open_ = true;
  std::vector<std::string> runs_;
};

// Records the notification-area calls instead of making them.
class TFakeNotifyIcon : public TStandIn<INotifyIconApi> {
 public:
  struct TCall { DWORD message; TNotifyIconData data; };
  BOOL ShellNotifyIcon(DWORD message, TNotifyIconData& data) override {
    calls.push_back({message, data});
    // The shell's call is a sent message: while it waits, messages sent to us are handled.
    if (During) During(message);
    return TRUE;
  }
  BOOL ShowBalloon(NOTIFYICONDATAA& data) override {
    balloons.push_back(data);
    return TRUE;
  }
  std::vector<NOTIFYICONDATAA> balloons;
  std::function<void(DWORD message)> During;
  std::vector<DWORD> Messages() const {
    std::vector<DWORD> messages;
    for (const auto& call : calls) messages.push_back(call.message);
    return messages;
  }
  std::vector<TCall> calls;
};

// Closes the menu a timer found open: a menu shown in a test would wait for a choice.
inline void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}

// Stand-ins for the message box, the printer setup dialog and the shell's other calls: they note
// what the program asked and answer as the test says.
class TFakeDialogs : public TStandIn<IDialogCalls> {
 public:
  int ShowMessage(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    messages.push_back(caption + ": " + text + " " + std::to_string(flags));
    if (WhileAsked) WhileAsked();
    return answer;
  }
  BOOL PrintDialog(PRINTDLGA& record) override {
    ++dialogs;
    return OnPrintDialog ? OnPrintDialog(record) : FALSE;
  }
  std::vector<std::string> messages;
  int answer = IDOK, dialogs = 0;
  std::function<void()> WhileAsked;
  std::function<BOOL(PRINTDLGA&)> OnPrintDialog;  // cancelled unless the test answers
};

class TFakeShell : public TStandIn<IShellCalls> {
 public:
  std::string StartupFolder() override { return startup; }
  void ChangeNotify(LONG event, UINT flags, const std::string& item1, const std::string& item2) override {
    notices.push_back(std::to_string(event) + " " + std::to_string(flags) + " " + item1 +
                      (item1 == item2 ? " (both)" : ""));
  }
  void Beep(UINT) override { ++beeps; }
  void Execute(const std::string& commandLine) override { commands.push_back(commandLine); }
  std::vector<std::string> commands;
  std::string startup;  // the shell's StartUp folder; empty: it has none
  std::vector<std::string> notices;
  int beeps = 0;
};

// Windows of the version a test needs, and its current user's switch that stops it managing the
// default printer: "none" (no value) or the number, left with no value at the end.
class TFakeWindows : public TStandIn<IWindowsVersion> {
 public:
  ~TFakeWindows() override { SetMode("none"); }
  TWindowsVersion version{10, 0, 19045};
  TWindowsVersion Version() override { return version; }
  void SetMode(const std::string& mode) {
    const DWORD number = mode == "none" ? 0 : std::stoul(mode);
    if (mode == "none") SHDeleteValueA(HKEY_CURRENT_USER, kWindowsKey, kLegacyModeValue);
    else TTestKey::SetRaw(kWindowsKey, kLegacyModeValue, REG_DWORD, &number, sizeof number);
  }
  std::string Mode() const {
    const auto raw = TTestKey::GetRaw(kWindowsKey, kLegacyModeValue);
    DWORD number = 0;
    if (raw.data.size() == sizeof number) std::memcpy(&number, raw.data.data(), sizeof number);
    return raw.found ? std::to_string(number) : "none";
  }
};

// The routing tables as a test sets them: the network of the moment is a key name.
class TFakeNetwork : public TStandIn<INetworkCalls> {
 public:
  std::string network;  // a key name
  TNetworkLook Look(bool) override { return {TNetwork::FromKey(network).value_or(TNetwork{}), 1, 1}; }
  bool notices = false;  // the system tells of route changes (not under Wine)
  int requests = 0;
  ICoreWindow* told = nullptr;
  bool AwaitRouteChange(ICoreWindow* window) override { return told = window, ++requests, notices; }
  // The system's notice, as it comes: posted from another thread, handled by the window in its time.
  void Notice() {
    std::thread([this] { told->Post(TCoreWake::RouteChanged); }).join();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
};

}  // namespace zv::test
