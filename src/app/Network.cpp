#include "app/Network.h"

#include <vector>

namespace zv {
namespace {

// The neighbour table holds at most eight bytes of hardware address: "xx-" each, less one.
constexpr std::size_t kMaxHardwareText = 3 * 8 - 1;

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

// The suffix gives way when the name would be too long: gateway and router say more. It leaves
// room for a router, known or not, so that a network keeps its key's suffix when its router answers.
std::string KeySuffix(const TNetwork& network) {
  return KeyPart(network.Suffix, kMaxNetworkIdentity - network.Gateway.size() - 2 - kMaxHardwareText);
}

}  // namespace

std::string NormalSuffix(const std::string& suffix) {
  std::string normal = suffix;
  while (!normal.empty() && normal.back() == '.') normal.pop_back();
  for (char& c : normal)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return normal;
}

bool TNetwork::Behind(const TNetwork& other) const {
  return Gateway == other.Gateway && KeySuffix(*this) == KeySuffix(other);
}

std::string TNetwork::Key() const {
  if (Gateway.empty()) return std::string();
  std::string key = KeyPart(Gateway, kMaxNetworkIdentity);
  const std::string suffix = KeySuffix(*this);
  if (!suffix.empty() || !Hardware.empty()) key += " " + suffix;
  if (!Hardware.empty()) key += " " + KeyPart(Hardware, kMaxHardwareText);
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

}  // namespace zv
