#include <gtest/gtest.h>

#include <cctype>
#include <map>

#include "wizard/dialog_rules.h"

namespace qm {
namespace {

TEST(DialogRulesTest, RulesAreCutApartByPosition) {
  const struct {
    const char* line;
    DialogRule rule;
  } cases[] = {
      {"IF (CheckBox1.Checked = True)  THEN  Button1.Enabled := True;",
       {"CheckBox1", "Checked", false, "True", "Button1", "Enabled", "True"}},
      {"IF (Edit1.Text <> )  THEN  Next.Enabled := Edit2.Text;",
       {"Edit1", "Text", true, "", "Next", "Enabled", "Edit2.Text"}},
      // A compared value may itself hold " = ": the first one is the operator.
      {"IF (Edit1.Text = a = b)  THEN  Label1.Caption := x;",
       {"Edit1", "Text", false, "a = b", "Label1", "Caption", "x"}},
      // Not the shape the build tool writes: the missing parts stay empty.
      {"IF (CheckBox1.Checked = True) THEN Button1.Enabled := True;", {"CheckBox1", "Checked", false, "", "", "", ""}},
      {"", {}},
      {"IF (", {}},
      {"IF (no dot at all", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_dialog_rule(c.line), c.rule) << c.line;
}

// A page of three controls whose properties are texts.
class FakePage {
 public:
  std::map<std::string, std::string> properties = {
      {"CHECKBOX1.CHECKED", "False"}, {"BUTTON1.ENABLED", "False"}, {"EDIT1.TEXT", "C:\\App"},
      {"EDIT2.TEXT", "copied"}};

  ControlProperties access() {
    return {[this](const std::string& control, const std::string& property) -> std::optional<std::string> {
              const auto found = properties.find(key(control, property));
              if (found == properties.end()) return std::nullopt;
              return found->second;
            },
            [this](const std::string& control, const std::string& property, const std::string& value) {
              const auto found = properties.find(key(control, property));
              if (found != properties.end()) found->second = value;
            }};
  }

 private:
  static std::string key(const std::string& control, const std::string& property) {
    std::string text = control + "." + property;
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }
};

TEST(DialogRulesTest, ATargetFollowsItsSource) {
  const struct {
    const char* checked;
    const char* rule;
    const char* button_enabled;
  } cases[] = {
      {"True", "IF (CheckBox1.Checked = True)  THEN  Button1.Enabled := True;", "True"},
      {"False", "IF (CheckBox1.Checked = True)  THEN  Button1.Enabled := True;", "False"},
      {"true", "IF (CheckBox1.Checked = True)  THEN  Button1.Enabled := True;", "False"},  // exact comparison
      {"False", "IF (CheckBox1.Checked <> True)  THEN  Button1.Enabled := Yes;", "Yes"},
      {"True", "IF (CheckBox1.Checked <> True)  THEN  Button1.Enabled := Yes;", "False"},
      // Values naming another control's property take its text.
      {"False", "IF (CheckBox1.Checked = False)  THEN  Button1.Enabled := Edit2.Text;", "copied"},
      {"False", "IF (Edit1.Text = Edit1.Text)  THEN  Button1.Enabled := Edit2.Text;", "copied"},
      {"False", "IF (CheckBox1.Checked = False)  THEN  Button1.Enabled := Nothing.There;", ""},
      // A source that is not there reads as empty text.
      {"False", "IF (Missing.Checked = )  THEN  Button1.Enabled := True;", "True"},
      {"False", "IF (CheckBox1.Checked = False)  THEN  Missing.Enabled := True;", "False"},
  };
  for (const auto& c : cases) {
    FakePage page;
    page.properties["CHECKBOX1.CHECKED"] = c.checked;
    apply_dialog_rules({c.rule}, page.access());
    EXPECT_EQ(page.properties["BUTTON1.ENABLED"], c.button_enabled) << c.checked << ": " << c.rule;
  }
}

TEST(DialogRulesTest, RulesApplyInOrder) {
  FakePage page;
  apply_dialog_rules({"IF (CheckBox1.Checked = False)  THEN  CheckBox1.Checked := True;",
                      "IF (CheckBox1.Checked = True)  THEN  Button1.Enabled := True;"},
                     page.access());
  EXPECT_EQ(page.properties["BUTTON1.ENABLED"], "True") << "the second rule sees what the first one wrote";
}

}  // namespace
}  // namespace qm
