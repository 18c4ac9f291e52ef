#pragma once
// The IIS commands' tests run against test_metabase.dll, a web server of
// ours registered under the ProgIDs "IISNamespace" and "MimeMap" while a
// MetabaseServerRegistration lives. A TestWebServer's metabase is a file in
// a private folder, prepared with a few keys and read back after the run
// together with the log of every call the engine made.

#include <string>
#include <vector>

#include "tests/commands/iis/metabase_server/metabase.h"
#include "tests/support/temp_folder.h"

namespace qm::test {

// A machine with one started site, "Default Web Site" (1), its root folder,
// the default application pool, and keys of other classes beside the sites.
Metabase standard_metabase();

class TestWebServer {
 public:
  explicit TestWebServer(const Metabase& initial = standard_metabase());
  ~TestWebServer();
  TestWebServer(const TestWebServer&) = delete;
  TestWebServer& operator=(const TestWebServer&) = delete;

  const std::string& file() const { return file_; }
  Metabase metabase() const { return Metabase::load(file_); }
  // A property as the metabase holds it now; "<none>" when it is missing.
  std::string get(const std::string& path, const std::string& name) const;
  // The calls so far, "<key>|<member>|<argument>|...", in order.
  std::vector<std::string> calls() const;
  // The calls of `member` on `path`, with their arguments.
  std::vector<std::string> calls(const std::string& path, const std::string& member) const;

 private:
  TempFolder folder_;
  std::string file_;
};

// The test server's classes registered for the current user and for the
// machine (in the test prefix); removed again at the end.
class MetabaseServerRegistration {
 public:
  MetabaseServerRegistration();
  ~MetabaseServerRegistration();
  MetabaseServerRegistration(const MetabaseServerRegistration&) = delete;
  MetabaseServerRegistration& operator=(const MetabaseServerRegistration&) = delete;
};

}  // namespace qm::test
