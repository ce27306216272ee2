#include "Testing.h"

#include "framework/Controls.h"
#include "framework/Dpi.h"

namespace zv::test {

// The splash never closes by a key; About closes by every key of its Close button, and by no other.
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
      EXPECT_EQ(form.KeyPreview(m) && form.ModalResult() == mrOk, mode == 1) << key;  // pressed Close
    }
    MSG other{GetFocus(), WM_KEYDOWN, 'C', 0, 0, {}};  // C without Alt
    EXPECT_FALSE(form.KeyPreview(other));
    EXPECT_EQ(form.Left(), (GetSystemMetrics(SM_CXSCREEN) - form.Width()) / 2);  // centred when shown
  }
}

// At every scale About holds its texts within its margins and none over another (but the sign in
// the title's gap), its window and texts growing with the scale, and never smaller than its design.
TEST(AboutForm, HoldsEveryTextInsideItsMarginsAndGrowsWithTheScale) {
  TAboutForm form(Application, 1);
  const std::vector<TControl*> shown = {form.ProgramImage, form.ProgramTitle, form.Copywright, form.ProgramTitle2,
                                        form.Author, form.AuthorName, form.Email2, form.Email1, form.CloseButton};
  int height = 0;
  for (UINT dpi : {96, 120, 144, 192}) {
    RECT suggested{};
    SendMessageA(form.Handle(), kDpiChangedMessage, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT inside{0, 0, form.ClientWidth(), form.ClientHeight()}, both;
    InflateRect(&inside, -ScaleToDpi(6, dpi), -ScaleToDpi(6, dpi));
    for (const TControl* c : shown) {
      const RECT r{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
      EXPECT_TRUE(IntersectRect(&both, &inside, &r) && EqualRect(&both, &r)) << dpi << " " << c->Left();
      for (const TControl* o : shown) {  // the sign sits in the title's gap
        const RECT other{o->Left(), o->Top(), o->Left() + o->Width(), o->Top() + o->Height()};
        EXPECT_TRUE(c == o || c == form.Copywright || o == form.Copywright || !IntersectRect(&both, &r, &other))
            << dpi << " " << c->Left() << " " << o->Left();
      }
    }
    EXPECT_GE(form.ClientWidth(), form.Email2->Width() + ScaleToDpi(19, dpi)) << dpi;
    EXPECT_GE(form.ClientHeight(), ScaleToDpi(162, dpi)) << dpi;
    EXPECT_GT(form.Email2->Height(), height) << dpi;
    height = form.Email2->Height();
  }
}

std::vector<std::uint8_t> Bytes(HGLOBAL block) {
  std::vector<std::uint8_t> bytes(GlobalSize(block));
  std::memcpy(bytes.data(), GlobalLock(block), bytes.size());
  GlobalUnlock(block);
  return bytes;
}

// The dialog, stood in for, is given the shared catalogue's names and a copy of its settings, and
// all it was given is freed. Cancelled, it changes nothing; confirmed, its settings become the
// catalogue's, and the next setup of the default printer starts again from its driver's.
TEST(SetupDialog, GetsTheNamesAndACopyOfTheSettingsAndOnlyAConfirmedChoiceBecomesTheCatalogues) {
  TFakeSpooler spooler{{{"P", ""}}, "P,,"};
  TFakeDialogs dialogs;
  SharedPrinter().ResetToDefault();
  const HGLOBAL held = SharedPrinter().DeviceModeBlock();
  PRINTDLGA seen{};
  std::vector<std::uint8_t> devNames, devMode;
  dialogs.OnPrintDialog = [&](PRINTDLGA& record) {
    seen = record;
    devNames = Bytes(record.hDevNames);
    devMode = Bytes(record.hDevMode);
    TGlobalLock(record.hDevMode).As<DEVMODEA>()->dmCopies = 2;  // as the user changes the settings
    return dialogs.dialogs == 2;  // cancelled, then confirmed
  };
  TPrinterSetupDialog(nullptr).RunSetup(SharedPrinter());
  EXPECT_EQ(seen.Flags & PD_PRINTSETUP, static_cast<DWORD>(PD_PRINTSETUP));
  // DEVNAMES: offsets 8, then driver "", device "P", port "".
  EXPECT_EQ(devNames, (std::vector<std::uint8_t>{8, 0, 9, 0, 11, 0, 0, 0, 0, 'P', 0, 0}));
  EXPECT_EQ(devMode, Bytes(held));  // a copy: the catalogue's own block outlives the dialog
  for (HGLOBAL given : {seen.hDevMode, seen.hDevNames}) EXPECT_EQ(GlobalFlags(given), GMEM_INVALID_HANDLE);  // freed

  TPrinterSetupDialog(nullptr).RunSetup(SharedPrinter());
  EXPECT_EQ(SharedPrinter().DevMode()->dmCopies, 2);
  SharedPrinter().ResetToDefault();  // as the next setup starts
  EXPECT_NE(SharedPrinter().DevMode()->dmCopies, 2);
  EXPECT_EQ(GlobalFlags(held), GMEM_INVALID_HANDLE);  // the old block was freed
  SharedPrinter().Discard();
}

}  // namespace zv::test
