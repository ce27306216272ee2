#include "components/RegFiles/RegFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

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
  TVariant ReadDef(const std::string& name) {
    TVariant value;
    reg.ReadValueDef(name, TVariant(std::int32_t{42}), value);
    return value;
  }
};

TEST_F(RegFileTest, AMissingValueReadsAsNullAndReadingCreatesTheMissingKeyPath) {
  EXPECT_TRUE(Read("Nothing").IsNull());
  EXPECT_TRUE(TTestKey::Exists(kBase));
  EXPECT_EQ(ReadDef("Nothing"), TVariant(std::int32_t{42}));
  reg.Key = std::string(kBase) + "\\Not\\There";
  EXPECT_FALSE(reg.KeyExists(""));  // testing never creates
  EXPECT_FALSE(TTestKey::Exists(reg.Key));
  reg.RootKey = hkDynData;
  EXPECT_EQ(Raised([&] { reg.WriteValue("x", TVariant(true)); }), kCantOpenKey);
}

TEST_F(RegFileTest, DataWithoutAValueReadsAsEmptyOrNullAndNeverOverruns) {
  const std::string k = kBase;
  TTestKey::SetRaw(k, "zero", REG_SZ, "", 0);
  TTestKey::SetRaw(k, "expand", REG_EXPAND_SZ, "%PATH%", 7);
  TTestKey::SetRaw(k, "multi", REG_MULTI_SZ, "a\0b\0", 5);
  std::uint8_t bytes[17] = {5, 0};
  TTestKey::SetRaw(k, "bin15", REG_BINARY, bytes, 15);
  TTestKey::SetRaw(k, "bin17", REG_BINARY, bytes, 17);
  std::uint8_t badTag[16] = {9, 0};
  TTestKey::SetRaw(k, "bin16tag9", REG_BINARY, badTag, 16);
  TTestKey::SetRaw(k, "shortdword", REG_DWORD, bytes, 2);
  TTestKey::SetRaw(k, "none", REG_NONE, "x", 1);
  EXPECT_TRUE(Read("zero").IsNull());
  EXPECT_EQ(ReadDef("zero"), TVariant(std::int32_t{42}));
  for (const char* name : {"expand", "multi", "bin15", "bin17", "bin16tag9", "shortdword", "none"}) {
    EXPECT_TRUE(Read(name).IsEmpty()) << name;
    EXPECT_TRUE(ReadDef(name).IsEmpty()) << name << ": the default replaces null only";
  }
  TTestKey::SetRaw(k, "unterminated", REG_SZ, "abc", 3);
  EXPECT_EQ(Read("unterminated"), TVariant("abc"));
  const std::string big(65536, 'z');
  TTestKey::SetRaw(k, "big", REG_SZ, big.c_str(), static_cast<DWORD>(big.size() + 1));
  EXPECT_EQ(Read("big").AsText(), big);
}

TEST_F(RegFileTest, NumbersBooleansAndTextAreStoredAsDwordsAndStrings) {
  reg.WriteValue("true", TVariant(true));
  reg.WriteValue("false", TVariant(false));
  reg.WriteValue("small", TVariant(std::int16_t{-2}));
  reg.WriteValue("text", TVariant("abc"));
  reg.WriteValue("empty", TVariant(""));
  auto raw = TTestKey::GetRaw(kBase, "true");
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(raw.data, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Read("true"), TVariant(std::int32_t{-1}));
  EXPECT_EQ(Read("false"), TVariant(std::int32_t{0}));
  EXPECT_EQ(TTestKey::GetRaw(kBase, "small").data, (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
  raw = TTestKey::GetRaw(kBase, "text");
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw.data.size(), 4u);
  EXPECT_EQ(TTestKey::GetRaw(kBase, "empty").data.size(), 1u);
  EXPECT_EQ(Read("empty"), TVariant(""));
}

TEST_F(RegFileTest, FloatingKindsRoundTripThroughTheSixteenByteRecord) {
  const TVariant values[] = {TVariant(1.5f), TVariant(-2.25), TVariant::Currency(123456789), TVariant::Date(45000.75)};
  int n = 0;
  for (const TVariant& value : values) {
    const std::string name = "f" + std::to_string(n++);
    reg.WriteValue(name, value);
    auto raw = TTestKey::GetRaw(kBase, name.c_str());
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(raw.data.size(), 16u);
    EXPECT_EQ(raw.data[0], value.Kind());
    EXPECT_EQ(Read(name), value) << name;
  }
}

TEST_F(RegFileTest, KindsWithoutRegistryDataAreRefusedAfterTheKeyWasCreated) {
  reg.Key = std::string(kBase) + "\\Created";
  for (const TVariant& value : {TVariant(), TVariant::Null(), TVariant::OfKind(varOleStr)}) {
    key.Remove();
    EXPECT_EQ(Raised([&] { reg.WriteValue("v", value); }), kInvalidVariantType);
    EXPECT_TRUE(TTestKey::Exists(reg.Key));
  }
}

TEST_F(RegFileTest, ValueNamesMayCarryASubKeyPath) {
  reg.WriteValue("Sub\\Val", TVariant("one"));
  EXPECT_EQ(TTestKey::GetRaw(std::string(kBase) + "\\Sub", "Val").data.size(), 4u);
  EXPECT_EQ(Read("\\Sub\\Val"), TVariant("one"));
  reg.WriteValue("Sub\\", TVariant("default"));
  EXPECT_EQ(TTestKey::GetRaw(std::string(kBase) + "\\Sub", nullptr).data.size(), 8u);
  reg.WriteValue("a\\\\b", TVariant("pair"));
  EXPECT_TRUE(TTestKey::GetRaw(kBase, "a\\\\b").found);
  reg.WriteValue("\\lead", TVariant("lead"));
  EXPECT_TRUE(TTestKey::GetRaw(kBase, "lead").found);

  std::string name = "x\\y\\\\z", path;
  SplitValueName(name, path);
  EXPECT_EQ(path, "\\x");
  EXPECT_EQ(name, "y\\\\z");
}

TEST_F(RegFileTest, WithAnEmptyKeyTheRootItselfIsOpenedNeverCreated) {
  reg.Key = "";
  EXPECT_TRUE(reg.KeyExists(""));
  reg.WriteValue("ZorvaneTestRootValue", TVariant(std::int32_t{7}));
  EXPECT_EQ(Read("ZorvaneTestRootValue"), TVariant(std::int32_t{7}));
  HKEY root;
  RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_ALL_ACCESS, &root);
  RegDeleteValueA(root, "ZorvaneTestRootValue");
  RegCloseKey(root);
  EXPECT_EQ(reg.GetKeyPath("Sub"), "Sub");
  reg.Key = "A";
  EXPECT_EQ(reg.GetKeyPath("Sub"), "A\\Sub");
  EXPECT_EQ(reg.GetKeyPath(""), "A");
}

TEST_F(RegFileTest, DeletingAMissingSubKeyRaisesWithTheCodeAndAnUnopenableKeyDoesNothing) {
  reg.WriteValue("v", TVariant(true));
  EXPECT_EQ(Raised([&] { reg.DeleteKey("Missing"); }), "Reg Error: 00000002");
  reg.WriteValue("Child\\v", TVariant(true));
  reg.DeleteKey("Child");
  EXPECT_FALSE(TTestKey::Exists(std::string(kBase) + "\\Child"));
  reg.Key = "Software\\ZorvaneTest\\Nowhere";
  EXPECT_EQ(Raised([&] { reg.DeleteKey("x"); }), "(nothing raised)");
  EXPECT_FALSE(TTestKey::Exists(reg.Key));
}

TEST(RootKey, TheTableSkipsPerformanceData) {
  EXPECT_EQ(RootKeyHandle(hkCurrentUser), HKEY_CURRENT_USER);
  // The platform's handles are 32-bit values, sign-extended on 64-bit Windows.
  const auto value = [](HKEY key) { return static_cast<LONG_PTR>(reinterpret_cast<ULONG_PTR>(key)); };
  EXPECT_EQ(value(RootKeyHandle(hkCurrentConfig)), static_cast<LONG>(0x80000005));
  EXPECT_EQ(value(RootKeyHandle(hkDynData)), static_cast<LONG>(0x80000006));
}

TEST(Variant, ConvertsToBooleanAsTheSettingsNeed) {
  EXPECT_TRUE(VarToBool(TVariant(std::int32_t{-1})));
  EXPECT_FALSE(VarToBool(TVariant(std::int32_t{0})));
  EXPECT_FALSE(VarToBool(TVariant()));
  EXPECT_TRUE(VarToBool(TVariant("True")));
  EXPECT_TRUE(VarToBool(TVariant::Date(1.0)));
  EXPECT_THROW(VarToBool(TVariant("maybe")), EVariantError);
  EXPECT_THROW(VarToBool(TVariant::Null()), EVariantError);
  EXPECT_EQ(VarToStr(TVariant::Null()), "");
  EXPECT_EQ(VarToStr(TVariant(std::int32_t{12})), "12");
}

}  // namespace
}  // namespace zv::test
