#include "qvx/names.h"

#include "qvx/failure.h"

namespace qvx {

namespace {

bool is_separator(char16_t c) { return c == u'/' || c == u'\\'; }

char16_t ascii_upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// Windows takes these names, with any extension and any case, for devices.
bool is_device_name(std::u16string_view part) {
  std::u16string base(part.substr(0, part.find(u'.')));
  while (!base.empty() && base.back() == u' ') base.pop_back();
  for (char16_t& c : base) c = ascii_upper(c);
  if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL" || base == u"CONIN$" ||
      base == u"CONOUT$" || base == u"CLOCK$") {
    return true;
  }
  if (base.size() == 4 && (base.starts_with(u"COM") || base.starts_with(u"LPT"))) {
    const char16_t digit = base[3];
    // COM1..COM9, LPT1..LPT9 and the superscript digits Windows also reserves.
    return (digit >= u'1' && digit <= u'9') || digit == 0x00B9 || digit == 0x00B2 || digit == 0x00B3;
  }
  return false;
}

void check_part(std::u16string_view part) {
  if (part.size() > kMaxPartLength) fail(QVX_ERROR_ILLEGAL_PATH, "a part of an entry name is too long");
  for (char16_t c : part) {
    if (c < 32 || c == u':' || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*') {
      fail(QVX_ERROR_ILLEGAL_PATH, "an entry name holds a character Windows does not allow");
    }
  }
  // Covers ".", ".." and "..." as well: Windows drops trailing dots and blanks.
  if (part.back() == u'.' || part.back() == u' ') {
    fail(QVX_ERROR_ILLEGAL_PATH, "an entry name climbs out or ends in a dot or blank");
  }
  if (is_device_name(part)) fail(QVX_ERROR_ILLEGAL_PATH, "an entry name is a device name");
}

}  // namespace

std::vector<std::u16string> safe_parts(std::u16string_view name) {
  if (name.empty()) fail(QVX_ERROR_ILLEGAL_PATH, "an entry has no name");
  if (is_separator(name.front())) fail(QVX_ERROR_ILLEGAL_PATH, "an entry name is an absolute path");
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !is_separator(name[end])) ++end;
    const std::u16string_view part = name.substr(start, end - start);
    if (!part.empty()) {
      if (parts.size() == kMaxDepth) fail(QVX_ERROR_ILLEGAL_PATH, "an entry name is nested too deeply");
      check_part(part);
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  if (parts.empty()) fail(QVX_ERROR_ILLEGAL_PATH, "an entry has no name");
  return parts;
}

}  // namespace qvx
