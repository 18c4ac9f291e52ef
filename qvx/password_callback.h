#pragma once
// The caller's password text and password callback (ANSI code page) as the
// portable core of the library takes them (UTF-16).

#include <string>

#include "qvx/keys.h"
#include "qvx/qvx_archive.h"

namespace qvx {

std::u16string password_text(const char* text);

// Asks `callback` (may be null) and wipes its buffer after use.
AskPassword ask_with(QvxPasswordCallback callback);

}  // namespace qvx
