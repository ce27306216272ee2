#include "components/shell_link/ShellLink.h"

#include <gtest/gtest.h>
#include <objidl.h>
#include <shlobj.h>

#include "RegistryFixture.h"
#include "framework/Com.h"

namespace zv::test {
namespace {

// The target a shortcut file points at, read back through the shell's link object.
std::string LinkTarget(const std::string& linkFile) {
  TComPtr<IShellLinkA> link;
  TComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())))
    return "(no link object)";
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH);
  if (FAILED(file->Load(wide, STGM_READ))) return "(cannot load)";
  char target[MAX_PATH] = "";
  link->GetPath(target, MAX_PATH, nullptr, 0);
  return target;
}

class ShellLinkTest : public testing::Test {
 protected:
  TComInit com;
  std::string folder = TempFolder("zorvane-link-test") + "\\";
  std::string target = "C:\\windows\\notepad.exe";
};

TEST_F(ShellLinkTest, AShortcutPointsAtItsTargetIsReplacedAndIsNeverSavedUnderACutName) {
  const std::string link = folder + std::string(259 - folder.size() - 4, 'n') + ".lnk";  // as long as fits
  DeleteFileA(link.c_str());
  EXPECT_EQ(CreateLink(target, link, ""), S_OK);
  EXPECT_EQ(LinkTarget(link), target);
  const std::string other = "C:\\windows\\regedit.exe";
  EXPECT_EQ(CreateLink(other, link, "described"), S_OK);
  EXPECT_EQ(LinkTarget(link), other);
  DeleteFileA(link.c_str());

  const std::string tooLong = folder + std::string(300, 'm') + ".lnk";
  EXPECT_TRUE(FAILED(CreateLink(target, tooLong, "")));
  EXPECT_EQ(GetFileAttributesA(tooLong.substr(0, 259).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace zv::test
