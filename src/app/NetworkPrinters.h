#pragma once
// The printer per network: which network the machine is on, told by the gateway its traffic
// leaves through (the same router on the same connection gives the same name each time the
// machine comes back to it); the printer remembered for each network under the settings key; and
// the watch for moves from one network to another.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "components/RegFiles/RegFiles.h"
#include "framework/Seam.h"
#include "printers/Printer.h"

namespace zv {

class INetworkCalls {
 public:
  virtual ~INetworkCalls() = default;
  // The identity of the network the machine is on now, or the empty text when there is none
  // (no default route, or a default route without a gateway).
  virtual std::string CurrentNetwork() = 0;
  // A cheap reading that changes when the network may have changed (the routing table's default
  // routes only): compare it with the last one before asking CurrentNetwork().
  virtual std::string RouteSignature() = 0;
  // Asks the system for one notice of the next change of the routing table, posted to the window
  // as the message; false where the system has no such notice that works (Wine has none): the
  // caller then looks at an interval.
  virtual bool AwaitRouteChange(HWND window, UINT message) = 0;
};
template <>
INetworkCalls& TSeam<INetworkCalls>::Platform();
inline INetworkCalls& Network() { return TSeam<INetworkCalls>::Calls(); }

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

constexpr std::size_t kMaxNetworkIdentity = 200;

// The network traffic leaves through: the default route with the lowest metric (on a tie the
// lowest interface index, then the lowest gateway, so the answer does not depend on the table's
// order). Its text is "<gateway> <interface's DNS suffix> <gateway's hardware address>", lower
// case, parts not known left off the end (an empty suffix before a known hardware address leaves
// two spaces); empty when there is no default route or it has no gateway. It serves as a registry
// key name: printable ASCII, no backslash, at most kMaxNetworkIdentity characters (the suffix is
// cut to fit). The hardware address counts only when the neighbour table has it, so a network
// met before its router was ever reached has another identity than afterwards: callers treat the
// text as opaque and compare it whole.
std::string NetworkIdentity(const std::vector<TRoute>& routes, const std::vector<TAdapterInfo>& adapters,
                            const std::vector<TNeighbour>& neighbours);

// The chosen default route's gateway, interface and metric as text; empty when there is none.
std::string RouteSignature(const std::vector<TRoute>& routes);

// Where the printer of each network is kept, below the settings key: one sub-key a network.
inline constexpr char kNetworksKey[] = "Networks";

class TNetworkPrinters {
 public:
  // Notices of route changes, and the looks at an interval where there are none, go to the window.
  TNetworkPrinters(HWND window, std::string settingsKey);
  TNetworkPrinters(const TNetworkPrinters&) = delete;
  TNetworkPrinters& operator=(const TNetworkPrinters&) = delete;

  bool On() const { return on_; }
  // Turned on, the network of the moment is no move; off, nothing is watched or remembered.
  void Start(bool on);
  // As Start, but the network of the moment is one the machine joins (the program's start).
  void Join(bool on);
  // Asks again for the next notice of a route change (each notice answers one request).
  void Listen();
  // Whether the routing table moved since the last look: the only reading while nothing moves.
  bool RoutesMoved();
  // Takes the move in: the printer remembered for the network the machine is on now, when that is
  // another network than before and one has been remembered for it.
  std::optional<TPrinterDevice> Recall();
  // The printer that became the default is the one for the network the machine is on now.
  void Remember(const TPrinterDevice& printer);

 private:
  std::optional<TPrinterDevice> RememberedPrinter(const std::string& network);
  HWND window_;
  TRegFile reg_{nullptr};
  std::string settingsKey_;
  bool on_ = false;
  // The last reading of the routing table and the network it told.
  std::optional<std::string> routeSignature_;
  std::string network_;
};

}  // namespace zv
