#include "Testing.h"

namespace zv::test {

constexpr char kBase[] = "Software\\ZorvaneTest\\RegFile";

// What another program left reads as a value, or empty (a kind that has no value, a size that does
// not fit it), or null (nothing there), never past the data's end; the default stands in for null
// only. (Other kinds of value are ignored as the policy's rules show.) Text is stored terminated, as
// others read it.
TEST(RegFile, ReadsWhatAnotherProgramLeftWithoutOverrunAndWritesWhatOthersRead) {
  TTestKey key{"Software\\ZorvaneTest"};
  TRegFile reg{nullptr};
  reg.Key = kBase;
  // The value read, with 42 as the default, after these bytes were stored (REG_NONE: nothing).
  const auto read = [&](const char* name, DWORD type, const std::string& data) {
    if (type != REG_NONE) TTestKey::SetRaw(kBase, name, type, data.data(), static_cast<DWORD>(data.size()));
    TVariant value("sentinel");
    reg.ReadValueDef(name, TVariant(std::int32_t{42}), value);
    return value;
  };
  EXPECT_EQ(read("nothing", REG_NONE, ""), TVariant(std::int32_t{42}));
  EXPECT_EQ(read("no bytes", REG_SZ, ""), TVariant(std::int32_t{42}));
  EXPECT_EQ(read("unterminated text", REG_SZ, "abc"), TVariant("abc"));
  EXPECT_EQ(read("64 KB of text", REG_SZ, std::string(65536, 'z') + '\0'), TVariant(std::string(65536, 'z')));
  EXPECT_EQ(read("a number", REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4)), TVariant(std::int32_t{-2}));
  EXPECT_EQ(read("a short number", REG_DWORD, std::string("\1\0", 2)), TVariant());
  EXPECT_EQ(read("15 bytes", REG_BINARY, std::string("\5", 1) + std::string(14, '\0')), TVariant());
  EXPECT_EQ(read("16 bytes of no kind", REG_BINARY, std::string(16, '\0')), TVariant());
  reg.WriteValue("text", TVariant("abc"));
  EXPECT_EQ(TTestKey::GetRaw(kBase, "text").data, (std::vector<std::uint8_t>{'a', 'b', 'c', 0}));
}

}  // namespace zv::test
