#pragma once
// What a user reads when something fails.

#include <exception>
#include <string>

namespace qm {

struct Engine;

// A SetupError's own text (a sentence of ours, see script/script_error.h).
// Any other exception is a fault of the program: the user reads the
// catalogue's "General setup failure", and the exception's own text goes to
// the trace for support staff.
std::string user_text_of(Engine& engine, const std::exception& error);

}  // namespace qm
