#include "app/NetworkPrinters.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <exception>
#include <tuple>

#include "app/Messages.h"
#include "framework/Handles.h"
#include "framework/Library.h"

namespace zv {
namespace {

// The neighbour table holds at most eight bytes of hardware address: "xx-" each, less one.
constexpr std::size_t kMaxHardwareText = 3 * MAXLEN_PHYSADDR - 1;

// The address's bytes as they lie in memory, which is network order.
std::string DottedAddress(DWORD address) {
  unsigned char bytes[4];
  std::memcpy(bytes, &address, sizeof bytes);
  return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
         std::to_string(bytes[3]);
}

// So that "lowest gateway" means what a person reading the addresses would call lowest.
DWORD HostOrder(DWORD address) {
  unsigned char bytes[4];
  std::memcpy(bytes, &address, sizeof bytes);
  return DWORD{bytes[0]} << 24 | DWORD{bytes[1]} << 16 | DWORD{bytes[2]} << 8 | bytes[3];
}

// The default route traffic takes: the lowest metric; the other keys only make the choice stable
// when the table lists equal routes in another order.
const TRoute* ChosenDefaultRoute(const std::vector<TRoute>& routes) {
  const TRoute* chosen = nullptr;
  for (const TRoute& route : routes) {
    if (route.Destination != 0 || route.Mask != 0) continue;
    if (!chosen || std::make_tuple(route.Metric, route.InterfaceIndex, HostOrder(route.Gateway)) <
                       std::make_tuple(chosen->Metric, chosen->InterfaceIndex, HostOrder(chosen->Gateway)))
      chosen = &route;
  }
  return chosen;
}

// One part of a registry key name: lower case, printable, and no space, so the parts stay apart.
std::string KeyPart(const std::string& text, std::size_t most) {
  std::string part = text.substr(0, most);
  for (char& c : part) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u <= ' ' || u > '~' || c == '\\')
      c = '_';
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return part;
}

// An address of zeros is what the table shows for a neighbour not (yet) resolved.
bool KnownHardwareAddress(const std::string& text) { return text.find_first_not_of("0-:") != std::string::npos; }

}  // namespace

std::string TNetwork::Key() const {
  if (Gateway.empty()) return std::string();
  std::string key = Gateway;
  if (!Suffix.empty() || !Hardware.empty()) key += " " + Suffix;
  if (!Hardware.empty()) key += " " + Hardware;
  return key;
}

std::optional<TNetwork> TNetwork::FromKey(const std::string& key) {
  std::vector<std::string> parts(1);
  for (char c : key)
    if (c != ' ')
      parts.back() += c;
    else
      parts.emplace_back();
  if (parts.size() > 3 || parts[0].empty() || (parts.size() == 3 && parts[2].empty())) return std::nullopt;
  parts.resize(3);
  return TNetwork{parts[0], parts[1], parts[2]};
}

TNetworkLook LookAtTables(const std::vector<TRoute>& routes, const std::vector<TAdapterInfo>& adapters,
                          const std::vector<TNeighbour>& neighbours) {
  const TRoute* route = ChosenDefaultRoute(routes);
  if (!route) return {};
  TNetworkLook look{{}, route->InterfaceIndex, route->Metric};
  if (route->Gateway == 0) return look;
  TNetwork& network = look.Network;
  network.Gateway = DottedAddress(route->Gateway);
  for (const TNeighbour& neighbour : neighbours)
    if (neighbour.Address == route->Gateway && neighbour.InterfaceIndex == route->InterfaceIndex &&
        KnownHardwareAddress(neighbour.HardwareAddress)) {
      network.Hardware = KeyPart(neighbour.HardwareAddress, kMaxHardwareText);
      break;
    }
  // The suffix gives way when the name would be too long: gateway and router say more.
  const std::size_t room = kMaxNetworkIdentity - network.Gateway.size() - 2 - kMaxHardwareText;
  for (const TAdapterInfo& adapter : adapters)
    if (adapter.InterfaceIndex == route->InterfaceIndex) {
      network.Suffix = KeyPart(adapter.DnsSuffix, room);
      break;
    }
  return look;
}

namespace {

// IP Helper is loaded when a network is first asked for: a program that never follows the
// network never loads it.
constexpr char kIpHelper[] = "iphlpapi.dll";
TLateProc<DWORD WINAPI(PMIB_IPFORWARDTABLE, PULONG, BOOL)> getIpForwardTable(kIpHelper, "GetIpForwardTable");
TLateProc<ULONG WINAPI(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES, PULONG)> getAdaptersAddresses(
    kIpHelper, "GetAdaptersAddresses");
TLateProc<ULONG WINAPI(PMIB_IPNETTABLE, PULONG, BOOL)> getIpNetTable(kIpHelper, "GetIpNetTable");
TLateProc<DWORD WINAPI(PHANDLE, LPOVERLAPPED)> notifyRouteChange(kIpHelper, "NotifyRouteChange");

// A table the system writes into memory the caller gives it. 64-bit units, so that every record
// in it (the adapters' has 64-bit fields) is aligned.
struct TTableMemory {
  std::vector<ULONGLONG> units;
  ULONG bytes = 0;  // what the call filled
  template <typename T>
  T* As() {
    return reinterpret_cast<T*>(units.data());
  }
};

// Calls a query until its answer fits, growing the memory to the size it asks for; the table
// can grow between two calls, so a few rounds. ERROR_NO_DATA is an empty table, not a failure.
template <typename Query>
bool Read(TTableMemory& memory, ULONG firstGuess, Query query) {
  ULONG size = firstGuess;
  for (int round = 0; round < 4; ++round) {
    memory.units.assign((size + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG), 0);
    memory.bytes = static_cast<ULONG>(memory.units.size() * sizeof(ULONGLONG));
    size = memory.bytes;
    const ULONG result = query(memory.units.empty() ? nullptr : memory.units.data(), &size);
    if (result == ERROR_NO_DATA) memory.bytes = 0;
    if (result == NO_ERROR || result == ERROR_NO_DATA) return true;
    if (result != ERROR_INSUFFICIENT_BUFFER && result != ERROR_BUFFER_OVERFLOW) return false;
  }
  return false;
}

// How many rows of a table with a count in front the memory really holds, whatever the count says.
template <typename Table>
DWORD RowsHeld(TTableMemory& memory) {
  constexpr std::size_t head = offsetof(Table, table);
  if (memory.bytes < head) return 0;
  const std::size_t held = (memory.bytes - head) / sizeof(memory.As<Table>()->table[0]);
  const DWORD count = memory.As<Table>()->dwNumEntries;
  return count < held ? count : static_cast<DWORD>(held);
}

bool ReadRoutes(std::vector<TRoute>& routes) {
  auto* call = getIpForwardTable.Get();
  TTableMemory memory;
  if (!call || !Read(memory, 4096, [call](void* data, ULONG* size) {
        return call(static_cast<PMIB_IPFORWARDTABLE>(data), size, FALSE);
      }))
    return false;
  const DWORD count = RowsHeld<MIB_IPFORWARDTABLE>(memory);
  for (DWORD i = 0; i < count; ++i) {
    const MIB_IPFORWARDROW& row = memory.As<MIB_IPFORWARDTABLE>()->table[i];
    routes.push_back(
        {row.dwForwardDest, row.dwForwardMask, row.dwForwardNextHop, row.dwForwardIfIndex, row.dwForwardMetric1});
  }
  return true;
}

bool ReadAdapters(std::vector<TAdapterInfo>& adapters) {
  auto* call = getAdaptersAddresses.Get();
  TTableMemory memory;
  // Only the suffix is wanted: the address lists are skipped.
  const ULONG flags = GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                      GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
  if (!call || !Read(memory, 16384, [call, flags](void* data, ULONG* size) {
        return call(AF_INET, flags, nullptr, static_cast<PIP_ADAPTER_ADDRESSES>(data), size);
      }))
    return false;
  if (memory.bytes == 0) return true;
  for (const IP_ADAPTER_ADDRESSES* adapter = memory.As<IP_ADAPTER_ADDRESSES>(); adapter; adapter = adapter->Next) {
    // DNS names are ASCII; anything else could not be part of a key name anyway.
    std::string suffix;
    for (const WCHAR* c = adapter->DnsSuffix; c && *c; ++c) suffix += *c < 0x80 ? static_cast<char>(*c) : '_';
    adapters.push_back({adapter->IfIndex, suffix});
  }
  return true;
}

bool ReadNeighbours(std::vector<TNeighbour>& neighbours) {
  auto* call = getIpNetTable.Get();
  TTableMemory memory;
  if (!call || !Read(memory, 4096,
                     [call](void* data, ULONG* size) { return call(static_cast<PMIB_IPNETTABLE>(data), size, FALSE); }))
    return false;
  const DWORD count = RowsHeld<MIB_IPNETTABLE>(memory);
  for (DWORD i = 0; i < count; ++i) {
    const MIB_IPNETROW& row = memory.As<MIB_IPNETTABLE>()->table[i];
    if (row.dwType == MIB_IPNET_TYPE_INVALID) continue;  // a stale or unresolved entry
    std::string hardware;
    for (DWORD b = 0; b < row.dwPhysAddrLen && b < MAXLEN_PHYSADDR; ++b) {
      if (b) hardware += '-';
      hardware += "0123456789abcdef"[row.bPhysAddr[b] >> 4];
      hardware += "0123456789abcdef"[row.bPhysAddr[b] & 0xF];
    }
    neighbours.push_back({row.dwAddr, row.dwIndex, hardware});
  }
  return true;
}

// One notice at a time of the next change of the routing table. The system sets an event; a wait
// of the system's thread pool posts the message. What the pending request uses lives as long as
// the program.
class TRouteNotice {
 public:
  TRouteNotice() = default;
  TRouteNotice(const TRouteNotice&) = delete;
  TRouteNotice& operator=(const TRouteNotice&) = delete;

  bool Await(HWND window, UINT message) {
    auto* notify = notifyRouteChange.Get();
    if (!notify || unwatched_) return false;
    window_ = window;
    message_ = message;
    if (pending_) return true;  // the request under way will tell
    wait_.Reset();              // it has fired: the window is told once a request
    if (!event_) event_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.Get();
    HANDLE unused = nullptr;
    if (!event_ || notify(&unused, &overlapped_) != ERROR_IO_PENDING) return false;
    pending_ = true;  // from here the request uses overlapped_ until the system answers
    HANDLE wait = nullptr;
    if (RegisterWaitForSingleObject(&wait, event_.Get(), &Fired, this, INFINITE, WT_EXECUTEONLYONCE)) {
      wait_.Reset(wait);
      return true;
    }
    // A request nobody waits for can neither tell nor be asked again: the caller looks itself.
    unwatched_ = true;
    return false;
  }

 private:
  static void CALLBACK Fired(void* self, BOOLEAN) {
    auto* notice = static_cast<TRouteNotice*>(self);
    notice->pending_ = false;
    PostMessageA(notice->window_, notice->message_, 0, 0);
  }
  TKernelHandle event_;
  OVERLAPPED overlapped_{};
  TUniqueHandle<HANDLE, &UnregisterWait> wait_;  // unregistered first: no call into a notice that is gone
  bool unwatched_ = false;
  std::atomic<HWND> window_ = nullptr;
  std::atomic<UINT> message_ = 0;
  std::atomic<bool> pending_ = false;
};

class TPlatformNetwork final : public INetworkCalls {
 public:
  bool AwaitRouteChange(HWND window, UINT message) override { return notice_.Await(window, message); }

  TNetworkLook Look(bool whole) override {
    try {
      std::vector<TRoute> routes;
      if (!ReadRoutes(routes)) return last_ = {};
      // With no gateway to name, the other two tables are not worth reading.
      const TNetworkLook route = LookAtTables(routes, {}, {});
      if (route.Network.Gateway.empty()) return last_ = route;
      // The neighbour table costs four times the routes under Wine: while the route stands and its
      // router is known, it is read every third look only, and the adapters only when either moved.
      const bool routeMoved = route.InterfaceIndex != last_.InterfaceIndex || route.Metric != last_.Metric ||
                              route.Network.Gateway != last_.Network.Gateway;
      if (!whole && !routeMoved && last_.Network.Complete() && ++looksSinceNeighbours_ < kLooksPerNeighbourRead) return last_;
      looksSinceNeighbours_ = 0;
      std::vector<TNeighbour> neighbours;
      if (!ReadNeighbours(neighbours)) return last_ = {};
      TNetworkLook look = LookAtTables(routes, {}, neighbours);
      if (routeMoved || look.Network.Hardware != last_.Network.Hardware || !adaptersRead_) {
        std::vector<TAdapterInfo> adapters;
        adaptersRead_ = ReadAdapters(adapters);
        if (!adaptersRead_) return last_ = {};
        look = LookAtTables(routes, adapters, neighbours);
      } else {
        look.Network.Suffix = last_.Network.Suffix;
      }
      return last_ = look;
    } catch (const std::exception&) {
      return last_ = {};
    }
  }

 private:
  static constexpr int kLooksPerNeighbourRead = 3;
  TRouteNotice notice_;
  TNetworkLook last_;
  int looksSinceNeighbours_ = 0;
  bool adaptersRead_ = false;
};

}  // namespace

template <>
INetworkCalls& TSeam<INetworkCalls>::Platform() {
  static TPlatformNetwork network;
  return network;
}

TNetworkPrinters::TNetworkPrinters(HWND window, std::string settingsKey)
    : window_(window), settingsKey_(std::move(settingsKey)) {}

void TNetworkPrinters::Start(bool on, bool watch) {
  Join(on, watch);
  if (watch_ && RoutesMoved()) TakeIn(latest_);
  recallOnAnswer_ = false;
}

void TNetworkPrinters::Join(bool on, bool watch) {
  on_ = on;
  watch_ = on || watch;
  taken_.reset();
  visit_ = {};
  keptIncomplete_ = false;
  notices_ = false;
  Listen();
}

void TNetworkPrinters::Listen() {
  if (watch_) notices_ = Network().AwaitRouteChange(window_, WM_ROUTECHANGED);
  Pace();
}

void TNetworkPrinters::Pace() {
  if (!window_) return;
  if (watch_ && (!notices_ || (!visit_.Gateway.empty() && !visit_.Complete())))
    SetTimer(window_, kNetworkTimer, kNetworkCheckMs, nullptr);
  else
    KillTimer(window_, kNetworkTimer);
}

bool TNetworkPrinters::RoutesMoved() {
  if (!watch_) return false;
  // A notice is rare and may be the only one a move brings: it gets a whole look.
  latest_ = Network().Look(notices_);
  return !taken_ || latest_ != *taken_;
}

bool TNetworkPrinters::Arrived() { return watch_ && TakeIn(latest_); }

std::optional<TPrinterDevice> TNetworkPrinters::Recall() {
  if (!on_) return std::nullopt;
  const std::string key = Resolve(visit_);
  if (key.empty()) return std::nullopt;
  return RememberedPrinter(key);
}

bool TNetworkPrinters::TakeIn(const TNetworkLook& look) {
  taken_ = look;
  const TNetwork& now = look.Network;
  const TNetwork before = visit_;
  if (!now.Gateway.empty() && before.Behind(now) && before.Complete() != now.Complete()) {
    // Still the same visit: the router answered only now, or its entry in the table lapsed. A
    // router that lapsed keeps the network it told.
    if (!now.Complete()) return false;
    visit_ = now;
    Pace();
    // What became the default before the router answered is this network's printer.
    if (keptIncomplete_) Move(before.Key(), now.Key());
    keptIncomplete_ = false;
    return recallOnAnswer_;
  }
  if (now == before) return false;
  visit_ = now;
  keptIncomplete_ = false;
  recallOnAnswer_ = true;
  Pace();
  return !now.Gateway.empty();
}

std::string TNetworkPrinters::Resolve(const TNetwork& network) {
  try {
    reg_.Key = settingsKey_;
    const std::string networks = std::string(kNetworksKey) + "\\";
    if (reg_.KeyExists(networks + network.Key())) return network.Key();
    const TNetwork incomplete{network.Gateway, network.Suffix, ""};
    std::vector<std::string> routers;  // behind the same gateway
    for (const TNetwork& known : Remembered())
      if (known.Complete() && known.Behind(network)) routers.push_back(known.Key());
    if (!network.Complete()) return routers.size() == 1 ? routers.front() : std::string();
    // Never another router's: only what was remembered before any router behind it answered.
    if (!routers.empty() || !reg_.KeyExists(networks + incomplete.Key())) return std::string();
    Move(incomplete.Key(), network.Key());
    return network.Key();
  } catch (const std::exception&) {
    return std::string();
  }
}

std::vector<TNetwork> TNetworkPrinters::Remembered() {
  std::vector<TNetwork> networks;
  reg_.Key = settingsKey_;
  for (const std::string& key : reg_.KeyNames(kNetworksKey))
    if (const std::optional<TNetwork> network = TNetwork::FromKey(key)) networks.push_back(*network);
  return networks;
}

void TNetworkPrinters::Move(const std::string& from, const std::string& to) {
  const std::optional<TPrinterDevice> printer = RememberedPrinter(from);
  try {
    if (printer) {
      reg_.Key = settingsKey_ + "\\" + kNetworksKey + "\\" + to;
      reg_.WriteValue("Device", TVariant(printer->DeviceName));
      reg_.WriteValue("Port", TVariant(printer->PortName));
    }
    reg_.Key = settingsKey_ + "\\" + kNetworksKey;
    reg_.DeleteKey(from);
  } catch (const std::exception&) {
  }
}

void TNetworkPrinters::Remember(const TPrinterDevice& printer) {
  if (!watch_) return;
  // Where the machine is now, even if the last look was before a move: the move is then known,
  // and coming back is one. The look alone tells that nothing moved.
  const TNetworkLook look = Network().Look(true);
  if (!taken_ || look != *taken_) TakeIn(look);
  // What the router's answer brings (a rule's printer among it) no longer undoes this one.
  recallOnAnswer_ = false;
  if (!on_ || visit_.Gateway.empty()) return;
  // A printer that cannot be remembered leaves the switch done all the same.
  try {
    reg_.Key = settingsKey_ + "\\" + kNetworksKey + "\\" + visit_.Key();
    reg_.WriteValue("Device", TVariant(printer.DeviceName));
    reg_.WriteValue("Port", TVariant(printer.PortName));
    keptIncomplete_ = !visit_.Complete();
  } catch (const std::exception&) {
  }
}

std::optional<TPrinterDevice> TNetworkPrinters::RememberedPrinter(const std::string& key) {
  // Whatever another program or a damaged profile left there, only two texts name a printer.
  try {
    reg_.Key = settingsKey_ + "\\" + kNetworksKey;
    if (key.empty() || !reg_.KeyExists(key)) return std::nullopt;
    TVariant device, port;
    reg_.ReadValue("\\" + key + "\\Device", device);
    reg_.ReadValue("\\" + key + "\\Port", port);
    if (device.Kind() != varString || port.Kind() != varString || device.AsText().empty()) return std::nullopt;
    return TPrinterDevice("", device.AsText(), port.AsText());
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace zv
