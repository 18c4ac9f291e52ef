#include "script/expression.h"

#include "script/truth_text.h"

namespace qm {

namespace {

// Any malformation makes the whole expression an error, whatever the other
// terms give, so the parser stops at the first one.
struct Malformed {};

class ExpressionParser {
 public:
  explicit ExpressionParser(std::string_view text) : text_(text) {}

  bool whole_text() {
    const bool value = term();
    skip_blanks();
    if (pos_ != text_.size()) throw Malformed{};
    return value;
  }

 private:
  bool expression() {
    bool value = term();
    for (;;) {
      skip_blanks();
      if (pos_ == text_.size() || text_[pos_] == ')') return value;
      const std::string_view connector = word();
      if (connector == "and") {
        const bool next = term();
        value = value && next;
      } else if (connector == "or") {
        const bool next = term();
        value = value || next;
      } else {
        throw Malformed{};
      }
    }
  }

  bool term() {
    skip_blanks();
    if (pos_ == text_.size()) throw Malformed{};
    if (text_[pos_] == '(') {
      ++pos_;
      if (++depth_ > kMaxNesting) throw Malformed{};
      const bool value = expression();
      --depth_;
      skip_blanks();
      if (pos_ == text_.size() || text_[pos_] != ')') throw Malformed{};
      ++pos_;
      return value;
    }
    if (text_[pos_] == '"') return comparison();
    throw Malformed{};
  }

  bool comparison() {
    const std::string left = quoted();
    skip_blanks();
    const std::string_view op = word();
    skip_blanks();
    if (pos_ == text_.size() || text_[pos_] != '"') throw Malformed{};
    const std::string right = quoted();
    // std::string compares bytes as unsigned values: ordinal order.
    const int order = left.compare(right);
    if (op == "=") return order == 0;
    if (op == "<>") return order != 0;
    if (op == "<=") return order <= 0;
    if (op == "<") return order < 0;
    if (op == ">=") return order >= 0;
    if (op == ">") return order > 0;
    throw Malformed{};
  }

  std::string quoted() {
    ++pos_;  // the opening quote
    std::string value;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c != '"') {
        value += c;
      } else if (pos_ < text_.size() && text_[pos_] == '"') {
        value += '"';
        ++pos_;
      } else {
        return value;
      }
    }
    // No closing quote: the text ran to the end, and no operator can follow.
    return value;
  }

  // The text up to the next blank or double quote.
  std::string_view word() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != '"') ++pos_;
    return text_.substr(start, pos_ - start);
  }

  void skip_blanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }

  // Parentheses nest on the machine stack; a deeper text is treated as
  // malformed rather than allowed to exhaust it.
  static constexpr int kMaxNesting = 1000;

  std::string_view text_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

std::string evaluate_expression(std::string_view text) {
  const std::string enclosed = "(" + std::string(text) + ")";
  try {
    return to_truth_text(ExpressionParser(enclosed).whole_text());
  } catch (const Malformed&) {
    return std::string(kExpressionError);
  }
}

}  // namespace qm
