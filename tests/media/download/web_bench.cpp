#include "tests/media/download/web_bench.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "tests/support/temp_folder.h"

namespace qm::test {

namespace {

std::string environment(const char* name) {
  char value[2048] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// Fields of a log line: words, or texts in double quotes.
std::vector<std::string> log_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
    } else if (line[i] == '"') {
      const std::size_t end = line.find('"', i + 1);
      fields.push_back(line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1));
      i = end == std::string::npos ? line.size() : end + 1;
    } else {
      const std::size_t end = line.find(' ', i);
      fields.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? line.size() : end;
    }
  }
  return fields;
}

}  // namespace

WebBench WebBench::from_environment() {
  WebBench bench;
  bench.url = environment("QM_WEB_URL");
  bench.relay_url = environment("QM_WEB_RELAY_URL");
  bench.files = environment("QM_WEB_FILES");
  bench.access_log = environment("QM_WEB_ACCESS_LOG");
  bench.proxy = environment("QM_WEB_PROXY");
  bench.proxy_port = environment("QM_WEB_PROXY_PORT");
  bench.auth_proxy_port = environment("QM_WEB_AUTH_PROXY_PORT");
  bench.proxy_user = environment("QM_WEB_PROXY_USER");
  bench.proxy_password = environment("QM_WEB_PROXY_PASSWORD");
  return bench;
}

bool WebBench::complete() const {
  for (const std::string* value : {&url, &relay_url, &files, &access_log, &proxy, &proxy_port, &auth_proxy_port,
                                   &proxy_user, &proxy_password}) {
    if (value->empty()) return false;
  }
  return true;
}

void WebBenchTest::SetUp() {
  bench_ = WebBench::from_environment();
  ASSERT_TRUE(bench_.complete()) << "The web bench is not running (no QM_WEB_* variables): "
                                    "source scripts/web-bench.sh and run web_bench_start BUILD_DIR first";
}

std::string WebBenchTest::serve(const std::string& name, const std::string& content) const {
  write_file(bench_.files + name, content);
  return content;
}

std::vector<AccessLogEntry> WebBenchTest::log_entries(const std::string& path, std::size_t count) const {
  std::vector<AccessLogEntry> entries;
  for (int attempt = 0; attempt < 50; ++attempt) {
    entries.clear();
    std::istringstream lines(read_file(bench_.access_log));
    std::string line;
    while (std::getline(lines, line)) {
      const std::vector<std::string> fields = log_fields(line);
      if (fields.size() < 8 || fields[1] != path) continue;
      entries.push_back({fields[0], fields[1], fields[2], fields[3], static_cast<unsigned>(std::stoul(fields[4])),
                         std::stoull(fields[5]), fields[6], fields[7]});
    }
    if (entries.size() >= count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return entries;
}

std::string test_content(std::size_t size, std::uint32_t seed) {
  std::string content(size, '\0');
  std::uint32_t state = seed * 2654435761u + 12345u;
  for (char& c : content) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  return content;
}

std::string unique_name(const std::string& stem) {
  static std::atomic<int> counter{0};
  return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + ".bin";
}

}  // namespace qm::test
