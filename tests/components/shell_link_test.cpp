#include "Testing.h"

namespace zv::test {

// The start-up shortcut's path is kept whole, however long the StartUp folder; a name cut to fit
// would leave a file that is no shortcut.
TEST(ShellLink, AShortcutIsSavedUnderItsWholeNameOrNotAtAll) {
  TComInit com;
  const std::string folder = TempFolder("zorvane-link-test") + "\\";
  const std::string fits = folder + std::string(259 - folder.size() - 4, 'n') + ".lnk";
  EXPECT_EQ(CreateLink("C:\\windows\\notepad.exe", fits, ""), S_OK);  // saved
  DeleteFileA(fits.c_str());

  // A name of this run's own: a file that a faulty build cut from it stays that build's.
  const std::string tooLong = folder + std::to_string(GetTickCount()) + std::string(300, 'm') + ".lnk";
  EXPECT_TRUE(FAILED(CreateLink("C:\\windows\\notepad.exe", tooLong, "")));
  EXPECT_EQ(GetFileAttributesA(tooLong.substr(0, 259).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace zv::test
