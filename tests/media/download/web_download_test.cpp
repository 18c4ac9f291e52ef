// The download of a web media archive against the web bench's real servers:
// locations in order, resume after a real cut, proxies, progress, stop, and
// the URL moniker with its fallback.

#include "media/web_download.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "media/web_download_progress.h"
#include "tests/media/download/web_bench.h"
#include "tests/support/temp_folder.h"

namespace qm::media {
namespace {

using test::AccessLogEntry;

struct ProgressLog {
  std::vector<int> percents;
  std::vector<std::string> texts;
};

class WebDownloadTest : public test::WebBenchTest {
 protected:
  WebDownloadResult download(const std::vector<std::string>& locations, const platform::HttpProxy& proxy = {},
                             bool resume = true) {
    WebDownloadJob job{locations, archive_, proxy, resume};
    return download_web_media(job, moniker_first_, messages_, [&](int percent, const std::string& text) {
      progress_.percents.push_back(percent);
      progress_.texts.push_back(text);
      return progress_.texts.size() < stop_after_reports_;
    });
  }
  std::string archive() const { return test::read_file(archive_); }
  std::string files_url(const std::string& name) const { return bench_.url + "/files/" + name; }

  test::TempFolder folder_;
  std::string archive_ = folder_.file("OFFLINE.7zip");
  std::atomic<bool> moniker_first_{false};
  MessageCatalogue messages_;
  ProgressLog progress_;
  std::size_t stop_after_reports_ = SIZE_MAX;
};

TEST_F(WebDownloadTest, AWholeDownloadOverHttp) {
  const std::string name = test::unique_name("whole");
  const std::string content = serve(name, test::test_content(1234567, 10));
  archive_ = folder_.file("block\\OFFLINE.7zip");  // its folder is made by the download
  const WebDownloadResult result = download({files_url(name)});
  EXPECT_TRUE(result.success);
  EXPECT_EQ(result.route, DownloadRoute::kHttpClient);
  EXPECT_TRUE(archive() == content);
  ASSERT_FALSE(progress_.texts.empty());
  EXPECT_EQ(progress_.texts.back(), "1,234,567 bytes received, 100% complete");
  EXPECT_EQ(progress_.percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress_.percents.begin(), progress_.percents.end()));
}

TEST_F(WebDownloadTest, LocationsAreTriedInOrderUntilOneServes) {
  const std::string name = test::unique_name("second");
  const std::string content = serve(name, test::test_content(30000, 11));
  const std::string missing = "missing-" + name;
  const WebDownloadResult result =
      download({files_url(missing), bench_.url + "/fail500/" + name, bench_.url + "/moved/" + name});
  EXPECT_TRUE(result.success);
  EXPECT_TRUE(archive() == content);
  // The HEAD's 404 and 500 failed those locations: neither was asked for its body.
  const std::vector<AccessLogEntry> first = log_entries("/files/" + missing);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].method, "HEAD");
  EXPECT_EQ(first[0].status, 404u);
  const std::vector<AccessLogEntry> second = log_entries("/fail500/" + name);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].method, "HEAD");
  // The redirect was followed for both requests.
  EXPECT_EQ(log_entries("/files/" + name, 2).size(), 2u);
}

TEST_F(WebDownloadTest, ErrorAnswersFailAndWriteNothingIntoTheArchive) {
  const std::string name = test::unique_name("failing");
  EXPECT_FALSE(download({bench_.url + "/fail500/" + name, files_url("missing-" + name)}).success);
  EXPECT_FALSE(download({"http://127.0.0.1:1/files/" + name}).success);
  // A file left by an earlier attempt keeps its bytes.
  test::write_file(archive_, test::test_content(5000, 12));
  EXPECT_FALSE(download({bench_.url + "/fail500/" + name}).success);
  EXPECT_TRUE(archive() == test::test_content(5000, 12));
}

TEST_F(WebDownloadTest, ACutDownloadIsResumedFrom2048BytesBeforeItsEnd) {
  const std::string name = test::unique_name("resumed");
  const std::string content = serve(name, test::test_content(3 * 1024 * 1024 + 77, 13));
  // The relay drops the connection after a million bytes.
  EXPECT_FALSE(download({bench_.relay_url + "/cut/1000000/files/" + name}).success);
  const std::string partial = archive();
  ASSERT_GT(partial.size(), 900000u);
  ASSERT_LT(partial.size(), 1000000u);
  EXPECT_TRUE(partial == content.substr(0, partial.size()));

  EXPECT_TRUE(download({files_url(name)}).success);
  EXPECT_TRUE(archive() == content);
  // The server sent the missing bytes and the 2048 before them, no more.
  const std::uint64_t from = partial.size() - kResumeBackOff;
  // (The relay's HEAD and GET reached nginx by the same path, before.)
  const std::vector<AccessLogEntry> log = log_entries("/files/" + name, 4);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[3].range, "bytes=" + std::to_string(from) + "-");
  EXPECT_EQ(log[3].status, 206u);
  EXPECT_EQ(log[3].body_bytes, content.size() - partial.size() + kResumeBackOff);
}

TEST_F(WebDownloadTest, ResumeContinuesALeftoverOf10000BytesFromByte7952) {
  const std::string name = test::unique_name("leftover");
  const std::string content = serve(name, test::test_content(20000, 14));
  // The leftover's last 2048 bytes are damaged: they are fetched again.
  std::string leftover = content.substr(0, 10000);
  leftover.replace(8000, 2000, 2000, 'x');
  test::write_file(archive_, leftover);
  const WebDownloadResult result = download({files_url(name)});
  EXPECT_TRUE(result.success);
  EXPECT_TRUE(archive() == content);
  const std::vector<AccessLogEntry> log = log_entries("/files/" + name, 2);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].range, "bytes=7952-");
  EXPECT_EQ(log[1].body_bytes, 20000u - 7952u);
  // The percentage counts the bytes already there.
  ASSERT_FALSE(progress_.texts.empty());
  EXPECT_EQ(progress_.texts.back(), "20,000 bytes received, 100% complete");
  EXPECT_GE(progress_.percents.front(), 40);
}

TEST_F(WebDownloadTest, WithoutResumeTheDownloadStartsOver) {
  const std::string name = test::unique_name("fresh");
  const std::string content = serve(name, test::test_content(20000, 15));
  struct Case {
    const char* what;
    std::string leftover;
    bool resume;
  };
  const Case cases[] = {
      {"resume off", std::string(10000, 'x'), false},
      {"leftover of 2048 bytes", std::string(2048, 'x'), true},
      {"leftover longer than the archive", std::string(30000, 'x'), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::write_file(archive_, c.leftover);
    EXPECT_TRUE(download({files_url(name)}, {}, c.resume).success);
    EXPECT_TRUE(archive() == content);
  }
  for (const AccessLogEntry& entry : log_entries("/files/" + name, 6)) EXPECT_EQ(entry.range, "-");
}

TEST_F(WebDownloadTest, AServerThatIgnoresTheRangeRestartsTheFile) {
  // /unsized/ answers a range request with the whole file (200).
  const std::string name = test::unique_name("ignored-range");
  const std::string content = serve(name, test::test_content(50000, 16));
  test::write_file(archive_, content.substr(0, 30000));
  EXPECT_TRUE(download({bench_.url + "/unsized/" + name}).success);
  EXPECT_TRUE(archive() == content);
  const std::vector<AccessLogEntry> log = log_entries("/unsized/" + name, 2);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].range, "bytes=27952-");
  EXPECT_EQ(log[1].status, 200u);
}

TEST_F(WebDownloadTest, ThroughTinyproxyWithAndWithoutAuthentication) {
  const std::string name = test::unique_name("proxied");
  const std::string content = serve(name, test::test_content(100000, 17));
  EXPECT_TRUE(download({files_url(name)}, {bench_.proxy, bench_.proxy_port, "", ""}).success);
  EXPECT_TRUE(archive() == content);
  DeleteFileA(archive_.c_str());
  EXPECT_TRUE(
      download({files_url(name)}, {bench_.proxy, bench_.auth_proxy_port, bench_.proxy_user, bench_.proxy_password})
          .success);
  EXPECT_TRUE(archive() == content);
  DeleteFileA(archive_.c_str());
  EXPECT_FALSE(download({files_url(name)}, {bench_.proxy, bench_.auth_proxy_port, bench_.proxy_user, "wrong"}).success);
  EXPECT_EQ(GetFileAttributesA(archive_.c_str()), INVALID_FILE_ATTRIBUTES);

  const std::vector<AccessLogEntry> log = log_entries("/files/" + name, 4);
  ASSERT_EQ(log.size(), 4u);  // HEAD and GET twice; the refused ones never got here
  for (const AccessLogEntry& entry : log) EXPECT_NE(entry.via.find("tinyproxy"), std::string::npos);
}

TEST_F(WebDownloadTest, AnUnknownSizeCyclesThePercentage) {
  const std::string name = test::unique_name("unsized");
  const std::string content = serve(name, test::test_content(3 * 1024 * 1024, 18));
  EXPECT_TRUE(download({bench_.url + "/unsized/" + name}).success);
  EXPECT_TRUE(archive() == content);
  ASSERT_FALSE(progress_.texts.empty());
  for (std::size_t i = 0; i < progress_.percents.size(); ++i) {
    EXPECT_EQ(progress_.percents[i], static_cast<int>((i + 1) % 101));
    EXPECT_EQ(progress_.texts[i].find('%'), std::string::npos) << progress_.texts[i];
  }
  EXPECT_EQ(progress_.texts.back(), "3,145,728 bytes received");
}

TEST_F(WebDownloadTest, AnEmptyArchiveDividesByNothing) {
  const std::string name = test::unique_name("empty");
  serve(name, "");
  EXPECT_TRUE(download({files_url(name)}).success);
  EXPECT_TRUE(archive().empty());
}

TEST_F(WebDownloadTest, AStopFromTheProgressEndsTheTransferAndKeepsThePartialFile) {
  const std::string name = test::unique_name("stopped");
  // Wine's WinINet, closing a request, still takes in what arrives of the
  // rest of its body without waiting: over loopback that is all of it, so
  // the file stays small enough for that to be quick.
  const std::string content = serve(name, test::test_content(8 * 1024 * 1024, 19));
  stop_after_reports_ = 2;
  const auto started = std::chrono::steady_clock::now();
  const WebDownloadResult result = download({files_url(name), files_url(name)});
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_FALSE(result.success);
  EXPECT_EQ(progress_.texts.size(), 2u);  // the second location was not tried
  EXPECT_LT(elapsed, std::chrono::seconds(5));
  const std::string partial = archive();
  EXPECT_GT(partial.size(), 0u);
  EXPECT_LE(partial.size(), 2u * 256 * 1024);  // two chunks, nothing after the stop
  EXPECT_TRUE(partial == content.substr(0, partial.size()));
  EXPECT_EQ(log_entries("/files/" + name, 2).size(), 2u);  // one HEAD, one GET
}

TEST_F(WebDownloadTest, TheUrlMonikerDownloadsOrHandsOverToHttp) {
  const std::string name = test::unique_name("moniker");
  const std::string content = serve(name, test::test_content(600000, 20));
  moniker_first_ = true;
  const WebDownloadResult result = download({files_url(name)});
  EXPECT_TRUE(result.success);
  EXPECT_TRUE(archive() == content);
  if (moniker_first_) {
    EXPECT_EQ(result.route, DownloadRoute::kUrlMoniker);
  } else {
    // Unusable here: the HTTP client took over, for the rest of the run.
    EXPECT_EQ(result.route, DownloadRoute::kHttpClient);
    EXPECT_EQ(log_entries("/files/" + name, 2)[1].agent, "Mozilla/3.0 (compatible)");
  }
  ::testing::Test::RecordProperty("url_moniker", moniker_first_ ? "usable" : "unusable");
  std::printf("URL moniker under this system: %s\n", moniker_first_ ? "usable" : "unusable, HTTP client used");
}

TEST_F(WebDownloadTest, TheUrlMonikerFailsALocationWithoutHandingOver) {
  moniker_first_ = true;
  const std::string name = test::unique_name("moniker-missing");
  const WebDownloadResult result = download({files_url(name)});
  EXPECT_FALSE(result.success);
  if (moniker_first_) {
    EXPECT_EQ(result.route, DownloadRoute::kUrlMoniker);
    for (const AccessLogEntry& entry : log_entries("/files/" + name)) {
      EXPECT_NE(entry.agent, "Mozilla/3.0 (compatible)");  // the HTTP client never asked
    }
  }
}

// As a setup meets it: a location that answers 404 through the URL moniker,
// then one that serves, on a thread of their own that ends afterwards.
TEST_F(WebDownloadTest, AfterAMissingLocationTheNextOneServes) {
  const std::string missing = test::unique_name("moniker-gone");
  const std::string name = test::unique_name("moniker-next");
  const std::string content = serve(name, test::test_content(300000, 21));
  moniker_first_ = true;
  WebDownloadResult result;
  std::thread download_thread([&] { result = download({files_url(missing), files_url(name)}); });
  download_thread.join();
  EXPECT_TRUE(result.success);
  EXPECT_TRUE(archive() == content);
}

TEST(DownloadProgressTextTest, BytesAndPercentage) {
  const MessageCatalogue messages;
  struct Case {
    std::uint64_t received, total;
    int percent;
    std::string text;
  };
  const Case cases[] = {
      {1234567, 3000000, 42, "1,234,567 bytes received, 42% complete"},
      {0, 1000, 1, "0 bytes received, 1% complete"},
      {999, 1000, 100, "999 bytes received, 100% complete"},
      {1000, 1000, 100, "1,000 bytes received, 100% complete"},
      {5000, 1000, 100, "5,000 bytes received, 100% complete"},
      {123, 0, 1, "123 bytes received"},
      {18446744073709551000ull, 18446744073709551615ull, 100, "18,446,744,073,709,551,000 bytes received, 100% complete"},
      {9000000000000000000ull, 18000000000000000000ull, 51, "9,000,000,000,000,000,000 bytes received, 51% complete"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DownloadProgressText texts(messages);
    const DownloadProgressReport report = texts.next(c.received, c.total);
    EXPECT_EQ(report.percent, c.percent);
    EXPECT_EQ(report.text, c.text);
  }
}

TEST(DownloadProgressTextTest, AnUnknownTotalCyclesOneToHundredThenZero) {
  const MessageCatalogue messages;
  DownloadProgressText texts(messages);
  std::vector<int> percents;
  for (int i = 0; i < 203; ++i) percents.push_back(texts.next(1, 0).percent);
  EXPECT_EQ(percents[0], 1);
  EXPECT_EQ(percents[99], 100);
  EXPECT_EQ(percents[100], 0);
  EXPECT_EQ(percents[101], 1);
  EXPECT_EQ(percents[201], 0);
  EXPECT_EQ(texts.with_text("Connecting to").percent, percents.back());
}

}  // namespace
}  // namespace qm::media
