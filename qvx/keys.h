#pragma once
// Passwords and the AES-256 keys of 7z archives.
//
// A password comes first from the caller's text, then from the password
// callback, which is asked again each time the current password proves
// wrong. The key is SHA-256 over 2^NumCyclesPower rounds of
// salt + UTF-16LE password + 64-bit round counter, as 7-Zip derives it;
// keys are remembered for the call so that every block of an archive does not
// pay for the derivation again.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qvx {

// Asks for a password: answers true with `answer` set, false when there is
// none. An empty answer counts as a question and is asked again.
using AskPassword = std::function<bool(std::u16string& answer)>;

class Passwords {
 public:
  Passwords(std::u16string text, AskPassword ask);
  ~Passwords();
  Passwords(const Passwords&) = delete;
  Passwords& operator=(const Passwords&) = delete;

  // The password to use now; takes the first one when none was taken yet.
  // Throws QVX_ERROR_CANNOT_OPEN when there is none.
  const std::u16string& current();
  // Drops the current password as wrong and takes the next one; false when
  // there is none left. A password that already proved wrong is not tried
  // again (a callback may answer the same one each time).
  bool next();

 private:
  bool take_next();

  std::u16string text_;
  AskPassword ask_;
  bool text_offered_ = false;
  int asks_ = 0;
  bool has_current_ = false;
  bool exhausted_ = false;
  std::u16string current_;
  std::vector<std::u16string> rejected_;
};

// The coder properties of 7-Zip's AES coder (method 06F10701).
struct AesProperties {
  unsigned cycles_power = 0;  // 0x3F: the key is salt + password without hashing
  std::vector<std::uint8_t> salt;
  std::array<std::uint8_t, 16> iv{};
};

// Throws QVX_ERROR_CANNOT_OPEN for properties 7-Zip would not accept.
AesProperties parse_aes_properties(std::span<const std::uint8_t> props);

using AesKey = std::array<std::uint8_t, 32>;

// Keys derived so far, by password, salt and cost; wiped when dropped. Holds
// a bounded number of keys, the oldest dropped first.
class KeyCache {
 public:
  KeyCache() = default;
  ~KeyCache();
  KeyCache(const KeyCache&) = delete;
  KeyCache& operator=(const KeyCache&) = delete;

  // The key for `password` and `properties`, derived when not known yet.
  AesKey key_for(const std::u16string& password, const AesProperties& properties);

 private:
  struct Cached {
    std::u16string password;
    unsigned cycles_power;
    std::vector<std::uint8_t> salt;
    AesKey key;
  };
  static void wipe_entry(Cached& cached);

  std::vector<Cached> entries_;
};

class Keys {
 public:
  // `max_cycles_power`: costlier derivations are refused (QVX_ERROR_CANNOT_OPEN).
  // `shared`: a cache that outlives this object (one that reads many variants
  // of an archive keeps its keys); null: keys live as long as this object.
  Keys(Passwords& passwords, unsigned max_cycles_power, KeyCache* shared = nullptr)
      : passwords_(passwords), max_cycles_power_(max_cycles_power), cache_(shared != nullptr ? *shared : own_) {}
  Keys(const Keys&) = delete;
  Keys& operator=(const Keys&) = delete;

  // The key for the current password; asks for a password when needed.
  AesKey key_for(const AesProperties& properties);

  // Whether a key was asked for since the last reset: tells a decoding error
  // of encrypted data (possibly a wrong password) from plain damage.
  bool used() const { return used_; }
  void reset_used() { used_ = false; }

  Passwords& passwords() { return passwords_; }

 private:
  Passwords& passwords_;
  unsigned max_cycles_power_;
  KeyCache own_;
  KeyCache& cache_;
  bool used_ = false;
};

}  // namespace qvx
