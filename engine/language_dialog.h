#pragma once
// The dialog in which the user chooses the language of a translated setup.

#include <optional>
#include <string>
#include <vector>

namespace qm {

class MessageCatalogue;

// Shows the languages (in the given order) with `preselected` chosen (an
// index into `languages`, or -1 for none) and waits for the user: the chosen
// language after OK, nothing after Cancel. Its texts come from the message
// catalogue.
std::optional<std::string> ask_for_language(const MessageCatalogue& messages, const std::vector<std::string>& languages,
                                            int preselected, void* owner);

}  // namespace qm
