#include "qvx/password_callback.h"

#include "qvx/text.h"
#include "qvx/wipe.h"

namespace qvx {

std::u16string password_text(const char* text) {
  std::wstring wide = ansi_to_wide(text);
  std::u16string result = to_utf16(wide);
  wipe(wide.data(), wide.size() * sizeof(wchar_t));
  return result;
}

AskPassword ask_with(QvxPasswordCallback callback) {
  if (callback == nullptr) return nullptr;
  return [callback](std::u16string& answer) {
    char buffer[QVX_PASSWORD_BUFFER_SIZE] = {};
    const int32_t given = callback(buffer, QVX_PASSWORD_BUFFER_SIZE);
    buffer[QVX_PASSWORD_BUFFER_SIZE - 1] = '\0';
    try {
      if (given != 0) answer = password_text(buffer);
    } catch (...) {
      wipe(buffer, sizeof buffer);
      throw;
    }
    wipe(buffer, sizeof buffer);
    return given != 0;
  };
}

}  // namespace qvx
