#pragma once
// Reading the platform's tables that tell which network the machine is on: the routing table, the
// neighbour (ARP) table and the adapters' DNS suffixes; and the system's notice of a route change.
#include <windows.h>

#include <string>
#include <vector>

#include "app/CoreWindow.h"
#include "app/Network.h"
#include "framework/Seam.h"

namespace zv {

// What one look at the tables tells: the network and the default route traffic takes to it. Any
// change of it may be a move.
struct TNetworkLook {
  TNetwork Network;
  DWORD InterfaceIndex = 0;
  DWORD Metric = 0;
  bool operator==(const TNetworkLook&) const = default;
};

class INetworkCalls {
 public:
  virtual ~INetworkCalls() = default;
  // A look at the routing, neighbour and adapter tables: nothing but reading, cheap enough to be
  // done every few seconds. No network where the tables cannot be read. Unless whole, what has
  // not moved in the routes may come from a recent look (a move behind one gateway is then seen
  // a few looks later).
  virtual TNetworkLook Look(bool whole) = 0;
  // Asks the system for one notice of the next change of the routing table, which wakes the core
  // through the window (RouteChanged); false where the system has no such notice that works (Wine
  // has none): the caller then looks at an interval. Null: no notice reaches any window any more.
  virtual bool AwaitRouteChange(ICoreWindow* window) = 0;
};
template <>
INetworkCalls& TSeam<INetworkCalls>::Platform();
inline INetworkCalls& NetworkCalls() { return TSeam<INetworkCalls>::Calls(); }

// A row of the routing table; addresses in network byte order, as MIB_IPFORWARDROW has them.
struct TRoute {
  DWORD Destination;
  DWORD Mask;
  DWORD Gateway;
  DWORD InterfaceIndex;
  DWORD Metric;
};

// An adapter's connection-specific DNS suffix ("corp.example.com"), often given by DHCP.
struct TAdapterInfo {
  DWORD InterfaceIndex;
  std::string DnsSuffix;
};

// A row of the neighbour (ARP) table; the address in network byte order.
struct TNeighbour {
  DWORD Address;
  DWORD InterfaceIndex;
  std::string HardwareAddress;  // "02-00-00-00-01-01"; empty when not known
};

// The network traffic leaves through: the default route (0.0.0.0/0 only: a VPN's halves of the
// address space are not where the machine is) with the lowest metric, on a tie the lowest
// interface index, then the lowest gateway, so the answer does not depend on the table's order.
// No network when there is no default route or it has no gateway. The hardware address counts
// only when the neighbour table has it on the route's interface; the suffix is kept whole.
TNetworkLook LookAtTables(const std::vector<TRoute>& routes, const std::vector<TAdapterInfo>& adapters,
                          const std::vector<TNeighbour>& neighbours);

}  // namespace zv
