#include "Testing.h"

namespace zv::test {

// The mutex goes by the file name in upper case: the same file started under any case is one program.
TEST(PreviousInstance, TheMutexIsTheFileNameAndTheTitleLosesAnUpperCaseExtension) {
  const auto detect = [](const char* path) {  // mutex|window title
    TPreviousInstance record;
    record.Detect(path);
    return record.MutexName() + "|" + record.WindowTitle();
  };
  EXPECT_EQ(detect("C:\\Tools\\TOOL.EXE"), "TOOL.EXE|TOOL");
  EXPECT_EQ(detect("C:\\Tools\\tool.exe"), "TOOL.EXE|");
  EXPECT_EQ(detect("C:\\Tools\\B\xC3\xBCro.Exe"), "B\xC3\x9CRO.EXE|");
}

}  // namespace zv::test
