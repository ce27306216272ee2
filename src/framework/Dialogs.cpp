#include "framework/Dialogs.h"

#include "framework/Exception.h"
#include "framework/Library.h"

namespace zv {
namespace {

class TPlatformDialogs final : public IDialogCalls {
 public:
  int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
  }
  BOOL PrintDialog(PRINTDLGA& record) override {
    static TLateProc<BOOL WINAPI(PRINTDLGA*)> printDlg("comdlg32.dll", "PrintDlgA");
    if (!printDlg.Get()) throw Exception("The printer setup dialog cannot be shown: comdlg32.dll is missing");
    return printDlg.Get()(&record);
  }
};

}  // namespace

template <>
IDialogCalls& TSeam<IDialogCalls>::Platform() {
  static TPlatformDialogs dialogs;
  return dialogs;
}

}  // namespace zv
