#include "components/RegFiles/RegFiles.h"

#include <gtest/gtest.h>

#include "RegistryFixture.h"

namespace zv::test {
namespace {

constexpr char kBase[] = "Software\\ZorvaneTest\\RegFile";

class RegFileTest : public testing::Test {
 protected:
  RegFileTest() { reg.Key = kBase; }
  TTestKey key{"Software\\ZorvaneTest"};
  TRegFile reg{nullptr};
  TVariant Read(const std::string& name) {
    TVariant value = TVariant(std::string("sentinel"));
    reg.ReadValue(name, value);
    return value;
  }
};

TEST_F(RegFileTest, WhatAnotherProgramLeftReadsAsAValueEmptyOrNullAndNeverOverruns) {
  const std::string big(65536, 'z');
  const std::uint8_t five[17] = {5, 0};
  const struct {
    const char* name;
    DWORD type;
    std::string data;
    TVariant expected;
  } cases[] = {
      {"text", REG_SZ, std::string("abc\0", 4), TVariant("abc")},
      {"unterminated text", REG_SZ, "abc", TVariant("abc")},
      {"64 KB of text", REG_SZ, big + '\0', TVariant(big)},
      {"no bytes", REG_SZ, "", TVariant::Null()},
      {"a number", REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4), TVariant(std::int32_t{-2})},
      {"a short number", REG_DWORD, std::string("\1\0", 2), TVariant()},
      {"expandable text", REG_EXPAND_SZ, std::string("%PATH%\0", 7), TVariant()},
      {"several texts", REG_MULTI_SZ, std::string("a\0b\0", 5), TVariant()},
      {"15 bytes", REG_BINARY, std::string(reinterpret_cast<const char*>(five), 15), TVariant()},
      {"16 bytes of no kind", REG_BINARY, std::string(16, '\0'), TVariant()},
      {"no type", REG_NONE, "x", TVariant()},
  };
  for (const auto& c : cases) {
    TTestKey::SetRaw(kBase, c.name, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
    EXPECT_EQ(Read(c.name), c.expected) << c.name;
    TVariant value;
    reg.ReadValueDef(c.name, TVariant(std::int32_t{42}), value);
    EXPECT_EQ(value, c.expected.IsNull() ? TVariant(std::int32_t{42}) : c.expected) << c.name << ": default for null only";
  }
  EXPECT_TRUE(Read("Nothing").IsNull());
}

// The settings read their options back from these bytes, and other programs read the text.
TEST_F(RegFileTest, BooleansAreStoredAsDwordsAndTextAsTerminatedStrings) {
  reg.WriteValue("true", TVariant(true));
  reg.WriteValue("text", TVariant("abc"));
  EXPECT_EQ(TTestKey::GetRaw(kBase, "true").type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(TTestKey::GetRaw(kBase, "text").data, (std::vector<std::uint8_t>{'a', 'b', 'c', 0}));
}

}  // namespace
}  // namespace zv::test
