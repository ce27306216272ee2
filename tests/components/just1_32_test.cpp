#include "components/Just1_32/Just1_32.h"

#include <gtest/gtest.h>

namespace zv::test {
namespace {

TEST(PreviousInstance, TheMutexIsTheFileNameAndTheTitleLosesAnUpperCaseExtension) {
  struct TCase {
    const char* path;
    const char* mutex;
    const char* title;
  } cases[] = {
      {"C:\\Tools\\TOOL.EXE", "TOOL.EXE", "TOOL"},
      {"C:\\Tools\\tool.exe", "tool.exe", ""},
      {"D:TOOL.EXE.BAK", "TOOL.EXE.BAK", "TOOL.EXE"},
      {"TOOL.EXE", "TOOL.EXE", "TOOL"},
  };
  for (const TCase& c : cases) {
    TPreviousInstance record;
    record.Detect(c.path);
    EXPECT_EQ(record.MutexName(), c.mutex) << c.path;
    EXPECT_EQ(record.WindowTitle(), c.title) << c.path;
  }
}

TEST(PreviousInstance, ASecondRecordFindsTheFirstOnlyUnderTheSameNameInTheSameCase) {
  TPreviousInstance first, second, otherCase, elsewhere;
  first.Detect("C:\\a\\ZVTEST.EXE");
  EXPECT_FALSE(first.Found());
  EXPECT_NE(first.MutexHandle(), nullptr);
  second.Detect("D:\\b\\ZVTEST.EXE");  // another folder: the same guard
  EXPECT_TRUE(second.Found());
  EXPECT_EQ(second.MutexHandle(), nullptr);
  otherCase.Detect("C:\\a\\ZvTest.EXE");
  EXPECT_FALSE(otherCase.Found());
  first.CloseMutex();
  elsewhere.Detect("C:\\a\\ZVTEST.EXE");  // the name is free again
  EXPECT_FALSE(elsewhere.Found());
}

}  // namespace
}  // namespace zv::test
