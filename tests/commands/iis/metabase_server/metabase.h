#pragma once
// The state of the test web server: a small metabase of keys ("W3SVC",
// "W3SVC/1", "W3SVC/1/Root/shop"), each with its class and its properties as
// text, kept in a text file that the server reads when it is created and
// writes after every change, and that the tests prepare and read back:
//
//   [W3SVC/1]
//   class=IIsWebServer
//   ServerComment=Default Web Site
//
// Truth values are written "TRUE"/"FALSE", numbers in decimal, a MimeMap as
// "extension,type" entries joined by ";". Keys and property names compare
// ignoring case, as the metabase's do.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::test {

struct MetabaseNode {
  std::string path;
  std::string class_name;
  std::vector<std::pair<std::string, std::string>> properties;

  std::optional<std::string> get(std::string_view name) const;
  void set(std::string_view name, std::string_view value);
};

class Metabase {
 public:
  static Metabase parse(std::string_view text);
  std::string text() const;
  // A file that cannot be read is an empty metabase.
  static Metabase load(const std::string& file);
  bool save(const std::string& file) const;

  MetabaseNode* find(std::string_view path);
  const MetabaseNode* find(std::string_view path) const;
  // A property of a key; nothing when the key or the property is missing.
  std::optional<std::string> get(std::string_view path, std::string_view name) const;
  MetabaseNode& add(std::string_view path, std::string_view class_name);
  // The key and every key below it.
  void remove_tree(std::string_view path);
  // The keys right below `path`, in file order.
  std::vector<const MetabaseNode*> children(std::string_view path) const;

  std::vector<MetabaseNode> nodes;
};

bool same_text_ignoring_case(std::string_view a, std::string_view b);

// The environment variable naming the metabase file; the server writes its
// call log beside it, to the same name + ".calls", one call a line:
// "<key>|<member>|<argument>|...".
inline constexpr const char* kMetabaseVariable = "QM_TEST_METABASE";
inline std::string call_log_of(const std::string& metabase_file) { return metabase_file + ".calls"; }

}  // namespace qm::test
