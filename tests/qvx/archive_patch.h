#pragma once
// Changes to the bytes of 7z archives, for hostile cases that 7zz will not
// make: a header edited in place, with its CRCs made right again. Works on
// archives whose header is stored plain (7zz -mhc=off).

#include <cstdint>
#include <string>

namespace qvx_test {

std::uint32_t crc32(const std::string& bytes);

// A number as 7z headers write it (the leading one bits of the first byte
// tell how many bytes follow).
std::string sevenzip_number(std::uint64_t value);

// A name as the header holds it: UTF-16LE with its terminating zero.
std::string utf16z(const std::string& ascii);

// The archive with `from` in its header replaced by `to`; `from` must occur
// there exactly once (a test failure otherwise, and the archive unchanged).
std::string patch_header(const std::string& archive, const std::string& from, const std::string& to);

}  // namespace qvx_test
