#pragma once
// The printer remembered for each network, under the settings key: one sub-key a network, named
// by the network's key, holding the printer's "Device" and "Port".
#include <optional>
#include <string>
#include <vector>

#include "app/Network.h"
#include "components/RegFiles/RegFiles.h"
#include "printers/Printer.h"

namespace zv {

inline constexpr char kNetworksKey[] = "Networks";

class TNetworkMemory {
 public:
  explicit TNetworkMemory(std::string settingsKey) : settingsKey_(std::move(settingsKey)) {}

  // The printer remembered for the network. For a network whose router has not answered, the
  // only one behind its gateway that has; for one whose router has, what was remembered before
  // it answered, when no other router behind that gateway has one.
  std::optional<TPrinterDevice> Recall(const TNetwork& network);
  // The printer is the one for the network (none: nothing is kept). Silent on failure: the
  // switch is done all the same.
  void Remember(const TNetwork& network, const TPrinterDevice& printer);
  // What Recall gave for the network is no longer installed: it goes.
  void Forget(const TNetwork& network);
  // A new visit began: what was kept before the last one's router answered stays as it is.
  void NewVisit() { keptIncomplete_.clear(); }
  // The router answered: what was kept on this visit before it did is its network's.
  void Answered(const TNetwork& network);

 private:
  // The key whose printer the network gets, or the empty text.
  std::string Resolve(const TNetwork& network);
  std::vector<TNetwork> Remembered();
  std::optional<TPrinterDevice> RememberedPrinter(const std::string& key);
  void Move(const std::string& from, const std::string& to);
  void Write(const std::string& key, const TPrinterDevice& printer);
  TRegFile reg_{nullptr};
  std::string settingsKey_;
  // The key a printer was kept under on this visit before its router answered.
  std::string keptIncomplete_;
};

}  // namespace zv
