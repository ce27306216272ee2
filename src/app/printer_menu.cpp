// The printer section of the tray menu, and making a printer the system default.
#include <algorithm>
#include <utility>
#include <vector>

#include "app/cups_default.h"
#include "app/main_window.h"
#include "app/printers/Printer.h"
#include "app/printers/SpoolerApi.h"
#include "framework/Application.h"
#include "framework/FlagGuard.h"

namespace zv {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

// The broadcast waits for every top-level window, but never for ever on one that hangs.
constexpr UINT kBroadcastTimeoutMs = 2000;

}  // namespace

std::string TMainForm::PrinterCaption(const std::string& displayName) const {
  std::string caption = displayName.substr(0, kMaxCaption);
  if (!ShowPortInfo) {
    std::size_t on = caption.find(" on");
    if (on != std::string::npos) caption.resize(on);
  }
  return caption;
}

void TMainForm::BuildPrinterMenu() {
  TFlagGuard rebuilding(MenuRebuilding);
  DefaultKnown = false;
  TrayForm->SetToolTip(kNoDefaultPrinterTip);
  TPrinter printer;
  const std::vector<TPrinterEntry>& entries = printer.Entries();
  PMenu->Items().DeleteFrom(FixedCount);

  std::int32_t defaultIndex;
  try {
    defaultIndex = printer.CurrentIndex();
  } catch (const EPrinter&) {
    TrayForm->SetToolTip(kNoDefaultPrinterTip);
    return;
  }
  DefaultKnown = true;

  auto* separator = new TMenuItem(this);
  separator->SetCaption("-");
  PMenu->Items().Add(separator);

  std::vector<std::pair<std::string, TPrintersList>> sorted;
  sorted.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i)
    sorted.push_back({entries[i].Name, TPrintersList{static_cast<std::int32_t>(i)}});
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return LessIgnoringCase(a.first, b.first); });

  auto click = [this](TComponent* sender) { SetPrinterOnClick(sender); };
  for (const auto& [name, index] : sorted) {
    auto* entry = new TMenuItem(this);
    entry->OnClick = click;
    entry->SetCaption(PrinterCaption(name));
    entry->SetTag(index.Index);
    entry->SetChecked(index.Index == defaultIndex);
    PMenu->Items().Add(entry);
  }
}

void TMainForm::ApplyDefaultPrinter(int position) {
  TMenuItem& items = PMenu->Items();
  if (items.Count() <= FixedCount) return;

  int target = position;
  int checked = -1;
  for (int i = FixedCount + 1; i < items.Count(); ++i) {
    if (items.Items(i)->Checked()) {
      checked = i;
      break;
    }
  }
  if (position == -1) target = checked;
  if (target <= FixedCount || target >= items.Count()) return;  // nothing to apply
  if (checked >= 0) items.Items(checked)->SetChecked(false);
  TMenuItem* entry = items.Items(target);

  TPrinter printer;
  printer.SetCurrentIndex(entry->Tag());
  std::string device, driver, port;
  HGLOBAL block = nullptr;
  printer.ReadCurrent(device, driver, port, block);

  // Composed and written whole, however long the names are.
  const std::string value = device + "," + driver + "," + port;
  if (Spooler().WriteProfile("Windows", "Device", value)) {
    TrayForm->SetToolTip(entry->Caption());
    entry->SetChecked(true);
    BroadcastProfileChange();
    KeepCupsDefault(device, port);
  } else {
    TrayForm->SetToolTip(kNoDefaultPrinterTip);
    Application->MessageBox(kFailureToSetDefault, Application->Title(), MB_OK);
  }
}

void TMainForm::BroadcastProfileChange() {
  TFlagGuard own(OwnBroadcast);
  static const char kSection[] = "windows";
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(kSection),
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

void TMainForm::HandleWinIniChange() {
  if (OwnBroadcast) return;
  BuildPrinterMenu();
  ApplyDefaultPrinter(-1);
}

}  // namespace zv
