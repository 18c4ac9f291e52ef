#pragma once
// What the engine keeps about web media for the whole run: the block the
// script declared last ("Web Media Block"), the download settings the user
// may change in the retry dialogs, where fetched blocks live, and the local
// archives that failed to extract.

#include <atomic>
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

// The proxy the downloads go through (all empty: none); the user may change
// it in the retry dialog.
struct ProxySettings {
  std::string server;
  std::string port;
  std::string user;
  std::string password;
  friend bool operator==(const ProxySettings&, const ProxySettings&) = default;
};

struct WebMediaState {
  WebMediaBlock block;
  ProxySettings proxy;
  bool resume = true;  // cleared only when the user asks for a fresh copy
  // Cleared for the rest of the run once the system's URL moniker download
  // turns out unusable; the HTTP client serves from then on. The download
  // thread reads and clears it.
  std::atomic<bool> url_moniker_first{true};
  // The folder the last fetch used (cache root + engine cache key), with a
  // trailing backslash; empty before the first fetch.
  std::string web_data_folder;
  // Upper-cased paths of archives beside the setup that failed to extract.
  std::vector<std::string> rejected_local_archives;
};

}  // namespace qm
