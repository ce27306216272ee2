#include "app/cups_default.h"

#include <winspool.h>

#include <vector>

#include "app/printers/Printer.h"
#include "app/printers/SpoolerApi.h"
#include "framework/Handles.h"

namespace zv {
namespace {

constexpr DWORD kWaitMs = 2000;
constexpr char kCupsPort[] = "CUPS:";
const char* const kLpoptions[] = {"/usr/bin/lpoptions", "/usr/local/bin/lpoptions"};

class TRealCupsPlatform final : public ICupsPlatform {
 public:
  bool UnderWine() override {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }

  std::string FindFile(const std::string& unixPath) override {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
      if (c == '/') c = '\\';
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? path : std::string();
  }

  bool Run(const std::string& commandLine, DWORD timeoutMs) override {
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
      return false;
    TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    const DWORD waited = WaitForSingleObject(process.hProcess, timeoutMs);
    // Wine cannot wait for a Linux program it started: it runs on by itself, and started is done.
    if (waited == WAIT_FAILED) return true;
    if (waited != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    return GetExitCodeProcess(process.hProcess, &code) && code == 0;
  }
};

std::string knownCupsDefault;  // the queue CUPS is known to have as default
std::string lastAttempt;       // tried once; not again until another printer is chosen

// The first port the spooler lists for a printer ("CUPS:<queue>" for the queues Wine takes from CUPS).
std::string SpoolerPort(const std::string& device) {
  std::vector<TPrinterRecord> printers;
  if (!Spooler().ListPrinters(PRINTER_ENUM_LOCAL, 5, printers)) return std::string();
  for (const TPrinterRecord& printer : printers) {
    std::size_t cursor = 0;
    if (printer.Name == device) return NextField(printer.Ports, cursor);
  }
  return std::string();
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

void InitCupsDefault() {
  // Loading the spooler has just copied CUPS's default into the profile.
  const std::string value = Spooler().ReadProfile("windows", "device");
  knownCupsDefault = value.substr(0, value.find(','));
  lastAttempt.clear();
}

bool KeepCupsDefault(const std::string& device, const std::string& port) {
  ICupsPlatform& cups = CupsPlatform();
  if (!cups.UnderWine()) return false;
  // Windows 95 entries carry their port; Windows NT entries only the printer name.
  const std::string spoolerPort = port.empty() ? SpoolerPort(device) : port;
  if (spoolerPort.rfind(kCupsPort, 0) != 0) return false;
  const std::string queue = spoolerPort.substr(sizeof kCupsPort - 1);
  if (queue == knownCupsDefault) lastAttempt.clear();  // the choice moved on: a later one is new
  if (!PlainQueueName(queue) || queue == knownCupsDefault || queue == lastAttempt) return false;
  // Every re-application would try again otherwise: a burst of changes announced elsewhere must
  // not start a burst of programs.
  lastAttempt = queue;
  for (const char* candidate : kLpoptions) {
    const std::string tool = cups.FindFile(candidate);
    if (tool.empty()) continue;
    if (cups.Run("\"" + tool + "\" -d " + queue, kWaitMs)) knownCupsDefault = queue;
    return true;
  }
  return false;
}

}  // namespace zv
