#pragma once
// The questions a failed web media fetch asks before it gives up: retry a
// download (with proxy settings, or resuming the moniker's broken download)
// and retry an extraction. Each is a modal engine dialog owned by the
// current dialog window and centred on it; its texts come from the message
// catalogue, so they follow the user's language.

#include <chrono>
#include <string>

#include "engine/web_media_state.h"

namespace qm {

class MessageCatalogue;

// The control identifiers of the dialogs, named as the controls are, so
// that a test (or an accessibility tool) finds them by name.
namespace retry_control {
inline constexpr int kServer = 101;
inline constexpr int kPort = 102;
inline constexpr int kUser = 103;
inline constexpr int kPassword = 104;
inline constexpr int kResume = 111;
inline constexpr int kNewCopy = 112;
inline constexpr int kDownload = 121;
inline constexpr int kExtract = 122;
}  // namespace retry_control

// The window class of the dialogs (the engine's dialog form).
inline constexpr const char* kRetryDialogClass = "QuillmoreDialogForm";

// An unattended setup must not wait for ever on a question nobody answers.
inline constexpr std::chrono::milliseconds kRetryDialogTimeout{60000};

// `TqvxProxy`: asked after the HTTP client failed.
struct ProxyRetryAnswer {
  int result = 7;       // 6: "&Yes", 7: "&No" (also Escape and the close box)
  ProxySettings proxy;  // the four edits as the user left them

  bool retry() const { return result == 6; }
};
ProxyRetryAnswer ask_retry_download_with_proxy(const MessageCatalogue& messages, const ProxySettings& current,
                                               void* owner);

// `TqvxProxyEx`: asked after the URL moniker failed. Left alone for
// `timeout`, it answers OK with the choice as it stands.
struct ResumeRetryAnswer {
  int result = 2;       // 1: OK, 2: Cancel (also Escape and the close box)
  bool resume = true;   // `Resume` checked, else `NewCopy`

  bool retry() const { return result == 1; }
};
ResumeRetryAnswer ask_retry_download(const MessageCatalogue& messages, void* owner,
                                     std::chrono::milliseconds timeout = kRetryDialogTimeout);

// `TqvxExtract`: asked after the extraction failed. Left alone for
// `timeout`, it chooses a fresh download and answers OK.
struct ExtractRetryAnswer {
  int result = 2;         // 1: OK, 2: Cancel (also Escape and the close box)
  bool extract = false;   // `Extract` checked: try the same archive again; else `Download` a fresh copy

  bool retry() const { return result == 1; }
};
ExtractRetryAnswer ask_retry_extraction(const MessageCatalogue& messages, void* owner,
                                        std::chrono::milliseconds timeout = kRetryDialogTimeout);

}  // namespace qm
