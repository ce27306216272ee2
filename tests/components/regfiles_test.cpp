#include "components/RegFiles/RegFiles.h"

#include <gtest/gtest.h>

#include "RegistryFixture.h"

namespace zv::test {
namespace {

constexpr char kBase[] = "Software\\ZorvaneTest\\RegFile";

std::string Raised(const std::function<void()>& action) {
  try {
    action();
  } catch (const ERegFileError& e) {
    return e.Message();
  }
  return "(nothing raised)";
}

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

TEST_F(RegFileTest, BooleansAreStoredAsDwordsTextAsStringsAndOtherKindsRefused) {
  // The options' stored bytes and their reading back are the settings' to show.
  reg.WriteValue("true", TVariant(true));
  reg.WriteValue("text", TVariant("abc"));
  EXPECT_EQ(TTestKey::GetRaw(kBase, "true").type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(TTestKey::GetRaw(kBase, "text").data, (std::vector<std::uint8_t>{'a', 'b', 'c', 0}));
  for (const TVariant& value : {TVariant(), TVariant::Null(), TVariant::OfKind(varOleStr)})
    EXPECT_EQ(Raised([&] { reg.WriteValue("refused", value); }), kInvalidVariantType);
  EXPECT_FALSE(TTestKey::GetRaw(kBase, "refused").found);
  reg.WriteValue("Sub\\Val", TVariant("one"));  // a value name may carry a sub-key path
  EXPECT_TRUE(TTestKey::GetRaw(std::string(kBase) + "\\Sub", "Val").found);
}

TEST_F(RegFileTest, KeysAreTestedWithoutCreatingThemAndDeletedWithTheirValues) {
  reg.Key = std::string(kBase) + "\\Not\\There";
  EXPECT_FALSE(reg.KeyExists(""));
  EXPECT_FALSE(TTestKey::Exists(reg.Key));
  EXPECT_EQ(Raised([&] { reg.DeleteKey("x"); }), "(nothing raised)");  // nothing to open: nothing done
  EXPECT_FALSE(TTestKey::Exists(reg.Key));
  reg.Key = kBase;
  reg.WriteValue("Child\\v", TVariant(true));
  EXPECT_TRUE(reg.KeyExists("Child"));
  reg.DeleteKey("Child");
  EXPECT_FALSE(TTestKey::Exists(std::string(kBase) + "\\Child"));
  EXPECT_EQ(Raised([&] { reg.DeleteKey("Child"); }), "Reg Error: 00000002");
  reg.RootKey = hkDynData;
  EXPECT_EQ(Raised([&] { reg.WriteValue("x", TVariant(true)); }), kCantOpenKey);
}

}  // namespace
}  // namespace zv::test
