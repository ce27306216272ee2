#pragma once
// Stand-ins for the message box, the printer setup dialog and the shell's other calls: they note
// what the program asked and answer as the test says.
#include <functional>
#include <vector>

#include "app/Shell.h"
#include "framework/Dialogs.h"

namespace zv::test {

class TFakeDialogs : public TStandIn<IDialogCalls> {
 public:
  int ShowMessage(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    messages.push_back(caption + ": " + text + " " + std::to_string(flags));
    if (WhileAsked) WhileAsked();
    return answer;
  }
  BOOL PrintDialog(PRINTDLGA& record) override {
    ++dialogs;
    return OnPrintDialog ? OnPrintDialog(record) : FALSE;
  }
  std::vector<std::string> messages;
  int answer = IDOK, dialogs = 0;
  std::function<void()> WhileAsked;
  std::function<BOOL(PRINTDLGA&)> OnPrintDialog;  // cancelled unless the test answers
};

class TFakeShell : public TStandIn<IShellCalls> {
 public:
  std::string StartupFolder() override { return startup; }
  void ChangeNotify(LONG event, UINT flags, const std::string& item1, const std::string& item2) override {
    notices.push_back(std::to_string(event) + " " + std::to_string(flags) + " " + item1 +
                      (item1 == item2 ? " (both)" : ""));
  }
  void Beep(UINT) override { ++beeps; }
  void Execute(const std::string& commandLine) override { commands.push_back(commandLine); }
  std::vector<std::string> commands;
  std::string startup;  // the shell's StartUp folder; empty: it has none
  std::vector<std::string> notices;
  int beeps = 0;
};

}  // namespace zv::test
