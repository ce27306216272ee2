#include "app/Policy.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string_view>
#include <tuple>

#include "components/RegFiles/RegFiles.h"
#include "framework/Handles.h"
#include "framework/Notice.h"

namespace zv {
namespace {

// A decimal number as people write it: no sign, no leading zero, at most `most`.
std::optional<std::uint32_t> Number(std::string_view text, std::uint32_t most) {
  if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  std::uint32_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (number > most) return std::nullopt;
  return number;
}

// "10.20.0.1", in host order so that a mask applies.
std::optional<std::uint32_t> Address(std::string_view text) {
  std::uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t end = part < 3 ? text.find('.') : text.size();
    if (end == std::string_view::npos) return std::nullopt;
    const std::optional<std::uint32_t> number = Number(text.substr(0, end), 255);
    if (!number) return std::nullopt;
    address = address << 8 | *number;
    text.remove_prefix(part < 3 ? end + 1 : end);
  }
  return address;
}

struct TSubnet {
  std::uint32_t Address;
  std::uint32_t Mask;
  int Prefix;
};

// "10.20.0.0/16". A subnet with bits set beyond its prefix is a typing error whose meaning
// nobody knows: it matches nothing.
std::optional<TSubnet> Subnet(std::string_view pattern) {
  const std::size_t slash = pattern.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::optional<std::uint32_t> address = Address(pattern.substr(0, slash));
  const std::optional<std::uint32_t> prefix = Number(pattern.substr(slash + 1), 32);
  if (!address || !prefix) return std::nullopt;
  const std::uint32_t mask = *prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - *prefix);
  if ((*address & ~mask) != 0) return std::nullopt;
  return TSubnet{*address, mask, static_cast<int>(*prefix)};
}

struct TSuffix {
  std::string Text;  // lower case, no final dot
  int Labels;
};

// "corp.example.com", also written with the final dot of a full name, or with a leading dot as
// namespaces are written. Not a suffix: anything
// with characters no host name has, an empty or over-long label, or a last label of digits (an
// address that lost its prefix).
std::optional<TSuffix> Suffix(std::string_view pattern) {
  if (!pattern.empty() && pattern.back() == '.') pattern.remove_suffix(1);
  if (!pattern.empty() && pattern.front() == '.') pattern.remove_prefix(1);
  if (pattern.empty() || pattern.size() > 253) return std::nullopt;
  TSuffix suffix{std::string(), 1};
  std::size_t label = 0;
  bool digits = true;
  for (char c : pattern) {
    if (c == '.') {
      if (label == 0) return std::nullopt;
      ++suffix.Labels;
      label = 0;
      digits = true;
    } else {
      const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      const bool digit = c >= '0' && c <= '9';
      if ((!letter && !digit && c != '-' && c != '_') || ++label > 63) return std::nullopt;
      digits = digits && digit;
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    suffix.Text += c;
  }
  if (label == 0 || digits) return std::nullopt;
  return suffix;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The best rule of one key for the network, or none.
const TNetworkRule* Best(const TPolicyKey& key, const TNetwork& network) {
  if (network.Gateway.empty()) return nullptr;
  const std::optional<std::uint32_t> gateway = Address(network.Gateway);
  const TNetworkRule* best = nullptr;
  std::tuple<int, int> bestRank{};  // (1 for a subnet, 0 for a suffix; how specific)
  for (const TNetworkRule& rule : key.Rules) {
    if (rule.Printer.empty()) continue;
    std::tuple<int, int> rank;
    if (rule.Pattern.find('/') != std::string::npos) {
      const std::optional<TSubnet> subnet = Subnet(rule.Pattern);
      if (!subnet || !gateway || (*gateway & subnet->Mask) != subnet->Address) continue;
      rank = {1, subnet->Prefix};
    } else {
      const std::optional<TSuffix> suffix = Suffix(rule.Pattern);
      const std::string connection = NormalSuffix(network.Suffix);
      if (!suffix || !(connection == suffix->Text || EndsWith(connection, "." + suffix->Text))) continue;
      rank = {0, suffix->Labels};
    }
    // Two ways of writing one suffix are as specific: the lower name wins, whatever the order read.
    if (!best || rank > bestRank || (rank == bestRank && rule.Pattern < best->Pattern)) {
      best = &rule;
      bestRank = rank;
    }
  }
  return best;
}

void ReadKey(TRootKey root, TPolicyKey& key, bool options) {
  TRegFile reg(nullptr);
  reg.RootKey = root;
  reg.View = rv64Bit;
  reg.ReadOnly = true;
  reg.Key = kPolicyKey;
  key.Rules.clear();
  if (options) key = TPolicyKey();
  try {
    // Only text names a printer; anything else a deployment left is skipped on its own.
    for (auto& [pattern, printer] : reg.Values(kPolicyNetworksKey))
      if (printer.Kind() == varString && !printer.AsText().empty() && !pattern.empty())
        key.Rules.push_back({std::move(pattern), printer.AsText()});
    if (!options) return;
    for (const auto& [name, value] : reg.Values("")) {
      if (value.Kind() != varInteger || (value.AsInteger() != 0 && value.AsInteger() != 1)) continue;
      for (std::size_t i = 0; i < std::size(kForcedRows); ++i)
        if (lstrcmpiA(name.c_str(), kForcedRows[i].Name) == 0) key.Forced[i] = value.AsInteger() == 1;
      if (lstrcmpiA(name.c_str(), kKeepManagingPolicy) == 0) key.KeepManaging = value.AsInteger() == 1;
    }
  } catch (const std::exception&) {
    // Rules that cannot be read are none; options forced by an earlier reading stay forced.
    key.Rules.clear();
    if (options) key = TPolicyKey();
  }
}

}  // namespace

// The registry's notice of a change below one policy key. The key may not be there yet (most
// machines have no policy at all): then the nearest key above it that is there is watched for a
// key made below it, and the watch moves down once it is.
class TPolicy::TKeyWatch {
 public:
  explicit TKeyWatch(HKEY root) : root_(root) {}
  void Disarm() {
    notice_.Disarm();
    // Closing the key watched signals its event: that is no change.
    key_.Reset();
    ResetEvent(notice_.Event());
  }
  void Arm(ICoreWindow& window) {
    Disarm();
    std::string path = kPolicyKey;
    for (bool own = true;; own = false) {
      HKEY key = nullptr;
      if (RegOpenKeyExA(root_, path.c_str(), 0, KEY_NOTIFY | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        key_.Reset(key);
        const DWORD filter = own ? REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET : REG_NOTIFY_CHANGE_NAME;
        if (notice_.Arm([&window] { window.Post(TCoreWake::PolicyChanged); }) &&
            RegNotifyChangeKeyValue(key, own, filter, notice_.Event(), TRUE) != ERROR_SUCCESS)
          notice_.Disarm();
        return;
      }
      const std::size_t parent = path.rfind('\\');
      if (parent == std::string::npos) return;
      path.erase(parent);
    }
  }

 private:
  HKEY root_;
  TKeyHandle key_;
  TEventNotice notice_;  // first to go, so that closing the key tells no one
};

TPolicy::TPolicy() : watches_{std::make_unique<TKeyWatch>(HKEY_LOCAL_MACHINE), std::make_unique<TKeyWatch>(HKEY_CURRENT_USER)} {}

TPolicy::~TPolicy() = default;

void TPolicy::Watch(ICoreWindow& window) {
  for (auto& watch : watches_) watch->Arm(window);
}

void TPolicy::Unwatch() {
  for (auto& watch : watches_) watch->Disarm();
}

std::string RulePrinter(const TPolicyKey& machine, const TPolicyKey& user, const TNetwork& network) {
  const TNetworkRule* rule = Best(machine, network);
  if (!rule) rule = Best(user, network);
  return rule ? rule->Printer : std::string();
}

void TPolicy::Read() {
  ReadKey(hkLocalMachine, machine_, true);
  ReadKey(hkCurrentUser, user_, true);
}

void TPolicy::ReadRules() {
  ReadKey(hkLocalMachine, machine_, false);
  ReadKey(hkCurrentUser, user_, false);
}

std::optional<bool> TPolicy::Forced(bool TOptions::*member) const {
  for (std::size_t i = 0; i < std::size(kForcedRows); ++i)
    if (kForcedRows[i].Member == member) return machine_.Forced[i] ? machine_.Forced[i] : user_.Forced[i];
  return std::nullopt;
}

TOptions TPolicy::Overlay(TOptions own) const {
  for (const TForcedRow& row : kForcedRows)
    if (const std::optional<bool> forced = Forced(row.Member)) own.*row.Member = *forced;
  return own;
}

}  // namespace zv
