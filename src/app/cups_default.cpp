#include "app/cups_default.h"

#include <winspool.h>

#include <utility>
#include <vector>

#include "printers/Printer.h"
#include "printers/SpoolerApi.h"
#include "framework/Handles.h"
#include "framework/Library.h"

namespace zv {
namespace {

constexpr DWORD kWaitMs = 3000;
constexpr DWORD kPollMs = 5;
constexpr char kCupsPort[] = "CUPS:";
const char* const kLpoptions[] = {"/usr/bin/lpoptions", "/usr/local/bin/lpoptions"};

// The Linux path of a Windows path, through Wine's own conversion; empty when there is none.
std::string UnixPath(const std::string& windowsPath) {
  static TLateProc<char* CDECL(const WCHAR*)> convert("kernel32.dll", "wine_get_unix_file_name");
  const int length = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
  if (!convert.Get() || length <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), length);
  char* unix = convert.Get()(wide.c_str());
  if (!unix) return std::string();
  std::string path(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

// The whole content of a small file, or the empty text.
std::string ReadSmallFile(const std::string& path) {
  HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return std::string();
  TKernelHandle file(opened);
  char buffer[64];
  DWORD read = 0;
  if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return std::string();
  return std::string(buffer, read);
}

class TRealCupsPlatform final : public ICupsPlatform {
 public:
  bool UnderWine() override {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }

  bool FileExists(const std::string& unixPath) override {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
      if (c == '/') c = '\\';
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  // Wine starts a Linux program without a handle to wait on: a shell runs the command and leaves
  // its exit code in a file of ours, which is watched until it is complete.
  bool Run(const std::string& unixCommand, DWORD timeoutMs) override {
    // Asked for its length first: a temporary folder may be longer than MAX_PATH.
    std::string folder(GetTempPathA(0, nullptr), '\0');
    const DWORD length = GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length >= folder.size()) return false;
    folder.resize(length);
    static LONG runs = 0;
    const std::string marker = folder + "zorvane-cups-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(InterlockedIncrement(&runs)) + ".code";
    const std::string unixMarker = UnixPath(marker);
    if (unixMarker.empty() || unixMarker.find_first_of("'\"") != std::string::npos) return false;
    std::string command = "Z:\\bin\\sh -c \"" + unixCommand + " >/dev/null 2>&1; echo $? >'" + unixMarker + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
      return false;
    TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    std::string code;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(kPollMs)) {
      code = ReadSmallFile(marker);
      if (!code.empty() && code.back() == '\n') break;
    }
    DeleteFileA(marker.c_str());
    return code == "0\n";
  }
};

// The CUPS queue behind a printer, empty for a printer that is no CUPS queue. Windows NT entries
// carry only the printer's name: its port is the second field of the profile's list of devices.
std::string CupsQueue(const std::string& device, std::string port) {
  if (port.empty() && !device.empty()) port = ListedPort(Spooler().ReadProfile("Devices", device));
  if (port.rfind(kCupsPort, 0) != 0) return std::string();
  return port.substr(sizeof kCupsPort - 1);
}

// CUPS queue names are plain; anything else is not given to a command line.
bool PlainQueueName(const std::string& queue) {
  if (queue.empty()) return false;
  for (char c : queue) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                       c == '-' || c == '.' || c == '@' || c == '+';
    if (!plain) return false;
  }
  return true;
}

}  // namespace

template <>
ICupsPlatform& TSeam<ICupsPlatform>::Platform() {
  static TRealCupsPlatform platform;
  return platform;
}

TCupsDefault::TCupsDefault(HWND notify, UINT message) : notify_(notify), message_(message) {}

void TCupsDefault::NoteCupsDefault() {
  if (noted_) return;
  noted_ = true;
  const std::string device = DefaultDevice();
  std::lock_guard<std::mutex> guard(lock_);
  known_ = device;
}

TCupsDefault::~TCupsDefault() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

bool TCupsDefault::Keep(const std::string& device, const std::string& port) {
  if (!CupsPlatform().UnderWine()) return false;
  NoteCupsDefault();
  const std::string queue = CupsQueue(device, port);
  if (!PlainQueueName(queue)) return false;
  std::lock_guard<std::mutex> guard(lock_);
  // Every re-application would try again otherwise: a burst of changes announced elsewhere must
  // not start a burst of programs.
  if (queue == wanted_) return false;
  wanted_ = queue;
  if (!running_ && pending_.empty()) {
    if (queue == known_) return false;
    superseded_ = known_;
  }
  pending_ = queue;  // a choice still waiting is replaced: only the last one matters
  if (!worker_.joinable()) worker_ = std::thread(&TCupsDefault::Work, this);
  wake_.notify_one();
  return true;
}

bool TCupsDefault::Busy() {
  std::lock_guard<std::mutex> guard(lock_);
  return running_ || !pending_.empty();
}

bool TCupsDefault::Superseded(const std::string& device) {
  const std::string queue = CupsQueue(device, std::string());
  std::lock_guard<std::mutex> guard(lock_);
  return !queue.empty() && queue == superseded_;
}

void TCupsDefault::Work() {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    wake_.wait(guard, [this] { return stop_ || !pending_.empty(); });
    if (stop_) return;
    const std::string queue = std::exchange(pending_, std::string());
    if (queue != known_) {
      running_ = true;
      guard.unlock();
      bool done = false;
      for (const char* tool : kLpoptions) {
        if (!CupsPlatform().FileExists(tool)) continue;
        done = CupsPlatform().Run(std::string(tool) + " -d " + queue, kWaitMs);
        break;
      }
      guard.lock();
      running_ = false;
      if (done) known_ = queue;
    }
    if (pending_.empty() && notify_) PostMessageA(notify_, message_, 0, 0);
  }
}

}  // namespace zv
