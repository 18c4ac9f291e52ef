#include "wizard/form_text.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <limits>
#include <utility>

#include "script/ansi_text.h"
#include "script/integer_text.h"

namespace qm {

namespace {

// How much of an offending token an error text shows.
constexpr std::size_t kShownTokenLength = 32;
constexpr std::uint32_t kHighestCharacterCode = 0xFFFF;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// The designer's binary form begins so; a file in that form is not ours to read.
constexpr std::string_view kBinaryFormSignature = "TPF0";

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_name_char(char c) { return is_letter(c) || is_digit(c); }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string shown(std::string_view token) {
  if (token.size() <= kShownTokenLength) return "'" + std::string(token) + "'";
  return "'" + std::string(token.substr(0, kShownTokenLength)) + "...'";
}

std::string file_name_of(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// A string value being built: bytes as written, and the characters of
// "#nnn" escapes above 127 gathered until a byte follows, so that the
// converter sees whole runs (a surrogate pair is two escapes).
class StringBuilder {
 public:
  explicit StringBuilder(const WideTextConverter& to_ansi) : to_ansi_(to_ansi) {}

  void add_byte(char c) {
    flush();
    text_ += c;
  }
  void add_wide(char16_t c) { wide_ += c; }
  std::size_t size() const { return text_.size() + wide_.size(); }
  std::string take() {
    flush();
    return std::move(text_);
  }

 private:
  void flush() {
    if (wide_.empty()) return;
    text_ += to_ansi_(wide_);
    wide_.clear();
  }

  const WideTextConverter& to_ansi_;
  std::string text_;
  std::u16string wide_;
};

class FormTextReader {
 public:
  FormTextReader(std::string_view text, std::string_view source_name, const FormTextOptions& options)
      : text_(text), source_name_(source_name), options_(options), limits_(options.limits) {}

  FormComponent read() {
    if (text_.starts_with(kByteOrderMark)) pos_ = kByteOrderMark.size();
    if (text_.substr(pos_).starts_with(kBinaryFormSignature))
      refuse("the dialog definition is in the designer's binary form, not in its text form");
    skip_blanks();
    if (component_kind(peek_word()) == std::nullopt)
      fail("a component ('object', 'inherited' or 'inline')");
    FormComponent form = read_component(1);
    skip_blanks();
    if (!at_end()) fail("the end of the file after the last 'end'");
    return form;
  }

 private:
  // ---- Errors ----

  [[noreturn]] void refuse(std::string_view sentence) const {
    throw FormTextError(source_name_ + ", line " + std::to_string(line_) + ": " + std::string(sentence));
  }

  [[noreturn]] void fail(std::string_view expected) const {
    refuse(std::string(expected) + " was expected, found " + found_here());
  }

  // The token at the current place, as the user would find it in the file.
  std::string found_here() const {
    if (at_end()) return "the end of the file";
    const char c = text_[pos_];
    if (c == '\r' || c == '\n') return "the end of the line";
    if (is_letter(c)) return shown(run_from(pos_, [](char x) { return is_name_char(x) || x == '.'; }));
    if (is_digit(c) || c == '-' || c == '+' || c == '$')
      return shown(run_from(pos_ + 1, [](char x) { return is_name_char(x) || x == '.'; }, 1));
    if (c == '\'') {
      const auto in_quotes = [](char x) { return x != '\'' && x != '\r' && x != '\n'; };
      return "the string " + std::string(run_from(pos_ + 1, in_quotes, 1, 1));
    }
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || code >= 0x7F) return "the character #" + std::to_string(code);
    return shown(std::string_view(&text_[pos_], 1));
  }

  // The text from `from - before` through the run of characters that pass
  // `belongs`, and `after` more characters when the text has them.
  template <typename Belongs>
  std::string_view run_from(std::size_t from, Belongs belongs, std::size_t before = 0, std::size_t after = 0) const {
    std::size_t end = from;
    while (end < text_.size() && end - from <= kShownTokenLength && belongs(text_[end])) ++end;
    end = std::min(end + after, text_.size());
    return text_.substr(from - before, end - (from - before));
  }

  // ---- The cursor ----

  bool at_end() const { return pos_ >= text_.size(); }
  char peek() const { return at_end() ? '\0' : text_[pos_]; }
  bool at(char c) const { return !at_end() && text_[pos_] == c; }
  char peek_next() const { return pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0'; }

  void skip_blanks() {
    while (!at_end() && is_blank(text_[pos_])) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
  }

  // The name at the current place (parts joined by "."), not consumed; empty
  // when no name begins here.
  std::string_view peek_word() const {
    std::size_t end = pos_;
    while (end < text_.size() && is_letter(text_[end])) {
      while (end < text_.size() && is_name_char(text_[end])) ++end;
      if (end + 1 < text_.size() && text_[end] == '.' && is_letter(text_[end + 1])) ++end;
    }
    return text_.substr(pos_, end - pos_);
  }

  std::string read_word() {
    const std::string_view word = peek_word();
    if (word.size() > limits_.max_name_length)
      refuse("the name " + shown(word) + " is longer than " + std::to_string(limits_.max_name_length) +
             " characters");
    pos_ += word.size();
    return std::string(word);
  }

  bool at_keyword(std::string_view keyword) const { return ascii_equal_ignore_case(peek_word(), keyword); }

  // ---- Bounds ----

  void enter_level(std::size_t depth) const {
    if (depth > limits_.max_depth)
      refuse("components, lists and collections are nested more than " + std::to_string(limits_.max_depth) +
             " levels deep");
  }

  void count_value() {
    if (++values_ > limits_.max_values)
      refuse("the dialog definition holds more than " + std::to_string(limits_.max_values) + " values");
  }

  // ---- Components ----

  static std::optional<ComponentKind> component_kind(std::string_view word) {
    if (ascii_equal_ignore_case(word, "object")) return ComponentKind::kObject;
    if (ascii_equal_ignore_case(word, "inherited")) return ComponentKind::kInherited;
    if (ascii_equal_ignore_case(word, "inline")) return ComponentKind::kInline;
    return std::nullopt;
  }

  static bool is_block_keyword(std::string_view word) {
    return component_kind(word) || ascii_equal_ignore_case(word, "end");
  }

  FormComponent read_component(std::size_t depth) {
    enter_level(depth);
    if (++components_ > limits_.max_components)
      refuse("the dialog definition holds more than " + std::to_string(limits_.max_components) + " components");
    FormComponent component;
    component.line = line_;
    component.kind = *component_kind(peek_word());
    pos_ += peek_word().size();
    read_component_header(component);
    for (;;) {
      skip_blanks();
      const std::string_view word = peek_word();
      if (ascii_equal_ignore_case(word, "end")) {
        pos_ += word.size();
        return component;
      }
      if (component_kind(word)) {
        component.children.push_back(read_component(depth + 1));
      } else if (!word.empty()) {
        component.properties.push_back(read_property(depth));
      } else if (at_end()) {
        fail("'end' of " + component_label(component));
      } else {
        fail("a property, a component or 'end'");
      }
    }
  }

  static std::string component_label(const FormComponent& component) {
    const std::string& label = component.name.empty() ? component.class_name : component.name;
    return shown(label) + " (line " + std::to_string(component.line) + ")";
  }

  // [name ":"] class ["[" index "]"]
  void read_component_header(FormComponent& component) {
    skip_blanks();
    std::string first = read_word();
    if (first.empty()) fail("a component name or class name");
    skip_blanks();
    if (at(':')) {
      ++pos_;
      skip_blanks();
      component.name = std::move(first);
      component.class_name = read_word();
      if (component.class_name.empty()) fail("a class name");
      skip_blanks();
    } else {
      component.class_name = std::move(first);
    }
    if (at('[')) component.index = read_ordinal();
  }

  // "[" integer "]"
  std::int64_t read_ordinal() {
    ++pos_;
    skip_blanks();
    if (!is_digit(peek()) && !at('-') && !at('+') && !at('$')) fail("an index number");
    const FormValue number = read_number();
    if (kind_of(number) != FormValueKind::kInteger) fail("an index number");
    skip_blanks();
    if (!at(']')) fail("']'");
    ++pos_;
    return std::get<std::int64_t>(number.data);
  }

  FormProperty read_property(std::size_t depth) {
    count_value();
    FormProperty property;
    property.name = read_word();
    skip_blanks();
    if (!at('=')) fail("'=' after " + shown(property.name));
    ++pos_;
    property.value = read_value(depth);
    return property;
  }

  // ---- Values ----

  FormValue read_value(std::size_t depth) {
    skip_blanks();
    const char c = peek();
    if (c == '\'' || c == '#') return {read_string()};
    if (is_digit(c) || c == '-' || c == '+' || c == '$') return read_number();
    // A keyword here means the value was left out: "Caption =" before "end".
    if (is_letter(c) && !is_block_keyword(peek_word())) return {FormIdentifier{read_word()}};
    if (c == '[') return {read_set()};
    if (c == '(') return {read_list(depth + 1)};
    if (c == '{') return {read_binary()};
    if (c == '<') return {read_collection(depth + 1)};
    fail("a property value");
  }

  // piece { piece } { "+" piece { piece } }
  std::string read_string() {
    StringBuilder text(options_.to_ansi);
    for (;;) {
      while (at('\'') || at('#')) {
        if (at('\'')) {
          read_quoted(text);
        } else {
          read_character_code(text);
        }
        check_string_size(text.size());
      }
      skip_blanks();
      if (!at('+')) break;
      ++pos_;
      skip_blanks();
      if (!at('\'') && !at('#')) fail("a string after '+'");
    }
    std::string result = text.take();
    // A converter may give more than a byte for a character.
    check_string_size(result.size());
    return result;
  }

  void check_string_size(std::size_t size) const {
    if (size > limits_.max_string_bytes)
      refuse("a string is longer than " + std::to_string(limits_.max_string_bytes) +
             " bytes, the most one text of a dialog may hold");
  }

  // "'" { character | "''" } "'", on one line.
  void read_quoted(StringBuilder& text) {
    ++pos_;
    for (;;) {
      if (at_end() || at('\r') || at('\n')) fail("a closing quote");
      const char c = text_[pos_++];
      if (c == '\'') {
        if (!at('\'')) return;
        ++pos_;
      }
      text.add_byte(c);
      if ((text.size() & 0xFFFF) == 0) check_string_size(text.size());
    }
  }

  // "#" decimal | "#$" hexadecimal
  void read_character_code(StringBuilder& text) {
    ++pos_;
    const bool hex = at('$');
    if (hex) ++pos_;
    const std::size_t start = pos_;
    std::uint32_t code = 0;
    while (!at_end() && (hex ? hex_digit_value(peek()) >= 0 : is_digit(peek()))) {
      const int digit = hex ? hex_digit_value(peek()) : peek() - '0';
      if (code <= kHighestCharacterCode) code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
      ++pos_;
    }
    if (pos_ == start) fail(hex ? "hexadecimal digits after '#$'" : "a character code after '#'");
    if (code > kHighestCharacterCode) {
      pos_ = start - (hex ? 2 : 1);
      refuse("the character code " + shown(run_from(start, [](char x) { return is_name_char(x); }, hex ? 2 : 1)) +
             " is out of range (0 to 65535)");
    }
    if (code < 0x80) {
      text.add_byte(static_cast<char>(code));
    } else {
      text.add_wide(static_cast<char16_t>(code));
    }
  }

  // Integers and floats; the sign belongs to the number.
  FormValue read_number() {
    const std::size_t start = pos_;
    const bool negative = at('-');
    if (at('-') || at('+')) ++pos_;
    if (at('$')) return read_hex_integer(start, negative);
    if (!is_digit(peek())) fail("a digit after the sign");
    while (is_digit(peek())) ++pos_;
    bool is_float = false;
    if (at('.') && is_digit(peek_next())) {
      is_float = true;
      ++pos_;
      while (is_digit(peek())) ++pos_;
    }
    if ((at('e') || at('E')) && (is_digit(peek_next()) || peek_next() == '+' || peek_next() == '-')) {
      const std::size_t exponent = pos_;
      ++pos_;
      if (at('+') || at('-')) ++pos_;
      if (is_digit(peek())) {
        is_float = true;
        while (is_digit(peek())) ++pos_;
      } else {
        pos_ = exponent;
      }
    }
    const std::string_view written = text_.substr(start, pos_ - start);
    check_number_length(start, written);
    if (is_float) {
      // The designer marks singles, currencies and dates by a letter after the digits.
      if ((at('s') || at('S') || at('c') || at('C') || at('d') || at('D')) && !is_name_char(peek_next())) ++pos_;
      return {read_float(start, written)};
    }
    return {read_decimal_integer(start, written, negative)};
  }

  void check_number_length(std::size_t start, std::string_view written) {
    if (written.size() > limits_.max_name_length) out_of_range(start, written);
  }

  [[noreturn]] void out_of_range(std::size_t start, std::string_view written) {
    pos_ = start;
    refuse("the number " + shown(written) + " is out of range");
  }

  std::int64_t read_decimal_integer(std::size_t start, std::string_view written, bool negative) {
    std::uint64_t magnitude = 0;
    const std::uint64_t most = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    for (char c : written) {
      if (!is_digit(c)) continue;
      const auto digit = static_cast<std::uint64_t>(c - '0');
      if (magnitude > (most - digit) / 10) out_of_range(start, written);
      magnitude = magnitude * 10 + digit;
    }
    // Negated as unsigned: the most negative value has no positive counterpart.
    return static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
  }

  // Hexadecimal digits are a 64-bit pattern, so "$FFFFFFFFFFFFFFFF" is -1.
  FormValue read_hex_integer(std::size_t start, bool negative) {
    ++pos_;
    const std::size_t digits_start = pos_;
    while (hex_digit_value(peek()) >= 0) ++pos_;
    const std::string_view written = text_.substr(start, pos_ - start);
    if (pos_ == digits_start) fail("hexadecimal digits after '$'");
    check_number_length(start, written);
    std::string_view digits = text_.substr(digits_start, pos_ - digits_start);
    digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.size() > 16) out_of_range(start, written);
    std::uint64_t pattern = 0;
    for (char c : digits) pattern = pattern << 4 | static_cast<std::uint64_t>(hex_digit_value(c));
    return {static_cast<std::int64_t>(negative ? 0 - pattern : pattern)};
  }

  double read_float(std::size_t start, std::string_view written) {
    std::string_view digits = written;
    if (digits.starts_with('+')) digits.remove_prefix(1);
    double number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) out_of_range(start, written);
    return number;
  }

  // "[" [identifier { "," identifier }] "]"
  FormSet read_set() {
    FormSet set;
    ++pos_;
    skip_blanks();
    if (at(']')) {
      ++pos_;
      return set;
    }
    for (;;) {
      skip_blanks();
      std::string element = read_word();
      if (element.empty()) fail("the name of a set element");
      count_value();
      set.elements.push_back(std::move(element));
      skip_blanks();
      if (at(']')) break;
      if (!at(',')) fail("',' or ']'");
      ++pos_;
    }
    ++pos_;
    return set;
  }

  // "(" { value } ")"
  FormList read_list(std::size_t depth) {
    enter_level(depth);
    const std::size_t begin_line = line_;
    FormList list;
    ++pos_;
    for (;;) {
      skip_blanks();
      if (at(')')) break;
      if (at_end()) fail("')' closing the list of line " + std::to_string(begin_line));
      count_value();
      list.items.push_back(read_value(depth));
    }
    ++pos_;
    return list;
  }

  // "{" hexadecimal digit pairs, blanks and line ends anywhere "}"
  FormBinary read_binary() {
    const std::size_t begin_line = line_;
    FormBinary binary;
    ++pos_;
    int high = -1;  // the first digit of a pair, once read
    for (;;) {
      skip_blanks();
      if (at('}')) break;
      if (at_end()) fail("'}' closing the binary data of line " + std::to_string(begin_line));
      const int digit = hex_digit_value(peek());
      if (digit < 0) fail("a hexadecimal digit or '}'");
      ++pos_;
      if (high < 0) {
        high = digit;
        continue;
      }
      if (binary.bytes.size() >= limits_.max_binary_bytes)
        refuse("binary data is longer than " + std::to_string(limits_.max_binary_bytes) +
               " bytes, the most one value of a dialog may hold");
      binary.bytes.push_back(static_cast<std::uint8_t>(high << 4 | digit));
      high = -1;
    }
    if (high >= 0) refuse("the binary data has an odd number of hexadecimal digits");
    ++pos_;
    return binary;
  }

  // "<" { "item" ["[" integer "]"] { property } "end" } ">"
  FormCollection read_collection(std::size_t depth) {
    enter_level(depth);
    const std::size_t begin_line = line_;
    FormCollection collection;
    ++pos_;
    for (;;) {
      skip_blanks();
      if (at('>')) break;
      if (at_end()) fail("'>' closing the collection of line " + std::to_string(begin_line));
      if (!at_keyword("item")) fail("'item' or '>'");
      count_value();
      collection.items.push_back(read_collection_item(depth));
    }
    ++pos_;
    return collection;
  }

  FormCollectionItem read_collection_item(std::size_t depth) {
    const std::size_t begin_line = line_;
    FormCollectionItem item;
    pos_ += peek_word().size();
    skip_blanks();
    if (at('[')) item.ordinal = read_ordinal();
    for (;;) {
      skip_blanks();
      const std::string_view word = peek_word();
      if (ascii_equal_ignore_case(word, "end")) {
        pos_ += word.size();
        return item;
      }
      if (word.empty()) {
        if (at_end()) fail("'end' of the collection item of line " + std::to_string(begin_line));
        fail("a property or 'end'");
      }
      item.properties.push_back(read_property(depth));
    }
  }

  std::string_view text_;
  std::string source_name_;
  const FormTextOptions& options_;
  const FormTextLimits& limits_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::size_t components_ = 0;
  std::size_t values_ = 0;
};

}  // namespace

std::string latin1_from_utf16(std::u16string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pair) ++i;
    result += c <= 0xFF ? static_cast<char>(c) : '?';
  }
  return result;
}

FormComponent parse_form_text(std::string_view text, std::string_view source_name, const FormTextOptions& options) {
  return FormTextReader(text, source_name, options).read();
}

FormComponent read_form_file(const std::string& path, const FormTextOptions& options) {
  const std::string name = file_name_of(path);
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) throw FormTextError("The dialog definition " + path + " cannot be opened.");
  const std::streamoff size = file.tellg();
  if (size < 0) throw FormTextError("The dialog definition " + path + " cannot be read.");
  if (static_cast<std::uint64_t>(size) > options.limits.max_file_bytes)
    throw FormTextError(name + ": the file is larger than " + std::to_string(options.limits.max_file_bytes) +
                        " bytes, the most a dialog definition may be");
  std::string content(static_cast<std::size_t>(size), '\0');
  file.seekg(0);
  if (!file.read(content.data(), static_cast<std::streamsize>(content.size())))
    throw FormTextError("The dialog definition " + path + " cannot be read.");
  return parse_form_text(content, name, options);
}

}  // namespace qm
