#include "app/cups_default.h"

#include <utility>

#include "printers/Printer.h"
#include "printers/SpoolerApi.h"

namespace zv {
namespace {

constexpr DWORD kPollMs = 5;
constexpr char kCupsPort[] = "CUPS:";
// The step's shell ends the Linux program after 3 s (and kills it a second later); the step is
// given up on only after that, so no two steps ever run at once.
constexpr DWORD kWaitMs = 5000;
// Started in the folder of the step's file, with that file's name, the Linux program and its
// arguments, each an argument of its own and only ever expanded as "$@": no name becomes shell
// syntax. The exit code is added to the file that this program made (none there: not our folder,
// nothing runs). This program deletes the file once it has read it or let go of the step, and the
// shell at its end what it may have written since: no file outlives the step.
constexpr wchar_t kStepScript[] =
    L"m=$1; shift; [ -f \"$m\" ] || exit 0; PATH=${PATH:+$PATH:}/usr/local/bin:/usr/bin:/bin; "
    L"timeout -k 1 3 \"$@\" </dev/null >/dev/null 2>&1; c=$?; [ -f \"$m\" ] && echo $c >>\"$m\"; "
    L"n=0; while [ -e \"$m\" ] && [ $n -lt 20 ]; do sleep 0.1; n=$((n + 1)); done; rm -f \"$m\"";

// UTF-8 as the wide text of the process call; false for text that is no UTF-8.
bool Widen(const std::string& text, std::wstring& wide) {
  wide.clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return false;
  wide.resize(static_cast<std::size_t>(length));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length) == length;
}

// One argument of a command line, quoted by the rules Wine reads a command line by when it starts
// a Linux program: in quotes, a quote escaped with a backslash, the backslashes before a quote
// (or before the closing one) doubled.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L'"';
}

class TRealCupsPlatform final : public ICupsPlatform {
 public:
  bool UnderWine() override {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }

  // Wine starts a Linux program without a handle to wait on: the step's shell leaves the exit code
  // in a file of ours in the temporary folder, which is watched until it is complete. The shell is
  // started in that folder and given the file's bare name, so no path is ever converted by us:
  // a prefix or home folder of any name works.
  bool Run(const std::vector<std::string>& arguments, HANDLE abandon) override {
    std::wstring command = L"Z:\\bin\\sh -c " + Quoted(kStepScript) + L" sh";
    static LONG runs = 0;
    const std::wstring name = L"zorvane-cups-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(InterlockedIncrement(&runs)) + L".code";
    command += L" " + Quoted(name);
    for (const std::string& argument : arguments) {
      std::wstring wide;
      if (!Widen(argument, wide)) return false;
      command += L" " + Quoted(wide);
    }
    // Asked for its length first: a temporary folder may be longer than MAX_PATH.
    std::wstring folder(GetTempPathW(0, nullptr), L'\0');
    const DWORD length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length >= folder.size()) return false;
    folder.resize(length);
    // Deleted when the program lets go of it, however it ends.
    HANDLE made =
        CreateFileW((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (made == INVALID_HANDLE_VALUE) return false;
    TKernelHandle file(made);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, folder.c_str(),
                        &startup, &process))
      return false;
    TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    std::string code;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < kWaitMs;) {
      char buffer[16];
      DWORD read = 0;
      if (SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == 0 &&
          ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr))
        code.assign(buffer, read);
      if (!code.empty() && code.back() == '\n') break;
      if (WaitForSingleObject(abandon, kPollMs) != WAIT_TIMEOUT) break;
    }
    return code == "0\n";
  }
};

// The CUPS queue behind a printer, empty for a printer that is no CUPS queue: all that follows
// "CUPS:" in its port in the profile's list of devices, commas too (CUPS allows them in a name).
std::string CupsQueue(const std::string& device, std::string port) {
  if (port.empty() && !device.empty()) port = ListedPort(Spooler().ReadProfile("Devices", device));
  if (port.rfind(kCupsPort, 0) != 0) return std::string();
  return port.substr(sizeof kCupsPort - 1);
}

}  // namespace

template <>
ICupsPlatform& TSeam<ICupsPlatform>::Platform() {
  static TRealCupsPlatform platform;
  return platform;
}

TCupsDefault::TCupsDefault() : abandon_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

void TCupsDefault::NoteCupsDefault() {
  if (noted_) return;
  noted_ = true;
  // The spooler copies CUPS's default only where no other program holds it; where one does, this
  // may be an older default. It spares re-applications only: a choice is always sent.
  const std::string device = DefaultDevice();
  std::lock_guard<std::mutex> guard(lock_);
  known_ = device;
}

TCupsDefault::~TCupsDefault() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stop_ = true;
  }
  if (abandon_) SetEvent(abandon_.Get());
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

bool TCupsDefault::Keep(const std::string& device, const std::string& listedPort, bool chosen) {
  if (!CupsPlatform().UnderWine()) return false;
  NoteCupsDefault();
  const std::string queue = CupsQueue(device, listedPort);
  if (queue.empty()) return false;
  std::lock_guard<std::mutex> guard(lock_);
  // A burst of changes announced elsewhere must not start a burst of programs.
  if (!chosen && (queue == wanted_ || (queue == known_ && !running_ && pending_.empty()))) return false;
  wanted_ = queue;
  pending_ = queue;  // a choice still waiting is replaced: only the last one matters
  if (!worker_.joinable()) worker_ = std::thread(&TCupsDefault::Work, this);
  wake_.notify_one();
  return true;
}

bool TCupsDefault::Busy() {
  std::lock_guard<std::mutex> guard(lock_);
  return running_ || !pending_.empty();
}

void TCupsDefault::Work() {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    wake_.wait(guard, [this] { return stop_ || !pending_.empty(); });
    if (stop_) return;
    const std::string queue = std::exchange(pending_, std::string());
    running_ = true;
    guard.unlock();
    const bool done = CupsPlatform().Run({"lpoptions", "-d", queue}, abandon_.Get());
    guard.lock();
    running_ = false;
    // A step that failed or ran out of time may have changed CUPS all the same, or not.
    known_ = done ? queue : std::string();
  }
}

}  // namespace zv
