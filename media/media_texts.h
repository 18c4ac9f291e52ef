#pragma once
// The engine message texts the media threads show, by their slots in the
// message catalogue (so that they follow the user's language).

namespace qm::media_text {

inline constexpr int kCopying = 11;             // "Copying: "
inline constexpr int kCopyFailed = 12;          // "Unable to copy installation data to local folders"
inline constexpr int kDownloadingWebMedia = 13; // "Downloading Web Media: "
inline constexpr int kDownloadFailed = 14;      // "Unable to download installation data from the web"
inline constexpr int kExtractingWebMedia = 15;  // "Extracting Web Media: "
inline constexpr int kExtractionFailed = 16;    // "Unable to extract installation data downloaded from the web"
inline constexpr int kPercentComplete = 21;     // "% complete"
inline constexpr int kBytesReceived = 22;       // "bytes received"

}  // namespace qm::media_text
