// The options, kept under the program's own key in the current user's registry.
#include "app/main_window.h"
#include "app/Network.h"
#include "framework/Application.h"

namespace zv {
namespace {
std::string SettingsKey() { return std::string("Software\\") + Application->Title(); }
}  // namespace

std::string OptionName(const std::string& caption) {
  std::string name;
  for (char c : caption)
    if (c != '&') name += c;
  while (!name.empty() && name.back() == '.') name.pop_back();
  return name;
}

void TMainForm::LoadSettings() {
  // A settings key that cannot be read leaves the options as they are; nothing is reported.
  try {
    Reg->Key = SettingsKey();
    // A shortcut deleted by hand means a fresh start: the options go back to their defaults. One
    // that cannot be made here was never there to delete, and the options the user set stay.
    if (FirstRun && Reg->KeyExists("") && CreateStartupShortcut()) DeleteSettingsKey();
    Reg->Key = SettingsKey();
    if (!Reg->KeyExists("")) {
      Reg->WriteValue("Author", TVariant(kAuthor));
      Reg->WriteValue("Version", TVariant(kVersion));
      for (const auto& [item, option] : Options()) Reg->WriteValue(OptionName(item->Caption()), TVariant(*option));
    } else {
      TVariant value;
      Reg->ReadValueDef("Version", TVariant(""), value);
      if (!(value.Kind() == varString && value.AsText() == kVersion)) Reg->WriteValue("Version", TVariant(kVersion));
      // In menu order: a value that cannot be read leaves it and those after it as they were.
      for (const auto& [item, option] : Options()) {
        Reg->ReadValueDef(OptionName(item->Caption()), TVariant(*option), value);
        *option = VarToBool(value);
      }
    }
  } catch (const std::exception&) {
  }
  // Also after a value that could not be read: a check mark that disagrees with its option would
  // turn the option the wrong way when clicked.
  for (const auto& [item, option] : Options()) item->SetChecked(*option);
}

void TMainForm::SaveOptions() {
  Reg->Key = SettingsKey();
  for (const auto& [item, option] : Options()) {
    Reg->WriteValue(OptionName(item->Caption()), TVariant(*option));
    item->SetChecked(*option);
  }
}

std::array<std::pair<TMenuItem*, bool*>, 3> TMainForm::Options() {
  return {{{mShowPortInfo, &ShowPortInfo}, {mShowSplashScreen, &ShowSplash}, {mRememberPerNetwork, &RememberPerNetwork}}};
}

void TMainForm::RememberForNetwork(const TPrinterDevice& printer) {
  if (!RememberPerNetwork) return;
  // Where the machine is now, even if the last look at the routes was before a move: the move
  // is then known, and coming back is one. The routing table alone tells that nothing moved.
  const std::string signature = Network().RouteSignature();
  if (!routeSignature_ || signature != *routeSignature_) {
    routeSignature_ = signature;
    network_ = Network().CurrentNetwork();
  }
  const std::string& network = network_;
  if (network.empty()) return;
  // A printer that cannot be remembered leaves the switch done all the same.
  try {
    Reg->Key = SettingsKey();
    const std::string key = std::string(kNetworksKey) + "\\" + network + "\\";
    Reg->WriteValue(key + "Device", TVariant(printer.DeviceName));
    Reg->WriteValue(key + "Port", TVariant(printer.PortName));
  } catch (const std::exception&) {
  }
}

TPrinterDevice TMainForm::RememberedPrinter(const std::string& network) {
  const TPrinterDevice none("", "", "");
  // Whatever another program or a damaged profile left there, only two texts name a printer.
  try {
    Reg->Key = SettingsKey();
    const std::string key = std::string(kNetworksKey) + "\\" + network;
    if (!Reg->KeyExists(key)) return none;
    TVariant device, port;
    Reg->ReadValue(key + "\\Device", device);
    Reg->ReadValue(key + "\\Port", port);
    if (device.Kind() != varString || port.Kind() != varString || device.AsText().empty()) return none;
    return TPrinterDevice("", device.AsText(), port.AsText());
  } catch (const std::exception&) {
    return none;
  }
}

void TMainForm::DeleteSettingsKey() {
  Reg->Key = "Software";
  try {
    Reg->DeleteKey(Application->Title());
  } catch (const std::exception&) {
  }
}

}  // namespace zv
