#include "platform/windows_error.h"

#include <windows.h>

namespace qm::platform {

std::string system_error_text(std::uint32_t code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text.empty() ? "Windows error " + std::to_string(code) : text;
}

WindowsError::WindowsError(const std::string& sentence, std::uint32_t code)
    : SetupError(sentence + ": " + system_error_text(code)), code_(code) {}

}  // namespace qm::platform
