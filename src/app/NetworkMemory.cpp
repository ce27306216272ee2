#include "app/NetworkMemory.h"

#include <exception>

namespace zv {

std::optional<TPrinterDevice> TNetworkMemory::Recall(const TNetwork& network) {
  const std::string key = Resolve(network);
  if (key.empty()) return std::nullopt;
  return RememberedPrinter(key);
}

void TNetworkMemory::Remember(const TNetwork& network, const TPrinterDevice& printer) {
  if (network.Gateway.empty()) return;
  try {
    Write(network.Key(), printer);
    keptIncomplete_ = network.Complete() ? std::string() : network.Key();
  } catch (const std::exception&) {
  }
}

void TNetworkMemory::Write(const std::string& key, const TPrinterDevice& printer) {
  reg_.Key = settingsKey_ + "\\" + kNetworksKey + "\\" + key;
  reg_.WriteValue("Device", TVariant(printer.DeviceName));
  reg_.WriteValue("Port", TVariant(printer.PortName));
}

void TNetworkMemory::Forget(const TNetwork& network) {
  const std::string key = Resolve(network);
  if (key.empty()) return;
  try {
    reg_.Key = settingsKey_ + "\\" + kNetworksKey;
    reg_.DeleteKey(key);
  } catch (const std::exception&) {
  }
}

void TNetworkMemory::Answered(const TNetwork& network) {
  if (!keptIncomplete_.empty()) Move(keptIncomplete_, network.Key());
  keptIncomplete_.clear();
}

std::string TNetworkMemory::Resolve(const TNetwork& network) {
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

std::vector<TNetwork> TNetworkMemory::Remembered() {
  std::vector<TNetwork> networks;
  reg_.Key = settingsKey_;
  for (const std::string& key : reg_.KeyNames(kNetworksKey))
    if (const std::optional<TNetwork> network = TNetwork::FromKey(key)) networks.push_back(*network);
  return networks;
}

void TNetworkMemory::Move(const std::string& from, const std::string& to) {
  const std::optional<TPrinterDevice> printer = RememberedPrinter(from);
  try {
    if (printer) Write(to, *printer);
    reg_.Key = settingsKey_ + "\\" + kNetworksKey;
    reg_.DeleteKey(from);
  } catch (const std::exception&) {
  }
}

std::optional<TPrinterDevice> TNetworkMemory::RememberedPrinter(const std::string& key) {
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
