#pragma once
// What the engine keeps about web media for the whole run: the block the
// script declared last ("Web Media Block"), the download settings the user
// may change in the retry dialogs, where fetched blocks live, and the local
// archives that failed to extract.

#include <string>
#include <vector>

namespace qm {

// The block declared by the last "Web Media Block" line; used by the next
// fetch that has to download or extract.
struct WebMediaBlock {
  std::vector<std::string> locations;  // download URLs, tried in order
  std::string archive_path;            // data folder + block name + ".7zip"
  std::string password;                // unscrambled; empty when the table has none
};

struct DownloadSettings {
  bool resume = true;  // cleared only when the user asks for a fresh copy
  std::string proxy_server;
  std::string proxy_port;
  std::string proxy_user;
  std::string proxy_password;
  // Cleared for the rest of the run once the system's URL moniker download
  // turns out unusable; the HTTP client serves from then on.
  bool url_moniker_first = true;
};

struct WebMediaState {
  WebMediaBlock block;
  DownloadSettings download;
  // The folder the last fetch used (cache root + engine cache key), with a
  // trailing backslash; empty before the first fetch.
  std::string web_data_folder;
  // Upper-cased paths of archives beside the setup that failed to extract.
  std::vector<std::string> rejected_local_archives;
};

}  // namespace qm
