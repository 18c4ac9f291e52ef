#pragma once
// The engine's 8-bit texts (the system's ANSI code page) and the UTF-16
// texts of Windows' wide functions, COM and file formats.

#include <string>
#include <string_view>

namespace qm::platform {

std::wstring wide_from_ansi(std::string_view text);
std::string ansi_from_wide(std::wstring_view text);

}  // namespace qm::platform
