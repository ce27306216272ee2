#pragma once
// The printer per network: which network the machine is on, told by the gateway its traffic
// leaves through, its DNS suffix and its router (the same router on the same connection is the
// same network each time the machine comes back to it, whether or not the router has answered
// yet); the printer remembered for each network under the settings key; and the watch for moves
// from one network to another.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "components/RegFiles/RegFiles.h"
#include "framework/Seam.h"
#include "printers/Printer.h"

namespace zv {

// A network as the program tells it apart. Another network with the same gateway address and DNS
// suffix is told apart by its router's hardware address, which the machine learns only once the
// router has answered: until then the network is incomplete.
struct TNetwork {
  std::string Gateway;   // "192.168.1.1"; empty: the machine is on no network
  std::string Suffix;    // the connection's DNS suffix, lower case; often empty
  std::string Hardware;  // the router's, "02-00-00-00-01-01"; empty while not known
  bool Complete() const { return !Hardware.empty(); }
  // The same gateway and suffix: the same network, or one the router's address has yet to tell apart.
  bool Behind(const TNetwork& other) const { return Gateway == other.Gateway && Suffix == other.Suffix; }
  // The registry key name, as every version has written it: "<gateway> <suffix> <hardware>",
  // parts not known left off the end (an empty suffix before a known hardware address leaves two
  // spaces). Printable ASCII, no backslash, at most kMaxNetworkIdentity characters.
  std::string Key() const;
  // The parts of a key name; nothing for a name no version writes.
  static std::optional<TNetwork> FromKey(const std::string& key);
  bool operator==(const TNetwork&) const = default;
};

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

// The network traffic leaves through: the default route (0.0.0.0/0 only: a VPN's halves of the
// address space are not where the machine is) with the lowest metric, on a tie the lowest
// interface index, then the lowest gateway, so the answer does not depend on the table's order.
// No network when there is no default route or it has no gateway. The hardware address counts
// only when the neighbour table has it on the route's interface; the suffix is cut to leave room
// for one, known or not, so that a network keeps its suffix when its router answers.
TNetworkLook LookAtTables(const std::vector<TRoute>& routes, const std::vector<TAdapterInfo>& adapters,
                          const std::vector<TNeighbour>& neighbours);

// Where the printer of each network is kept, below the settings key: one sub-key a network.
inline constexpr char kNetworksKey[] = "Networks";

class TNetworkPrinters {
 public:
  // Notices of route changes, and the looks at an interval where there are none, go to the window.
  TNetworkPrinters(HWND window, std::string settingsKey);
  TNetworkPrinters(const TNetworkPrinters&) = delete;
  TNetworkPrinters& operator=(const TNetworkPrinters&) = delete;

  bool On() const { return on_; }
  // Turned on, the network of the moment is no move; off, nothing is remembered, and nothing
  // watched unless rules ask for moves (watch).
  void Start(bool on, bool watch = false);
  // As Start, but the network of the moment is one the machine joins (the program's start).
  void Join(bool on, bool watch = false);
  // Asks again for the next notice of a route change (each notice answers one request).
  void Listen();
  // Whether anything the network is told by changed since the last look: the only reading while
  // nothing moves.
  bool RoutesMoved();
  // Takes the look of RoutesMoved in: true when the machine is now on another network than before
  // (or the same one, now that its router answered, with nothing chosen meanwhile), whose printer
  // may apply.
  bool Arrived();
  // The printer remembered for the network of this visit, with the option on.
  std::optional<TPrinterDevice> Recall();
  // The printer that became the default is the one for the network the machine is on now (kept
  // with the option on; watched for rules, it is no longer undone by the router's answer).
  void Remember(const TPrinterDevice& printer);
  // The network of this visit: incomplete until its router answered.
  const TNetwork& Visit() const { return visit_; }

 private:
  // Notes where the machine is; true when that is a network of its own whose printer may apply.
  bool TakeIn(const TNetworkLook& look);
  // The key whose printer the network gets, or the empty text: the network's own; for a network
  // whose router has not answered, the only one behind its gateway that has; for one whose router
  // has, what was remembered before it answered, when no other router behind that gateway has one.
  std::string Resolve(const TNetwork& network);
  std::vector<TNetwork> Remembered();
  std::optional<TPrinterDevice> RememberedPrinter(const std::string& key);
  void Move(const std::string& from, const std::string& to);
  // Where no notices come, or while the router has yet to answer (no notice tells), looks at an interval.
  void Pace();
  HWND window_;
  TRegFile reg_{nullptr};
  std::string settingsKey_;
  bool on_ = false;
  bool watch_ = false;  // on, or rules that ask for moves
  bool notices_ = false;
  // The last look taken in, and the one RoutesMoved made since.
  std::optional<TNetworkLook> taken_;
  TNetworkLook latest_;
  TNetwork visit_;
  // A printer was remembered on this visit before the router answered: it is the network's.
  bool keptIncomplete_ = false;
  // The router's answer may bring the network's printer: the visit began with a move or a start,
  // and nothing became the default since.
  bool recallOnAnswer_ = false;
};

}  // namespace zv
