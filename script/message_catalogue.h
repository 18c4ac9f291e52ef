#pragma once
// The engine's own texts: 115 numbered slots with English defaults, replaced
// per language from a catalogue file.
//
// A catalogue file is CR LF text: one block of 115 lines (the default texts,
// in slot order), then any number of language sections, each a line with the
// language name followed by a block of 115 lines.

#include <array>
#include <string>
#include <string_view>

namespace qm {

namespace message {
inline constexpr int kResourceNotFound = 2;
inline constexpr int kResourceDecompressionFailure = 3;
inline constexpr int kDatabaseNotFound = 4;
inline constexpr int kInstallErrorPrefix = 5;
inline constexpr int kLocateSources = 17;
inline constexpr int kSourcesNotFound = 18;
inline constexpr int kGeneralSetupFailure = 19;
inline constexpr int kScriptErrorHeading = 20;
inline constexpr int kPercentComplete = 21;
inline constexpr int kBytesReceived = 22;
inline constexpr int kWizardCaption = 23;
inline constexpr int kPreparing = 24;
inline constexpr int kOkButton = 38;
inline constexpr int kCancelButton = 39;
inline constexpr int kConfirmCancel = 40;
// The URL moniker's states (BINDSTATUS_... 1 to 33) in slots 55 to 87.
inline constexpr int kFirstBindStatus = 55;
inline constexpr int kLastBindStatus = 87;
inline constexpr int kSelectLanguageCaption = 89;
inline constexpr int kSelectLanguagePrompt = 90;
}  // namespace message

class MessageCatalogue {
 public:
  static constexpr int kSlots = 115;

  MessageCatalogue();

  // Text of slot 1 to 115.
  const std::string& text(int slot) const { return texts_[static_cast<std::size_t>(slot - 1)]; }

  // Takes the file's default block, then the block of the first section named
  // like `user_language` (compared without regard to case), when there is one.
  // A block cut short leaves the remaining slots as they were. Gives false
  // when the file cannot be read.
  bool load(const std::string& path, std::string_view user_language);
  void load_text(std::string_view text, std::string_view user_language);

 private:
  std::array<std::string, kSlots> texts_;
};

}  // namespace qm
