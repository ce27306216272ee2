#include "forms/AboutForm.h"

#include <algorithm>

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
  label->SetBounds(Scale(left), Scale(top), 0, 0);
  label->SetFont(font);
  label->SetCaption(caption);
  return label;
}

void TAboutForm::Describe() {
  SetBorderStyle(TBorderStyle::bsNone);
  SetBorderIcons(false);
  SetTopmost(true);
  SetCentred(true);
  SetClientSize(Scale(231), Scale(162));

  StartupPanel = new TPanel(this, Handle());
  StartupPanel->SetBounds(0, 0, ClientWidth(), ClientHeight());
  StartupPanel->SetFont({"Times New Roman", 15, false, kBlack});
  ProgramImage = new TImage(this, StartupPanel->Handle());
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
  CloseButton->SetFont({"Times New Roman", 15, false, kBlack});
  CloseButton->SetCaption("&Close");
  CloseButton->ModalResult = mrOk;
  CloseButton->Cancel = true;
  CloseButton->SetVisible(false);
  CloseButton->SetEnabled(false);
}

void TAboutForm::FormCreate() {
  ProgramTitle->SetCaption(Application->Title());
  ProgramTitle->SetCaption(ProgramTitle->Caption() + "  " + ZORVANE_VERSION);
  ProgramTitle2->SetCaption(kDescription);
  AuthorName->SetCaption(kAuthor);
  Layout();
  CloseButton->SetEnabled(aboutMode_ != 0);
  CloseButton->SetVisible(aboutMode_ != 0);
  SetActiveControl(CloseButton->Handle());
}

void TAboutForm::DpiChanged() { Layout(); }

void TAboutForm::Layout() {
  // The positions are those of the window at 96 DPI in its own fonts, at the form's scale; where
  // a text is wider or taller than there (a substitute font, another scale), what follows it
  // moves on, and the window grows to hold everything with its margins.
  const auto right = [](const TControl* c) { return c->Left() + c->Width(); };
  const auto bottom = [](const TControl* c) { return c->Top() + c->Height(); };
  const auto place = [](TControl* c, int left, int top) { c->SetBounds(left, top, c->Width(), c->Height()); };
  icon_.LoadFromResource(kIconResource, Scale(32));
  ProgramImage->SetBounds(Scale(9), Scale(7), Scale(32), Scale(32));
  ProgramImage->SetIcon(icon_.Handle());
  place(ProgramTitle, std::max(Scale(49), right(ProgramImage) + Scale(8)), Scale(8));
  // The sign follows the title's name directly, in the gap of the two blanks before the version.
  place(Copywright, ProgramTitle->Left() + static_cast<int>(ProgramTitle->TextExtent(Application->Title()).cx), Scale(6));
  place(ProgramTitle2, Scale(50), std::max(Scale(34), bottom(ProgramTitle)));
  place(Author, Scale(9), std::max(Scale(96), std::max(bottom(ProgramTitle2), bottom(ProgramImage)) + Scale(4)));
  place(AuthorName, std::max(Scale(57), right(Author) + Scale(3)), Author->Top());
  place(Email2, Scale(9), std::max(Scale(114), std::max(bottom(Author), bottom(AuthorName))));
  place(Email1, Scale(32), std::max(Scale(132), bottom(Email2)));
  const SIZE close = CloseButton->TextExtent(GetWindowTitle(CloseButton->Handle()), true);
  const int closeWidth = std::max(Scale(49), static_cast<int>(close.cx) + Scale(16));
  const int closeHeight = std::max(Scale(25), static_cast<int>(close.cy) + Scale(8));
  // Its right edge lines up with the first contact line's, beside the second one or below it.
  const int closeLeft = right(Email2) - closeWidth;
  const int closeTop = right(Email1) + Scale(4) <= closeLeft ? std::max(Scale(130), bottom(Email2) + Scale(2))
                                                              : bottom(Email1) + Scale(4);
  CloseButton->SetBounds(closeLeft, closeTop, closeWidth, closeHeight);

  int contentRight = 0;
  for (const TLabel* c : {ProgramTitle, ProgramTitle2, Copywright, AuthorName, Email1})
    contentRight = std::max(contentRight, right(c));
  const int width = std::max(Email2->Width() + Scale(19), contentRight + Scale(10));
  const int height = std::max(Scale(162), std::max(bottom(CloseButton), bottom(Email1)) + Scale(7));
  SetClientSize(width, height);
  StartupPanel->SetBounds(0, 0, ClientWidth(), ClientHeight());
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
