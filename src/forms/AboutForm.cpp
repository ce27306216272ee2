#include "forms/AboutForm.h"

#include "ZorvaneVersion.h"
#include "product/Product.h"
#include "framework/Application.h"

namespace zv {
namespace {
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
}  // namespace

TAboutForm::TAboutForm(TComponent* owner, std::uint8_t aboutMode) : TForm(owner), aboutMode_(aboutMode) {
  Describe();
  FormCreate();
}

TLabel* TAboutForm::AddLabel(int left, int top, const TFontStyle& font, const std::string& caption) {
  auto* label = new TLabel(this, StartupPanel->Handle());
  label->SetBounds(left, top, 0, 0);
  label->SetFont(font);
  label->SetCaption(caption);
  return label;
}

void TAboutForm::Describe() {
  SetBorderStyle(TBorderStyle::bsNone);
  SetBorderIcons(false);
  SetTopmost(true);
  SetCentred(true);
  SetClientSize(231, 162);

  StartupPanel = new TPanel(this, Handle());
  StartupPanel->SetBounds(0, 0, 231, 162);
  StartupPanel->SetFont({"Times New Roman", 15, false, kBlack});
  ProgramImage = new TImage(this, StartupPanel->Handle());
  ProgramImage->SetBounds(9, 7, 32, 32);
  icon_.LoadFromResource(1, 32);
  ProgramImage->SetIcon(icon_.Handle());
  Author = AddLabel(9, 96, {"Times New Roman", 15, false, kBlack}, "Author:");
  Email1 = AddLabel(32, 132, {"Times New Roman", 13, false, kBlack}, kContactLine2);
  Email2 = AddLabel(9, 114, {"Times New Roman", 13, false, kBlack}, kContactLine1);
  AuthorName = AddLabel(57, 96, {"Times New Roman", 15, false, kBlack}, "");
  ProgramTitle2 = AddLabel(50, 34, {"Times New Roman", 11, false, kBlack}, "");
  ProgramTitle = AddLabel(49, 8, {"Times New Roman", 21, true, kBlue}, "");
  Copywright = AddLabel(0, 6, {"Symbol", 11, false, kBlue}, "\xE3");
  // Without the Symbol font, 0xE3 would show as a letter: the circled C of the text font instead.
  if (!Copywright->Font().Available()) {
    Copywright->SetFont({"Times New Roman", 11, false, kBlue});
    Copywright->SetCaption("\xA9");
  }
  CloseButton = new TButton(this, StartupPanel->Handle());
  CloseButton->SetBounds(0, 130, 49, 25);
  CloseButton->SetFont({"Times New Roman", 15, false, kBlack});
  CloseButton->SetCaption("&Close");
  CloseButton->ModalResult = mrOk;
  CloseButton->Cancel = true;
  CloseButton->SetVisible(false);
  CloseButton->SetEnabled(false);
}

void TAboutForm::FormCreate() {
  ProgramTitle->SetCaption(Application->Title());
  Copywright->SetLeft(ProgramTitle->Left() + ProgramTitle->Width());
  ProgramTitle->SetCaption(ProgramTitle->Caption() + "  " + ZORVANE_VERSION);
  ProgramTitle2->SetCaption(kDescription);
  SetWidth(Email2->Width() + 19);
  StartupPanel->SetBounds(0, 0, ClientWidth(), ClientHeight());
  CloseButton->SetBounds(Email2->Left() + Email2->Width() - CloseButton->Width(), 130, CloseButton->Width(), 25);
  AuthorName->SetCaption(kAuthor);
  // A substitute font wider than Times New Roman must not run "Author:" into the name.
  if (Author->Left() + Author->Width() + 3 > AuthorName->Left())
    AuthorName->SetLeft(Author->Left() + Author->Width() + 3);
  CloseButton->SetEnabled(aboutMode_ != 0);
  CloseButton->SetVisible(aboutMode_ != 0);
  SetActiveControl(CloseButton->Handle());
}

bool TAboutForm::KeyPreview(MSG& message) {
  if (!CloseButton->Enabled() || !CloseButton->Visible()) return false;
  // The Close button has the focus: Enter and Space press it, Alt+C is its mnemonic, and Escape
  // presses it as the cancel button.
  const bool key = message.message == WM_KEYDOWN &&
                   (message.wParam == VK_RETURN || message.wParam == VK_SPACE ||
                    (message.wParam == VK_ESCAPE && CloseButton->Cancel));
  const bool mnemonic = message.message == WM_SYSKEYDOWN && message.wParam == 'C';
  if (!key && !mnemonic) return false;
  CloseButton->Click();
  return true;
}

}  // namespace zv
