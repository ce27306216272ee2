// The options, kept under the program's own key in the current user's registry.
#include "app/LegacyDefaultMode.h"
#include "app/PrinterCore.h"
#include "app/main_window.h"
#include "components/RegFiles/RegFiles.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "product/Product.h"

namespace zv {

std::string SettingsKey() { return std::string(kSettingsParent) + "\\" + Application->Title(); }

std::string OptionName(const std::string& caption) {
  std::string name;
  for (char c : caption)
    if (c != '&') name += c;
  while (!name.empty() && name.back() == '.') name.pop_back();
  return name;
}

void TMainForm::LoadSettings() {
  TOptions options = Core().OwnOptions();
  // A settings key that cannot be read leaves the options as they are; nothing is reported.
  try {
    Reg->Key = SettingsKey();
    // A shortcut deleted by hand means a fresh start: the options go back to their defaults. One
    // that cannot be made here was never there to delete, and the options the user set stay. The
    // printers remembered per network are the user's data and stay too; UnInstall removes them.
    const bool fresh = !Reg->KeyExists("") || (FirstRun && CreateStartupShortcut());
    Reg->Key = SettingsKey();
    if (fresh) {
      Reg->WriteValue("Author", TVariant(kAuthor));
      Reg->WriteValue("Version", TVariant(kVersion));
      for (const TOptionRow& row : kOptionRows) {
        options.*row.Member = row.Default;
        Reg->WriteValue(OptionName(row.Caption), TVariant(row.Default));
      }
    } else {
      TVariant value;
      Reg->ReadValueDef("Version", TVariant(""), value);
      if (!(value.Kind() == varString && value.AsText() == kVersion)) Reg->WriteValue("Version", TVariant(kVersion));
      // In menu order: a value that cannot be read leaves it and those after it as they were.
      for (const TOptionRow& row : kOptionRows) {
        Reg->ReadValueDef(OptionName(row.Caption), TVariant(options.*row.Member), value);
        options.*row.Member = VarToBool(value);
      }
    }
  } catch (const std::exception&) {
  }
  // Also after a value that could not be read: a check mark that disagrees with its option would
  // turn the option the wrong way when clicked.
  Core().SetOwnOptions(options);
  ShowOptions();
}

void TMainForm::SaveOptions() {
  Reg->Key = SettingsKey();
  // The user's own: an option the policy forces keeps the value the user stored.
  for (const TOptionRow& row : kOptionRows)
    Reg->WriteValue(OptionName(row.Caption), TVariant(Core().OwnOptions().*row.Member));
  ShowOptions();
}

void TMainForm::ShowOptions() {
  for (std::size_t i = 0; i < std::size(kOptionRows); ++i) {
    TMenuItem* item = mOptions->Items(static_cast<int>(i));
    item->SetChecked(Core().Options.*kOptionRows[i].Member);
    item->SetEnabled(!Core().Forced(kOptionRows[i].Member));
  }
}

void TMainForm::DeleteSettingsKey() {
  Reg->Key = kSettingsParent;
  try {
    Reg->DeleteKey(Application->Title());
  } catch (const std::exception&) {
  }
}

}  // namespace zv
