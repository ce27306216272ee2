#include <gtest/gtest.h>

#include <cstring>

#include "FakeDialogs.h"
#include "FakeSpooler.h"
#include "forms/AboutForm.h"
#include "forms/PrinterSetupDialog.h"
#include "framework/Application.h"

namespace zv::test {
namespace {

TEST(AboutForm, OnlyTheAboutWindowClosesAndFromTheKeyboardByEveryKeyOfItsButton) {
  const std::pair<UINT, WPARAM> keys[] = {
      {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_SPACE}, {WM_SYSKEYDOWN, 'C'}};
  for (std::uint8_t mode : {0, 1}) {
    TAboutForm form(Application, mode);
    form.Show();
    EXPECT_EQ(form.CloseButton->Visible(), mode == 1);
    EXPECT_TRUE(mode == 0 || GetFocus() == form.CloseButton->Handle());
    for (const auto& [message, key] : keys) {
      form.SetModalResult(mrNone);
      MSG m{GetFocus(), message, key, 0, 0, {}};
      EXPECT_EQ(form.KeyPreview(m), mode == 1) << key;
      EXPECT_EQ(form.ModalResult(), mode == 1 ? mrOk : mrNone) << key;  // the splash never closes
    }
    MSG other{GetFocus(), WM_KEYDOWN, 'X', 0, 0, {}};
    EXPECT_FALSE(form.KeyPreview(other));
    EXPECT_EQ(form.Left(), (GetSystemMetrics(SM_CXSCREEN) - form.Width()) / 2);  // centred when shown
    form.Hide();
  }
}

std::vector<std::uint8_t> Bytes(HGLOBAL block) {
  std::vector<std::uint8_t> bytes(GlobalSize(block));
  std::memcpy(bytes.data(), GlobalLock(block), bytes.size());
  GlobalUnlock(block);
  return bytes;
}

// The shared catalogue on P, and the dialog stood in for: it notes what it was given and answers
// as the test says.
class SetupDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    SharedPrinter().Discard();
    SharedPrinter().ResetToDefault();
    held = SharedPrinter().DeviceModeBlock();
    dialogs.OnPrintDialog = [this](PRINTDLGA& record) {
      seen = record;
      devNames = Bytes(record.hDevNames);
      devMode = Bytes(record.hDevMode);
      return answer;
    };
  }
  void TearDown() override { SharedPrinter().Discard(); }
  TFakeSpooler spooler{{{"P", ""}}, "P,,"};
  TFakeDialogs dialogs;
  TPrinterSetupDialog dialog{nullptr};
  HGLOBAL held = nullptr;
  PRINTDLGA seen{};
  std::vector<std::uint8_t> devNames, devMode;
  BOOL answer = FALSE;
};

TEST_F(SetupDialogTest, TheDialogGetsTheNamesAndACopyOfTheSettingsAndCancellingChangesNothing) {
  dialog.RunSetup(SharedPrinter());
  ASSERT_EQ(dialogs.dialogs, 1);
  EXPECT_EQ(seen.Flags & PD_PRINTSETUP, static_cast<DWORD>(PD_PRINTSETUP));
  // DEVNAMES: offsets 8, then driver "", device "P", port "".
  EXPECT_EQ(devNames, (std::vector<std::uint8_t>{8, 0, 9, 0, 11, 0, 0, 0, 0, 'P', 0, 0}));
  EXPECT_NE(seen.hDevMode, held);  // a copy, never the catalogue's own block
  EXPECT_EQ(devMode, Bytes(held));
  for (HGLOBAL given : {seen.hDevMode, seen.hDevNames}) EXPECT_EQ(GlobalFlags(given), GMEM_INVALID_HANDLE);  // released
  EXPECT_EQ(SharedPrinter().DeviceModeBlock(), held);
  EXPECT_EQ(SharedPrinter().CurrentIndex(), 0);
}

// The next setup of the default printer starts from the settings confirmed here.
TEST_F(SetupDialogTest, ConfirmingHandsTheDialogsSettingsToTheSharedCatalogue) {
  answer = TRUE;
  dialog.RunSetup(SharedPrinter());
  EXPECT_EQ(SharedPrinter().DeviceModeBlock(), seen.hDevMode);
  EXPECT_EQ(GlobalFlags(held), GMEM_INVALID_HANDLE);  // the old block was freed
  EXPECT_EQ(SharedPrinter().CurrentIndex(), 0);
}

}  // namespace
}  // namespace zv::test
