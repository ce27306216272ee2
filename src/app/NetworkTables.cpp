#include "app/NetworkTables.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <exception>
#include <tuple>

#include "framework/Library.h"
#include "framework/Notice.h"

namespace zv {
namespace {

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

// An address of zeros is what the table shows for a neighbour not (yet) resolved.
bool KnownHardwareAddress(const std::string& text) { return text.find_first_not_of("0-:") != std::string::npos; }

}  // namespace

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
      network.Hardware = neighbour.HardwareAddress;
      break;
    }
  for (const TAdapterInfo& adapter : adapters)
    if (adapter.InterfaceIndex == route->InterfaceIndex) {
      network.Suffix = NormalSuffix(adapter.DnsSuffix);
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

// One notice at a time of the next change of the routing table. What the pending request uses
// lives as long as the program; the window it tells is let go of before it goes.
class TRouteNotice {
 public:
  bool Await(ICoreWindow* window) {
    auto* notify = notifyRouteChange.Get();
    if (!window) {
      // Nothing calls into the window once this returns; a request under way stays with the system.
      notice_.Disarm();
      armed_ = false;
      return false;
    }
    if (!notify || !notice_.Event()) return false;
    if (pending_ && armed_) return true;  // the request under way will tell
    // Armed before the request: a change at once must not be lost.
    if (!notice_.Arm([this, window] {
          armed_ = false;
          pending_ = false;
          window->Post(TCoreWake::RouteChanged);
        }))
      return false;
    armed_ = true;
    if (pending_) return true;
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = notice_.Event();
    HANDLE unused = nullptr;
    if (notify(&unused, &overlapped_) != ERROR_IO_PENDING) {
      notice_.Disarm();
      armed_ = false;
      return false;
    }
    pending_ = true;  // from here the request uses overlapped_ until the system answers
    return true;
  }

 private:
  OVERLAPPED overlapped_{};
  std::atomic<bool> pending_ = false, armed_ = false;
  TEventNotice notice_;  // first to go: no call into a notice whose request is gone
};

class TPlatformNetwork final : public INetworkCalls {
 public:
  bool AwaitRouteChange(ICoreWindow* window) override { return notice_.Await(window); }

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

}  // namespace zv
