#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "wizard/form_text.h"
#include "wizard/form_tree.h"

namespace qm {
namespace {

FormValue str(std::string text) { return {std::move(text)}; }
FormValue num(std::int64_t number) { return {number}; }
FormValue ident(std::string name) { return {FormIdentifier{std::move(name)}}; }

FormComponent parse(std::string_view text, const FormTextOptions& options = {}) {
  return parse_form_text(text, "setup_welcome.dfm", options);
}

// The value of the only property of a form holding just that property.
FormValue value_of(const std::string& value_text, const FormTextOptions& options = {}) {
  const FormComponent form = parse("object Form1: TPoolTemplate\n  Value = " + value_text + "\nend\n", options);
  EXPECT_EQ(form.properties.size(), 1u) << value_text;
  return form.properties.empty() ? FormValue{} : form.properties.front().value;
}

std::string error_of(std::string_view text, const FormTextOptions& options = {}) {
  try {
    parse(text, options);
  } catch (const FormTextError& error) {
    return error.what();
  }
  return "(read without error)";
}

TEST(FormTextTest, ReadsEveryKindOfValue) {
  struct Case {
    std::string text;
    FormValue value;
  };
  const std::vector<Case> cases = {
      {"'Welcome'", str("Welcome")},
      {"''", str("")},
      {"'It''s'", str("It's")},
      {"'a'#13#10'b'", str("a\r\nb")},
      {"#$41#$62'c'", str("Abc")},
      {"#0", str(std::string(1, '\0'))},
      {"'first ' +\n    'second'", str("first second")},
      {"'one'#9 +\n  #39'two'#39", str("one\t'two'")},
      {"'\xE4 as written'", str("\xE4 as written")},
      {"0", num(0)},
      {"462", num(462)},
      {"-15", num(-15)},
      {"+7", num(7)},
      {"$FF", num(255)},
      {"-$10", num(-16)},
      {"$FFFFFFFFFFFFFFFF", num(-1)},
      {"9223372036854775807", num(9223372036854775807)},
      {"-9223372036854775808", num(-9223372036854775807 - 1)},
      {"1.5", {1.5}},
      {"-2.25E-3", {-2.25e-3}},
      {"1E20", {1e20}},
      {"12.5s", {12.5}},
      {"True", ident("True")},
      {"clBtnFace", ident("clBtnFace")},
      {"Form1.ImageList1", ident("Form1.ImageList1")},
      {"[]", {FormSet{}}},
      {"[akLeft, akTop]", {FormSet{{"akLeft", "akTop"}}}},
      {"[fsBold]", {FormSet{{"fsBold"}}}},
      {"()", {FormList{}}},
      {"(\n    'Line 1'\n    'Line 2'\n    3)", {FormList{{str("Line 1"), str("Line 2"), num(3)}}}},
      {"( ( 1 2 ) 'x' )", {FormList{{FormValue{FormList{{num(1), num(2)}}}, str("x")}}}},
      {"{}", {FormBinary{}}},
      {"{\n    0A1B ff\n    20}", {FormBinary{{0x0A, 0x1B, 0xFF, 0x20}}}},
      {"<>", {FormCollection{}}},
      {"<\n    item\n      Caption = 'Name'\n      Width = 120\n    end\n    item\n    end>",
       {FormCollection{{{std::nullopt, {{"Caption", str("Name")}, {"Width", num(120)}}}, {std::nullopt, {}}}}}},
      {"<\n    item [3]\n      Text = 'x'\n    end>", {FormCollection{{{3, {{"Text", str("x")}}}}}}},
  };
  for (const Case& c : cases) EXPECT_EQ(value_of(c.text), c.value) << c.text;
}

TEST(FormTextTest, ReadsTheComponentTreeInFileOrder) {
  const FormComponent form = parse(
      "object PoolTemplate1: TPoolTemplate\n"
      "  Left = 10\n"
      "  Font.Name = 'Tahoma'\n"
      "  object Panel1: TPanel\n"
      "    Align = alClient\n"
      "    object Label1: TLabel\n"
      "      Caption = 'Hello'\n"
      "    end\n"
      "    inherited Edit1: TEdit [2]\n"
      "    end\n"
      "  end\n"
      "  INLINE Frame1: TFrame1\n"
      "  End\n"
      "  object cmpFormDesigner: TRFDesigner\n"
      "  end\n"
      "end\n");

  EXPECT_EQ(form.kind, ComponentKind::kObject);
  EXPECT_EQ(form.name, "PoolTemplate1");
  EXPECT_EQ(form.class_name, "TPoolTemplate");
  EXPECT_EQ(form.line, 1u);
  ASSERT_EQ(form.properties.size(), 2u);
  EXPECT_EQ(form.properties[1], (FormProperty{"Font.Name", str("Tahoma")}));
  ASSERT_EQ(form.children.size(), 3u);
  const FormComponent& panel = form.children[0];
  EXPECT_EQ(panel.name, "Panel1");
  EXPECT_EQ(panel.line, 4u);
  ASSERT_EQ(panel.children.size(), 2u);
  EXPECT_EQ(panel.children[0].class_name, "TLabel");
  EXPECT_EQ(panel.children[1].kind, ComponentKind::kInherited);
  EXPECT_EQ(panel.children[1].index, 2);
  EXPECT_EQ(form.children[1].kind, ComponentKind::kInline);
  EXPECT_EQ(form.children[1].class_name, "TFrame1");
  EXPECT_TRUE(form.children[2].is_form_designer());
  EXPECT_FALSE(panel.is_form_designer());
}

TEST(FormTextTest, ReadsTheAnonymousFormAndSkipsAByteOrderMark) {
  const FormComponent form = parse("\xEF\xBB\xBFobject TPoolTemplate\r\n  Tag = 1\r\nend");
  EXPECT_EQ(form.name, "");
  EXPECT_EQ(form.class_name, "TPoolTemplate");
  EXPECT_EQ(form.property_text("Tag"), "1");
}

TEST(FormTextTest, WideCharactersGoThroughTheConverterInRuns) {
  // Without a converter: Latin-1 characters keep their byte, others become '?'
  // (a surrogate pair is one character).
  EXPECT_EQ(value_of("'x'#228#8364#55357#56832'y'"), str("x\xE4??y"));
  EXPECT_EQ(value_of("#127"), str("\x7F"));

  std::vector<std::u16string> runs;
  FormTextOptions options;
  options.to_ansi = [&](std::u16string_view run) {
    runs.emplace_back(run);
    return std::string("<") + std::to_string(run.size()) + ">";
  };
  EXPECT_EQ(value_of("#1040#1041'-'#1042#65'z'", options), str("<2>-<1>Az"));
  EXPECT_EQ(runs, (std::vector<std::u16string>{u"\u0410\u0411", u"\u0412"}));
}

TEST(FormTextTest, FindsPropertiesAsTheDesignerDoes) {
  const FormComponent form = parse(
      "object Form1: TPoolTemplate\n"
      "  Caption = 'First'\n"
      "  Hint = 'TARGETDIR'\n"
      "  Tag = 2\n"
      "  Visible = False\n"
      "  Anchors = [akLeft, akBottom]\n"
      "  Lines.Strings = (\n    'one'\n    'two')\n"
      "  Ratio = 0.5\n"
      "  Big = 1E20\n"
      "  Picture.Data = {0102}\n"
      "  Columns = <>\n"
      "  caption = 'Second'\n"
      "end\n");
  struct Case {
    std::string name;
    std::optional<std::string> text;
  };
  const std::vector<Case> cases = {
      {"CAPTION", "Second"},  // written twice: the last one is the value
      {"hint", "TARGETDIR"},
      {"Tag", "2"},
      {"Visible", "False"},
      {"Anchors", "akLeft,akBottom"},
      {"Lines.Strings", "one\r\ntwo\r\n"},
      {"Ratio", "0.5"},
      {"Big", "1E20"},
      {"Picture.Data", std::nullopt},
      {"Columns", std::nullopt},
      {"Missing", std::nullopt},
      {"Lines", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(form.property_text(c.name), c.text) << c.name;
  EXPECT_EQ(form.find_property("caption"), &form.properties.back());
}

TEST(FormTextTest, WalksComponentsInOrderAndSkipsTheDesigner) {
  const FormComponent form = parse(
      "object Form1: TPoolTemplate\n"
      "  object Panel1: TPanel\n"
      "    object Edit1: TEdit\n"
      "    end\n"
      "  end\n"
      "  object CMPFORMDESIGNER: TRFDesigner\n"
      "  end\n"
      "  object Button1: TButton\n"
      "  end\n"
      "end\n");
  std::vector<std::string> walked;
  for_each_component(form, [&](const FormComponent& component, std::size_t depth) {
    walked.push_back(component.name + "@" + std::to_string(depth));
  });
  EXPECT_EQ(walked, (std::vector<std::string>{"Panel1@1", "Edit1@2", "CMPFORMDESIGNER@1", "Button1@1"}));

  std::vector<std::string> bound;
  for (const FormComponent* component : bound_components(form)) bound.push_back(component->name);
  EXPECT_EQ(bound, (std::vector<std::string>{"Panel1", "Edit1", "Button1"}));

  ASSERT_NE(form.find_component("edit1"), nullptr);
  EXPECT_EQ(form.find_component("edit1")->class_name, "TEdit");
  EXPECT_EQ(form.find_component("Nothing"), nullptr);
}

TEST(FormTextTest, RefusesBrokenDefinitionsWithFileLineAndWhatWasExpected) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"", "setup_welcome.dfm, line 1: a component ('object', 'inherited' or 'inline') was expected, "
           "found the end of the file"},
      {"form Form1: TForm\nend\n",
       "setup_welcome.dfm, line 1: a component ('object', 'inherited' or 'inline') was expected, found 'form'"},
      {"TPF0\x0cTPoolTemplate", "setup_welcome.dfm, line 1: the dialog definition is in the designer's binary "
                                "form, not in its text form"},
      {"object Form1: TForm\n  Caption =\nend\n",
       "setup_welcome.dfm, line 3: a property value was expected, found 'end'"},
      {"object Form1: TForm\n  Left 10\nend\n", "setup_welcome.dfm, line 2: '=' after 'Left' was expected, found '10'"},
      {"object Form1: TForm\n  Left = @\nend\n",
       "setup_welcome.dfm, line 2: a property value was expected, found '@'"},
      {"object Form1: TForm\n  ; Left = 1\nend\n",
       "setup_welcome.dfm, line 2: a property, a component or 'end' was expected, found ';'"},
      {"object Form1: TForm\n  Caption = 'open\nend\n",
       "setup_welcome.dfm, line 2: a closing quote was expected, found the end of the line"},
      {"object Form1: TForm\n  Caption = 'open", "setup_welcome.dfm, line 2: a closing quote was expected, "
                                                 "found the end of the file"},
      {"object Form1: TForm\n  Caption = 'a' +\nend\n",
       "setup_welcome.dfm, line 3: a string after '+' was expected, found 'end'"},
      {"object Form1: TForm\n  Caption = #\nend\n",
       "setup_welcome.dfm, line 2: a character code after '#' was expected, found the end of the line"},
      {"object Form1: TForm\n  Caption = #65536\nend\n",
       "setup_welcome.dfm, line 2: the character code '#65536' is out of range (0 to 65535)"},
      {"object Form1: TForm\n  Data = {\n    0A1B\n    2C", "setup_welcome.dfm, line 4: '}' closing the binary "
                                                          "data of line 2 was expected, found the end of the file"},
      {"object Form1: TForm\n  Data = {0A1}\nend\n",
       "setup_welcome.dfm, line 2: the binary data has an odd number of hexadecimal digits"},
      {"object Form1: TForm\n  Data = {0A1G}\nend\n",
       "setup_welcome.dfm, line 2: a hexadecimal digit or '}' was expected, found 'G'"},
      {"object Form1: TForm\n  object Panel1: TPanel\n    Left = 1\n",
       "setup_welcome.dfm, line 4: 'end' of 'Panel1' (line 2) was expected, found the end of the file"},
      {"object Form1: TForm\nend\nobject Form2: TForm\nend\n",
       "setup_welcome.dfm, line 3: the end of the file after the last 'end' was expected, found 'object'"},
      {"object Form1: TForm\n  Left = 99999999999999999999\nend\n",
       "setup_welcome.dfm, line 2: the number '99999999999999999999' is out of range"},
      {"object Form1: TForm\n  Left = $10000000000000000\nend\n",
       "setup_welcome.dfm, line 2: the number '$10000000000000000' is out of range"},
      {"object Form1: TForm\n  Ratio = 1E999\nend\n", "setup_welcome.dfm, line 2: the number '1E999' is out of range"},
      {"object Form1: TForm\n  Left = -\nend\n",
       "setup_welcome.dfm, line 2: a digit after the sign was expected, found the end of the line"},
      {"object Form1: TForm\n  Anchors = [akLeft akTop]\nend\n",
       "setup_welcome.dfm, line 2: ',' or ']' was expected, found 'akTop'"},
      {"object Form1: TForm\n  Anchors = [akLeft,]\nend\n",
       "setup_welcome.dfm, line 2: the name of a set element was expected, found ']'"},
      {"object Form1: TForm\n  Items = ( 'a'\n", "setup_welcome.dfm, line 3: ')' closing the list of line 2 was "
                                                 "expected, found the end of the file"},
      {"object Form1: TForm\n  Columns = < Caption = 'x' >\nend\n",
       "setup_welcome.dfm, line 2: 'item' or '>' was expected, found 'Caption'"},
      {"object Form1: TForm\n  Columns = <\n    item\n      Width = 1\n",
       "setup_welcome.dfm, line 5: 'end' of the collection item of line 3 was expected, found the end of the file"},
      {"object Form1: TForm [x]\nend\n", "setup_welcome.dfm, line 1: an index number was expected, found 'x'"},
      {"object Form1: 42\nend\n", "setup_welcome.dfm, line 1: a class name was expected, found '42'"},
      {"object Form1: TForm\n  Left = 1 'x'\nend\n",
       "setup_welcome.dfm, line 2: a property, a component or 'end' was expected, found the string 'x'"},
      {"object Form1: TForm\n  Caption = 'a'\x01\nend\n",
       "setup_welcome.dfm, line 2: a property, a component or 'end' was expected, found the character #1"},
  };
  for (const Case& c : cases) EXPECT_EQ(error_of(c.text), c.error) << c.text;
}

TEST(FormTextTest, LongTokensAreShownCutShort) {
  EXPECT_EQ(error_of("object Form1: TForm\n  Left = " + std::string(40, '9') + "\nend\n"),
            "setup_welcome.dfm, line 2: the number '99999999999999999999999999999999...' is out of range");
}

std::string nested_components(std::size_t levels) {
  std::string text;
  for (std::size_t i = 0; i < levels; ++i) text += "object P" + std::to_string(i) + ": TPanel\n";
  for (std::size_t i = 0; i < levels; ++i) text += "end\n";
  return text;
}

TEST(FormTextTest, BoundsWhatHostileTextCanAskFor) {
  const std::string ten_megabytes(10 * 1024 * 1024, 'x');
  EXPECT_EQ(error_of("object Form1: TForm\n  Caption = '" + ten_megabytes + "'\nend\n"),
            "setup_welcome.dfm, line 2: a string is longer than 1048576 bytes, the most one text of a dialog may "
            "hold");
  // Many pieces, each small.
  std::string pieces;
  for (int i = 0; i < 300000; ++i) pieces += "'abcd'+";
  EXPECT_EQ(error_of("object Form1: TForm\n  Caption = " + pieces + "''\nend\n"),
            "setup_welcome.dfm, line 2: a string is longer than 1048576 bytes, the most one text of a dialog may "
            "hold");

  EXPECT_NO_THROW(parse(nested_components(64)));
  EXPECT_EQ(error_of(nested_components(65)),
            "setup_welcome.dfm, line 65: components, lists and collections are nested more than 64 levels deep");
  EXPECT_EQ(error_of("object Form1: TForm\n  Items = " + std::string(100000, '(') + "\nend\n"),
            "setup_welcome.dfm, line 2: components, lists and collections are nested more than 64 levels deep");

  FormTextOptions small;
  small.limits.max_components = 3;
  small.limits.max_values = 4;
  small.limits.max_binary_bytes = 2;
  EXPECT_EQ(error_of(nested_components(4), small),
            "setup_welcome.dfm, line 4: the dialog definition holds more than 3 components");
  EXPECT_EQ(error_of("object Form1: TForm\n  Items = ( 1 2 3 4 )\nend\n", small),
            "setup_welcome.dfm, line 2: the dialog definition holds more than 4 values");
  EXPECT_EQ(error_of("object Form1: TForm\n  Data = {010203}\nend\n", small),
            "setup_welcome.dfm, line 2: binary data is longer than 2 bytes, the most one value of a dialog may hold");
  EXPECT_EQ(error_of("object F" + std::string(300, 'x') + ": TForm\nend\n"),
            "setup_welcome.dfm, line 1: the name 'Fxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...' is longer than 255 characters");
}

TEST(FormTextTest, ReadsADefinitionFileAndNamesItWithoutItsFolder) {
  test::TempFolder folder;
  test::write_file(folder.file("welcome.dfm"), "object Form1: TPoolTemplate\r\n  Caption = 'Welcome'\r\nend\r\n");
  test::write_file(folder.file("broken.dfm"), "object Form1: TPoolTemplate\r\n  Caption = \r\n");

  EXPECT_EQ(read_form_file(folder.file("welcome.dfm")).property_text("Caption"), "Welcome");
  try {
    read_form_file(folder.file("broken.dfm"));
    ADD_FAILURE() << "a broken definition was read";
  } catch (const FormTextError& error) {
    EXPECT_STREQ(error.what(), "broken.dfm, line 3: a property value was expected, found the end of the file");
  }
  EXPECT_THROW(read_form_file(folder.file("missing.dfm")), FormTextError);

  FormTextOptions small;
  small.limits.max_file_bytes = 10;
  try {
    read_form_file(folder.file("welcome.dfm"), small);
    ADD_FAILURE() << "a file over the limit was read";
  } catch (const FormTextError& error) {
    EXPECT_STREQ(error.what(), "welcome.dfm: the file is larger than 10 bytes, the most a dialog definition may be");
  }
}

}  // namespace
}  // namespace qm
