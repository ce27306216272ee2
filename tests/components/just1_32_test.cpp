#include "components/Just1_32/Just1_32.h"

#include <gtest/gtest.h>

namespace zv::test {
namespace {

// The mutex goes by the file name in upper case: the same file started under any case is one program.
TEST(PreviousInstance, TheMutexIsTheFileNameAndTheTitleLosesAnUpperCaseExtension) {
  struct TCase {
    const char* path;
    const char* mutex;
    const char* title;
  } cases[] = {
      {"C:\\Tools\\TOOL.EXE", "TOOL.EXE", "TOOL"},
      {"C:\\Tools\\tool.exe", "TOOL.EXE", ""},
      {"C:\\Tools\\B\xC3\xBCro.Exe", "B\xC3\x9CRO.EXE", ""},
      {"D:TOOL.EXE.BAK", "TOOL.EXE.BAK", "TOOL.EXE"},
  };
  for (const TCase& c : cases) {
    TPreviousInstance record;
    record.Detect(c.path);
    EXPECT_EQ(record.MutexName(), c.mutex) << c.path;
    EXPECT_EQ(record.WindowTitle(), c.title) << c.path;
  }
}

}  // namespace
}  // namespace zv::test
