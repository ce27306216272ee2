#pragma once
// A network as the program tells it apart: the gateway its traffic leaves through, the
// connection's DNS suffix and the router's hardware address.
#include <cstddef>
#include <optional>
#include <string>

namespace zv {

// A registry key name for a network is at most this long.
inline constexpr std::size_t kMaxNetworkIdentity = 200;

// Another network with the same gateway address and DNS suffix is told apart by its router's
// hardware address, which the machine learns only once the router has answered: until then the
// network is incomplete.
struct TNetwork {
  std::string Gateway;   // "192.168.1.1"; empty: the machine is on no network
  std::string Suffix;    // the connection's DNS suffix, whole, lower case, no final dot; often empty
  std::string Hardware;  // the router's, "02-00-00-00-01-01"; empty while not known
  bool Complete() const { return !Hardware.empty(); }
  // The same gateway and suffix: the same network, or one the router's address has yet to tell apart.
  bool Behind(const TNetwork& other) const;
  // The registry key name, as every version has written it: "<gateway> <suffix> <hardware>",
  // parts not known left off the end (an empty suffix before a known hardware address leaves two
  // spaces). Printable ASCII, no backslash, at most kMaxNetworkIdentity characters: a long
  // suffix is cut here, and only here.
  std::string Key() const;
  // The parts of a key name; nothing for a name no version writes.
  static std::optional<TNetwork> FromKey(const std::string& key);
  bool operator==(const TNetwork&) const = default;
};

// The suffix as names are compared: lower case, without the final dot of a full name.
std::string NormalSuffix(const std::string& suffix);

}  // namespace zv
