#pragma once
// The small borderless window that serves as the splash at start-up and as the About window.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/Icon.h"

namespace zv {

class TAboutForm : public TForm {
 public:
  // aboutMode 0: the splash; 1: the About window with its Close button.
  TAboutForm(TComponent* owner, std::uint8_t aboutMode);

  void FormCreate();
  bool KeyPreview(MSG& message) override;

  TPanel* StartupPanel = nullptr;
  TImage* ProgramImage = nullptr;
  TLabel* Author = nullptr;
  TLabel* Email1 = nullptr;
  TLabel* Email2 = nullptr;
  TLabel* AuthorName = nullptr;
  TLabel* ProgramTitle2 = nullptr;
  TLabel* ProgramTitle = nullptr;
  TLabel* Copywright = nullptr;
  TButton* CloseButton = nullptr;

 protected:
  void DpiChanged() override;

 private:
  void Describe();
  // Places everything from the form's DPI and its texts as measured in their fonts.
  void Layout();
  TLabel* AddLabel(int left, int top, const TFontStyle& font, const std::string& caption);
  std::uint8_t aboutMode_;
  TIcon icon_;
};

}  // namespace zv
