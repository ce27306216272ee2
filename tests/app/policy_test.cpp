#include "app/LegacyDefaultMode.h"
#include "app/Policy.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "RegistryFixture.h"

namespace zv::test {
namespace {

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
      {"10.20.3.1/25", "Wrong"}, {"10.20.3.0/25 ", "Wrong"}, {"010.20.3.0/26", "Wrong"}, {"10.20.3.0/33", "Wrong"},
      {"10.20.3.0/027", "Wrong"}, {"10.20.3.0/-1", "Wrong"}, {"10.20.3/24", "Wrong"}, {"10.20.3.0", "Wrong"},
      {"10.20.3.0/24/28", "Wrong"}, {"256.20.3.0/28", "Wrong"}, {"10.20.3.128/25", ""}, {"x.corp..example.com", "Wrong"},
      {"x.lab corp.example.com", "Wrong"}, {std::string(250, 'x') + ".lab.corp.example.com", "Wrong"}, {"", "Wrong"}});
  const TPolicyKey user = Rules({{"10.20.3.0/28", "UserDesk"}, {"192.168.0.0/16", "UserNet"}, {"home.lan", "Home"}});
  const struct { std::string gateway, suffix, printer; } cases[] = {
      {"10.20.3.1", "", "Floor3"}, {"10.20.3.200", "", "Floor3"}, {"10.20.9.1", "", "Floor"},
      {"10.20.3.1", "lab.corp.example.com", "Floor3"}, {"10.30.0.1", "lab.corp.example.com", "Lab"},
      {"10.30.0.1", "x.lab.corp.example.com", "Lab"}, {"10.30.0.1", "corp.example.com", "Corp"},
      {"10.30.0.1", "notcorp.example.com", ""}, {"10.30.0.1", "example.com", ""},
      {"192.168.1.1", "home.lan", "UserNet"}, {"172.16.0.1", "home.lan", "Home"}, {"172.16.0.1", "corp.example.com", "Corp"},
      {"", "corp.example.com", ""}, {"10.20.3.x", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RulePrinter(machine, user, On(c.gateway, c.suffix)), c.printer) << c.gateway << " " << c.suffix;
  EXPECT_EQ(RulePrinter(Rules({{"0.0.0.0/0", "All"}}), Rules({{"10.1.2.3/32", "One"}}), On("10.1.2.3", "")), "All");
  EXPECT_EQ(RulePrinter({}, Rules({{"10.1.2.3/32", "One"}, {"0.0.0.0/0", "All"}}), On("10.1.2.3", "")), "One");
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

// Just enough XML for the templates: elements, attributes, text, comments; nothing on a tag
// that does not close, or closes another.
struct TElement {
  std::string Name;
  std::map<std::string, std::string> Attributes;
  std::vector<TElement> Children;
  std::string Text;
};
bool ParseXml(const std::string& xml, std::size_t& at, TElement& into) {
  while (at < xml.size()) {
    const std::size_t open = xml.find('<', at);
    if (open == std::string::npos) return into.Name.empty();
    into.Text += xml.substr(at, open - at);
    if (xml.compare(open, 4, "<!--") == 0 || xml.compare(open, 2, "<?") == 0) {
      const std::size_t close = xml.find(xml[open + 1] == '!' ? "-->" : "?>", open);
      if (close == std::string::npos) return false;
      at = close + 2;
      continue;
    }
    if (xml.compare(open, 2, "</") == 0) {
      const std::size_t close = xml.find('>', open);
      at = close + 1;
      return close != std::string::npos && xml.substr(open + 2, close - open - 2) == into.Name;
    }
    std::istringstream tag(xml.substr(open + 1, xml.find('>', open) - open - 1));
    TElement element;
    tag >> element.Name;
    std::string rest((std::istreambuf_iterator<char>(tag)), std::istreambuf_iterator<char>());
    const bool empty = !rest.empty() && rest.back() == '/';
    for (std::size_t i = 0; (i = rest.find('=', i)) != std::string::npos;) {
      std::size_t nameStart = rest.find_last_of(" \n\t", i) + 1, quote = rest.find('"', i), end = rest.find('"', quote + 1);
      if (quote != i + 1 || end == std::string::npos) return false;
      element.Attributes[rest.substr(nameStart, i - nameStart)] = rest.substr(quote + 1, end - quote - 1);
      i = end;
    }
    at = xml.find('>', open) + 1;
    if (!empty && !ParseXml(xml, at, element)) return false;
    into.Children.push_back(std::move(element));
  }
  return into.Name.empty();
}
TElement ReadXml(const std::string& file) {
  // The tests run under Wine, whose drive Z: is the Linux root.
  std::ifstream in("Z:" ZORVANE_SOURCE_DIR "/policy/" + file);
  std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TElement root;
  std::size_t at = 0;
  EXPECT_TRUE(!xml.empty() && ParseXml(xml, at, root) && root.Children.size() == 1) << file << ": not well formed";
  return root.Children.empty() ? TElement() : root.Children[0];
}
void Walk(const TElement& element, const std::function<void(const TElement&)>& visit) {
  visit(element);
  for (const TElement& child : element.Children) Walk(child, visit);
}

// The templates declare what the program reads from the policy keys, all of it and nothing else,
// for the machine and the user; every text and presentation they name is in the language file.
TEST(PolicyTemplates, DeclareExactlyTheKeysAndValuesTheProgramReads) {
  const TElement admx = ReadXml("Zorvane.admx"), adml = ReadXml("en-US/Zorvane.adml");
  EXPECT_EQ(admx.Attributes.at("schemaVersion"), "1.0");
  std::set<std::string> declared, read{std::string(kPolicyKey) + "\\" + kPolicyNetworksKey + " (list)"}, resources, named;
  for (const TForcedRow& row : kForcedRows) read.insert(std::string(kPolicyKey) + " " + row.Name);
  read.insert(std::string(kPolicyKey) + " " + kKeepManagingPolicy);
  Walk(adml, [&](const TElement& e) {
    if (e.Attributes.count("id")) resources.insert((e.Name == "string" ? "$(string." : "$(presentation.") + e.Attributes.at("id") + ")");
    if (e.Attributes.count("refId")) resources.insert("element " + e.Attributes.at("refId"));
  });
  Walk(admx, [&](const TElement& e) {
    for (const auto& [name, value] : e.Attributes)
      if (value.rfind("$(", 0) == 0) named.insert(value);
    if (e.Name == "list") {
      EXPECT_EQ(e.Attributes.count("explicitValue") ? e.Attributes.at("explicitValue") : "", "true");
      declared.insert(e.Attributes.at("key") + " (list)");
      named.insert("element " + e.Attributes.at("id"));
    }
    if (e.Name != "policy") return;
    EXPECT_EQ(e.Attributes.at("class"), "Both") << e.Attributes.at("name");
    if (!e.Attributes.count("valueName")) return;
    declared.insert(e.Attributes.at("key") + " " + e.Attributes.at("valueName"));
    std::string values;
    for (const TElement& child : e.Children)
      if (!child.Children.empty()) values += child.Name + "=" + child.Children[0].Name + ":" + child.Children[0].Attributes.at("value") + " ";
    EXPECT_EQ(values, "enabledValue=decimal:1 disabledValue=decimal:0 ") << e.Attributes.at("name");
  });
  EXPECT_EQ(declared, read);
  for (const std::string& name : named) EXPECT_TRUE(resources.count(name)) << name << " is not in Zorvane.adml";
}

}  // namespace
}  // namespace zv::test
