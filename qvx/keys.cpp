#include "qvx/keys.h"

#include <algorithm>
#include <cstring>

#include "qvx/failure.h"
#include "qvx/sevenzip.h"
#include "qvx/wipe.h"

namespace qvx {

namespace {

constexpr int kMaxAsks = 8;
constexpr unsigned kMaxCyclesPower = 24;  // the most 7-Zip itself accepts
constexpr unsigned kNoHashing = 0x3F;
constexpr std::size_t kCachedKeys = 16;

void wipe(std::u16string& text) {
  if (!text.empty()) qvx::wipe(text.data(), text.size() * sizeof(char16_t));
  text.clear();
}

// The password as 7-Zip hashes it: UTF-16, low byte first.
std::vector<std::uint8_t> utf16le(const std::u16string& password) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(password.size() * 2);
  for (char16_t c : password) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

AesKey derive_key(const std::u16string& password, const AesProperties& properties) {
  AesKey key{};
  std::vector<std::uint8_t> password_bytes = utf16le(password);
  if (properties.cycles_power == kNoHashing) {
    std::size_t at = 0;
    for (std::uint8_t b : properties.salt) key[at++] = b;
    for (std::size_t i = 0; i < password_bytes.size() && at < key.size(); ++i) key[at++] = password_bytes[i];
    qvx::wipe(password_bytes.data(), password_bytes.size());
    return key;
  }
  // salt + password + counter, repeated so that one SHA-256 update takes
  // many rounds at once.
  const std::size_t round_size = properties.salt.size() + password_bytes.size() + 8;
  const std::uint32_t rounds = std::uint32_t{1} << properties.cycles_power;
  const std::uint32_t unroll = rounds < 64 ? rounds : 64;
  std::vector<std::uint8_t> buffer(round_size * unroll);
  for (std::uint32_t u = 0; u < unroll; ++u) {
    std::uint8_t* round = buffer.data() + u * round_size;
    if (!properties.salt.empty()) std::memcpy(round, properties.salt.data(), properties.salt.size());
    if (!password_bytes.empty()) {
      std::memcpy(round + properties.salt.size(), password_bytes.data(), password_bytes.size());
    }
  }
  CSha256 sha;
  Sha256_Init(&sha);
  for (std::uint32_t first = 0; first < rounds; first += unroll) {
    for (std::uint32_t u = 0; u < unroll; ++u) {
      std::uint8_t* counter = buffer.data() + u * round_size + round_size - 8;
      const std::uint64_t value = first + u;
      for (int b = 0; b < 8; ++b) counter[b] = static_cast<std::uint8_t>(value >> (8 * b));
    }
    Sha256_Update(&sha, buffer.data(), buffer.size());
  }
  Sha256_Final(&sha, key.data());
  qvx::wipe(buffer.data(), buffer.size());
  qvx::wipe(password_bytes.data(), password_bytes.size());
  qvx::wipe(&sha, sizeof sha);
  return key;
}

}  // namespace

Passwords::Passwords(std::u16string text, AskPassword ask) : text_(std::move(text)), ask_(std::move(ask)) {}

Passwords::~Passwords() {
  wipe(text_);
  wipe(current_);
  for (std::u16string& password : rejected_) wipe(password);
}

const std::u16string& Passwords::current() {
  if (!has_current_ && !take_next()) fail(QVX_ERROR_CANNOT_OPEN, "the archive needs a password");
  return current_;
}

bool Passwords::next() {
  if (has_current_) rejected_.push_back(current_);
  wipe(current_);
  has_current_ = false;
  return take_next();
}

bool Passwords::take_next() {
  wipe(current_);
  has_current_ = false;
  if (exhausted_) return false;
  if (!text_offered_) {
    text_offered_ = true;
    if (!text_.empty()) {
      current_ = text_;
      has_current_ = true;
      return true;
    }
  }
  while (ask_ && asks_ < kMaxAsks) {
    ++asks_;
    std::u16string password;
    if (!ask_(password)) break;
    // An empty answer opens nothing, a rejected one neither: ask again.
    if (password.empty() || std::find(rejected_.begin(), rejected_.end(), password) != rejected_.end()) {
      wipe(password);
      continue;
    }
    current_ = std::move(password);
    has_current_ = true;
    return true;
  }
  exhausted_ = true;
  return false;
}

AesProperties parse_aes_properties(std::span<const std::uint8_t> props) {
  AesProperties result;
  if (props.empty()) unsupported("AES coder without properties");
  const std::uint8_t b0 = props[0];
  result.cycles_power = b0 & 0x3F;
  if ((b0 & 0xC0) == 0) {
    if (props.size() != 1) unsupported("AES properties malformed");
  } else {
    if (props.size() < 2) unsupported("AES properties malformed");
    const std::uint8_t b1 = props[1];
    const std::size_t salt_size = ((b0 >> 7) & 1) + (b1 >> 4);
    const std::size_t iv_size = ((b0 >> 6) & 1) + (b1 & 0x0F);
    if (props.size() != 2 + salt_size + iv_size) unsupported("AES properties malformed");
    result.salt.assign(props.begin() + 2, props.begin() + 2 + static_cast<std::ptrdiff_t>(salt_size));
    for (std::size_t i = 0; i < iv_size; ++i) result.iv[i] = props[2 + salt_size + i];
  }
  if (result.cycles_power > kMaxCyclesPower && result.cycles_power != kNoHashing) {
    unsupported("AES key derivation too costly");
  }
  return result;
}

void KeyCache::wipe_entry(Cached& cached) {
  wipe(cached.password);
  qvx::wipe(cached.key.data(), cached.key.size());
}

KeyCache::~KeyCache() {
  for (Cached& cached : entries_) wipe_entry(cached);
}

AesKey KeyCache::key_for(const std::u16string& password, const AesProperties& properties) {
  for (const Cached& cached : entries_) {
    if (cached.password == password && cached.cycles_power == properties.cycles_power &&
        cached.salt == properties.salt) {
      return cached.key;
    }
  }
  if (entries_.size() == kCachedKeys) {
    wipe_entry(entries_.front());
    entries_.erase(entries_.begin());
  }
  entries_.push_back(Cached{password, properties.cycles_power, properties.salt, derive_key(password, properties)});
  return entries_.back().key;
}

AesKey Keys::key_for(const AesProperties& properties) {
  used_ = true;
  if (properties.cycles_power != kNoHashing && properties.cycles_power > max_cycles_power_) {
    unsupported("AES key derivation too costly");
  }
  return cache_.key_for(passwords_.current(), properties);
}

}  // namespace qvx
