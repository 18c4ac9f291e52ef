#include "tests/commands/iis/metabase_server/metabase.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace qm::test {

bool same_text_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<std::string> MetabaseNode::get(std::string_view name) const {
  for (const auto& [key, value] : properties)
    if (same_text_ignoring_case(key, name)) return value;
  return std::nullopt;
}

void MetabaseNode::set(std::string_view name, std::string_view value) {
  for (auto& [key, old] : properties)
    if (same_text_ignoring_case(key, name)) {
      old = value;
      return;
    }
  properties.emplace_back(name, value);
}

Metabase Metabase::parse(std::string_view text) {
  Metabase metabase;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      metabase.nodes.push_back({line.substr(1, line.size() - 2), "", {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (metabase.nodes.empty() || equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    if (name == "class")
      metabase.nodes.back().class_name = line.substr(equals + 1);
    else
      metabase.nodes.back().properties.emplace_back(name, line.substr(equals + 1));
  }
  return metabase;
}

std::string Metabase::text() const {
  std::string text;
  for (const MetabaseNode& node : nodes) {
    text += "[" + node.path + "]\r\nclass=" + node.class_name + "\r\n";
    for (const auto& [name, value] : node.properties) text += name + "=" + value + "\r\n";
  }
  return text;
}

Metabase Metabase::load(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return parse(text.str());
}

bool Metabase::save(const std::string& file) const {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text();
  return static_cast<bool>(out);
}

MetabaseNode* Metabase::find(std::string_view path) {
  for (MetabaseNode& node : nodes)
    if (same_text_ignoring_case(node.path, path)) return &node;
  return nullptr;
}

const MetabaseNode* Metabase::find(std::string_view path) const {
  return const_cast<Metabase*>(this)->find(path);
}

std::optional<std::string> Metabase::get(std::string_view path, std::string_view name) const {
  const MetabaseNode* node = find(path);
  return node ? node->get(name) : std::nullopt;
}

MetabaseNode& Metabase::add(std::string_view path, std::string_view class_name) {
  if (MetabaseNode* node = find(path)) return *node;
  nodes.push_back({std::string(path), std::string(class_name), {}});
  return nodes.back();
}

namespace {

bool is_below(std::string_view path, std::string_view parent) {
  return path.size() > parent.size() + 1 && path[parent.size()] == '/' &&
         same_text_ignoring_case(path.substr(0, parent.size()), parent);
}

}  // namespace

void Metabase::remove_tree(std::string_view path) {
  std::erase_if(nodes, [&](const MetabaseNode& node) {
    return same_text_ignoring_case(node.path, path) || is_below(node.path, path);
  });
}

std::vector<const MetabaseNode*> Metabase::children(std::string_view path) const {
  std::vector<const MetabaseNode*> found;
  for (const MetabaseNode& node : nodes)
    if (is_below(node.path, path) && node.path.find('/', path.size() + 1) == std::string::npos)
      found.push_back(&node);
  return found;
}

}  // namespace qm::test
