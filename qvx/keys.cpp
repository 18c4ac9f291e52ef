#include "qvx/keys.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "qvx/failure.h"
#include "qvx/sevenzip.h"
#include "qvx/text.h"

namespace qvx {

namespace {

constexpr int kMaxCallbackAsks = 8;
constexpr unsigned kMaxCyclesPower = 24;  // the most 7-Zip itself accepts
constexpr unsigned kNoHashing = 0x3F;

void wipe(std::wstring& text) {
  if (!text.empty()) SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
  text.clear();
}

AesKey derive_key(const std::wstring& password, const AesProperties& properties) {
  AesKey key{};
  const auto* password_bytes = reinterpret_cast<const std::uint8_t*>(password.data());
  const std::size_t password_size = password.size() * sizeof(wchar_t);  // UTF-16LE
  if (properties.cycles_power == kNoHashing) {
    std::size_t at = 0;
    for (std::uint8_t b : properties.salt) key[at++] = b;
    for (std::size_t i = 0; i < password_size && at < key.size(); ++i) key[at++] = password_bytes[i];
    return key;
  }
  // salt + password + counter, repeated so that one SHA-256 update takes
  // many rounds at once.
  const std::size_t round_size = properties.salt.size() + password_size + 8;
  const std::uint32_t rounds = std::uint32_t{1} << properties.cycles_power;
  const std::uint32_t unroll = rounds < 64 ? rounds : 64;
  std::vector<std::uint8_t> buffer(round_size * unroll);
  for (std::uint32_t u = 0; u < unroll; ++u) {
    std::uint8_t* round = buffer.data() + u * round_size;
    std::memcpy(round, properties.salt.data(), properties.salt.size());
    std::memcpy(round + properties.salt.size(), password_bytes, password_size);
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
  SecureZeroMemory(buffer.data(), buffer.size());
  SecureZeroMemory(&sha, sizeof sha);
  return key;
}

}  // namespace

Passwords::Passwords(const char* text, QvxPasswordCallback callback)
    : text_(ansi_to_wide(text)), callback_(callback) {}

Passwords::~Passwords() {
  wipe(text_);
  wipe(current_);
  for (std::wstring& password : rejected_) wipe(password);
}

const std::wstring& Passwords::current() {
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
  while (callback_ != nullptr && callback_asks_ < kMaxCallbackAsks) {
    ++callback_asks_;
    char buffer[QVX_PASSWORD_BUFFER_SIZE] = {};
    const int32_t answer = callback_(buffer, QVX_PASSWORD_BUFFER_SIZE);
    buffer[QVX_PASSWORD_BUFFER_SIZE - 1] = '\0';
    std::wstring password;
    if (answer != 0) password = ansi_to_wide(buffer);
    SecureZeroMemory(buffer, sizeof buffer);
    if (answer == 0) break;
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

Keys::~Keys() {
  for (Cached& cached : cache_) {
    wipe(cached.password);
    SecureZeroMemory(cached.key.data(), cached.key.size());
  }
}

AesKey Keys::key_for(const AesProperties& properties) {
  used_ = true;
  const std::wstring& password = passwords_.current();
  for (const Cached& cached : cache_) {
    if (cached.password == password && cached.cycles_power == properties.cycles_power &&
        cached.salt == properties.salt) {
      return cached.key;
    }
  }
  Cached entry{password, properties.cycles_power, properties.salt, derive_key(password, properties)};
  cache_.push_back(std::move(entry));
  return cache_.back().key;
}

}  // namespace qvx
