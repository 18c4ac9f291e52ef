#include "script/secret_text.h"

#include "script/ansi_text.h"
#include "script/integer_text.h"

namespace qm {

namespace {

constexpr unsigned char kKey[16] = {0x51, 0x75, 0x69, 0x6C, 0x6C, 0x6D, 0x6F, 0x72,
                                    0x65, 0x9A, 0x3C, 0xD7, 0x28, 0xB1, 0x46, 0xE3};

unsigned char key_byte(std::size_t position) {
  return static_cast<unsigned char>(kKey[position % sizeof kKey] ^ (position * 31u & 0xFFu));
}

}  // namespace

std::string scramble_secret(std::string_view password) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < password.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(password[i]) ^ key_byte(i);
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

std::optional<std::string> unscramble_secret(std::string_view scrambled) {
  if (scrambled.size() % 2 != 0) return std::nullopt;
  std::string password;
  for (std::size_t i = 0; i < scrambled.size(); i += 2) {
    const int high = hex_digit_value(scrambled[i]);
    const int low = hex_digit_value(scrambled[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    password += static_cast<char>(static_cast<unsigned char>(high << 4 | low) ^ key_byte(i / 2));
  }
  return password;
}

std::optional<std::string> secret_for(const std::vector<std::string>& table, std::string_view name,
                                      bool fall_back_to_offline) {
  for (std::string_view wanted : {name, std::string_view("offline")}) {
    for (std::size_t i = 0; i + 1 < table.size(); i += 2)
      if (equal_ignore_case(table[i], wanted)) return unscramble_secret(table[i + 1]);
    if (!fall_back_to_offline) break;
  }
  return std::nullopt;
}

}  // namespace qm
