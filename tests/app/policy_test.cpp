#include <fstream>
#include <regex>
#include <set>

#include "Testing.h"

namespace zv::test {

TNetwork On(const std::string& gateway, const std::string& suffix) { return {gateway, suffix, ""}; }
TPolicyKey Rules(std::vector<TNetworkRule> rules) {
  TPolicyKey key;
  key.Rules = std::move(rules);
  return key;
}

// Which rule names the printer: the machine's before the user's, then a subnet before a suffix,
// then the most specific; what cannot be read is skipped, and would have won had it been read.
TEST(RulePrinter, TheMostSpecificRuleOfTheMachineThenOfTheUserAndNothingMalformed) {
  const TPolicyKey machine = Rules({
      {"10.20.0.0/16", "Floor"}, {"10.20.3.0/24", "Floor3"}, {"CORP.example.com", "Corp"},
      {"lab.corp.example.com.", "Lab"}, {"ab.corp.example.com", "Wrong"},  // no label's end: never "lab."
      {".Shop.Example.com", "Shop"}, {"..shop.example.com", "Wrong"},
      {"10.20.3.1/25", "Wrong"}, {"10.20.3.0/25 ", "Wrong"}, {"010.20.3.0/26", "Wrong"}, {"10.20.3.0/33", "Wrong"},
      {"10.20.3.0/027", "Wrong"}, {"10.20.3.0/-1", "Wrong"}, {"10.20.3/24", "Wrong"}, {"10.20.3.0", "Wrong"},
      {"10.20.3.0/24/28", "Wrong"}, {"256.20.3.0/28", "Wrong"}, {"10.20.3.128/25", ""}, {"x.corp..example.com", "Wrong"},
      {"x.lab corp.example.com", "Wrong"}, {std::string(250, 'x') + ".lab.corp.example.com", "Wrong"}, {"", "Wrong"}});
  const TPolicyKey user = Rules({{"10.20.3.0/28", "UserDesk"}, {"192.168.0.0/16", "UserNet"}, {"home.lan", "Home"},
                                 {"home.lan.", "Later"}});  // as specific: the lower name, whatever the order read
  const struct { std::string gateway, suffix, printer; } cases[] = {
      {"10.20.3.1", "", "Floor3"}, {"10.20.3.200", "", "Floor3"}, {"10.20.9.1", "", "Floor"},
      {"10.20.3.1", "lab.corp.example.com", "Floor3"}, {"10.30.0.1", "lab.corp.example.com", "Lab"},
      {"10.30.0.1", "x.lab.corp.example.com", "Lab"}, {"10.30.0.1", "corp.example.com", "Corp"},
      {"10.30.0.1", "notcorp.example.com", ""}, {"10.30.0.1", "example.com", ""},
      {"192.168.1.1", "home.lan", "UserNet"}, {"172.16.0.1", "home.lan", "Home"}, {"172.16.0.1", "corp.example.com", "Corp"},
      {"", "corp.example.com", ""}, {"10.20.3.x", "", ""},
      // Suffixes whole, in any case, with the final dot of a full name, however long.
      {"10.30.0.1", "Till.SHOP.example.com.", "Shop"}, {"10.30.0.1", std::string(180, 'x') + ".shop.example.com", "Shop"},
  };
  for (const auto& c : cases) EXPECT_EQ(RulePrinter(machine, user, On(c.gateway, c.suffix)), c.printer) << c.gateway << " " << c.suffix;
  EXPECT_EQ(RulePrinter(Rules({{"0.0.0.0/0", "Any"}}), {}, On("203.0.113.9", "")), "Any");  // every network
}

// Read as a deployment leaves them: thousands of rules, values of other kinds, long names, and
// options of both keys; the machine's from its 64-bit view, also in the 32-bit program.
TEST(Policy, ReadsEveryRuleAndForcedOptionOnItsOwnFromBothKeys) {
  TTestKey machine{kPolicyKey, HKEY_LOCAL_MACHINE}, user{kPolicyKey};
  for (int i = 0; i < 3000; ++i)
    machine.Set(kPolicyNetworksKey, "10." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ".0/24", "P" + std::to_string(i));
  const std::string longPrinter(5000, 'p');
  machine.Set(kPolicyNetworksKey, "10.60.0.0/16", longPrinter);
  machine.Set(kPolicyNetworksKey, "10.50.0.0/16", "Fifty");
  machine.Set(kPolicyNetworksKey, "10.50.1.0/24", 7);
  machine.Set(kPolicyNetworksKey, "10.50.2.0/24", REG_EXPAND_SZ, "Wrong", 6);
  machine.Set(kPolicyNetworksKey, "10.50.3.0/24", REG_MULTI_SZ, "Wrong\0", 7);
  machine.Set(kPolicyNetworksKey, "10.50.4.0/24", REG_SZ, "", 1);
  user.Set(kPolicyNetworksKey, "home.lan", "Home");
  machine.Set("", "Show Splash Screen", "1");
  machine.Set("", "Show Port Information", 2);
  machine.Set("", "Remember Printer per Network", 0u);
  user.Set("", "Show Splash Screen", 0u);
  user.Set("", "show port information", 1);
  user.Set("", "Remember Printer per Network", 1);
  TPolicy policy;
  policy.Read();
  const std::pair<std::string, std::string> cases[] = {
      {"10.11.249.1", "P2999"}, {"10.0.0.1", "P0"}, {"10.60.1.1", longPrinter}, {"10.50.1.1", "Fifty"},
      {"10.50.2.1", "Fifty"}, {"10.50.3.1", "Fifty"}, {"10.50.4.1", "Fifty"}, {"10.12.0.1", "Home"}};
  for (const auto& [gateway, printer] : cases) EXPECT_EQ(policy.PrinterFor(On(gateway, "home.lan")), printer) << gateway;
  const TOptions forced = policy.Overlay({true, true, true});
  EXPECT_EQ(std::make_tuple(forced.ShowPortInfo, forced.ShowSplash, forced.RememberPerNetwork), std::make_tuple(true, false, false));
  machine.Remove();
  user.Remove();
  policy.ReadRules();  // the rules only: the options stay as read until the policy's notice
  EXPECT_EQ(policy.PrinterFor(On("10.0.0.1", "")), "");
  EXPECT_TRUE(policy.Forced(&TOptions::ShowSplash).has_value());
  policy.Read();
  EXPECT_FALSE(policy.Forced(&TOptions::ShowSplash).has_value());
}

std::string ReadTemplate(const std::string& file) {
  // The tests run under Wine, whose drive Z: is the Linux root.
  std::ifstream in("Z:" ZORVANE_SOURCE_DIR "/policy/" + file);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
// The attributes of every element NAME.
std::vector<std::map<std::string, std::string>> Elements(const std::string& xml, const std::string& name) {
  std::vector<std::map<std::string, std::string>> found;
  const std::regex element("<" + name + R"(\s([^>]*?)/?>)"), attribute(R"x(([\w:]+)="([^"]*)")x");
  for (std::sregex_iterator i(xml.begin(), xml.end(), element), end; i != end; ++i) {
    const std::string tag = (*i)[1];
    auto& attributes = found.emplace_back();
    for (std::sregex_iterator a(tag.begin(), tag.end(), attribute); a != end; ++a) attributes[(*a)[1]] = (*a)[2];
  }
  return found;
}

// The templates declare what the program reads from the policy keys, all of it and nothing else;
// every text and presentation they name is in the language file.
TEST(PolicyTemplates, DeclareExactlyTheKeysAndValuesTheProgramReads) {
  const std::string admx = ReadTemplate("Zorvane.admx"), adml = ReadTemplate("en-US/Zorvane.adml");
  ASSERT_FALSE(admx.empty() || adml.empty());
  std::set<std::string> declared, read{std::string(kPolicyKey) + "\\" + kPolicyNetworksKey + " (list)"};
  for (const TForcedRow& row : kForcedRows) read.insert(std::string(kPolicyKey) + " " + row.Name);
  read.insert(std::string(kPolicyKey) + " " + kKeepManagingPolicy);
  for (auto& list : Elements(admx, "list")) {
    declared.insert(list["key"] + " (list)");
    EXPECT_NE(adml.find("refId=\"" + list["id"] + "\""), std::string::npos) << list["id"];
  }
  for (auto& policy : Elements(admx, "policy"))
    if (policy.count("valueName")) declared.insert(policy["key"] + " " + policy["valueName"]);
  EXPECT_EQ(declared, read);
  const std::regex named(R"(\$\((string|presentation)\.(\w+)\))");
  for (std::sregex_iterator i(admx.begin(), admx.end(), named), end; i != end; ++i)
    EXPECT_NE(adml.find("<" + (*i)[1].str() + " id=\"" + (*i)[2].str() + "\""), std::string::npos) << (*i)[0];
  // Every policy says where it applies, from the templates' own definitions; its name is a
  // sentence, as the editor's are; rules deployed beside the list survive each refresh.
  std::set<std::string> definitions;
  for (auto& definition : Elements(admx, "definition")) definitions.insert(definition["name"]);
  const std::regex policy(R"x(<policy\s[^>]*displayName="\$\(string\.(\w+)\)"[^>]*>([\s\S]*?)</policy>)x"),
      supportedOn(R"x(<supportedOn ref="(\w+)")x"), capitalInside(R"(\s(?!Windows\b)[A-Z])");
  for (std::sregex_iterator i(admx.begin(), admx.end(), policy), end; i != end; ++i) {
    const std::string body = (*i)[2], name = (*i)[1];
    std::smatch found;
    EXPECT_TRUE(std::regex_search(body, found, supportedOn) && definitions.count(found[1])) << name;
    std::regex_search(adml, found, std::regex("<string id=\"" + name + "\">([^<]*)<"));
    EXPECT_FALSE(std::regex_search(found[1].str(), capitalInside)) << found[1];
  }
  for (auto& list : Elements(admx, "list")) EXPECT_EQ(list["additive"], "true") << list["id"];
}

}  // namespace zv::test
