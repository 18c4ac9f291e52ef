#pragma once
// The real servers of scripts/web-bench.sh as the download tests see them:
// their addresses from QM_WEB_* variables, the folder nginx serves, and its
// access log. A test that needs them fails (it does not skip) when the
// bench is not running.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qm::test {

struct WebBench {
  std::string url;        // http://127.0.0.1:port of nginx
  std::string relay_url;  // the cutting relay in front of it
  std::string files;      // the folder behind /files/, with a trailing backslash
  std::string access_log;
  std::string proxy;
  std::string proxy_port;
  std::string auth_proxy_port;
  std::string proxy_user;
  std::string proxy_password;

  // Empty when a variable is missing.
  static WebBench from_environment();
  bool complete() const;
};

// A line of nginx's access log, as scripts/web-bench.sh writes it.
struct AccessLogEntry {
  std::string method;
  std::string path;
  std::string protocol;
  std::string range;  // "-" when none was asked
  unsigned status = 0;
  std::uint64_t body_bytes = 0;
  std::string via;
  std::string agent;
};

// Base of the tests against the bench: asserts that it runs.
class WebBenchTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Puts a file under /files/ and gives its content back.
  std::string serve(const std::string& name, const std::string& content) const;
  // The log entries for `path` (as requested), once at least `count` are
  // there (waiting up to a few seconds for nginx to write them).
  std::vector<AccessLogEntry> log_entries(const std::string& path, std::size_t count = 1) const;

  WebBench bench_;
};

// `size` bytes that differ from one name to the next and repeat nowhere
// near, so that a misplaced piece shows.
std::string test_content(std::size_t size, std::uint32_t seed);

// A name no other test in this run uses.
std::string unique_name(const std::string& stem);

}  // namespace qm::test
