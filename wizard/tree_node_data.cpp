#include "wizard/tree_node_data.h"

namespace qm {

namespace {

// The fixed fields of a node after its size: six numbers and the length.
constexpr std::size_t kNodeFields = 6 * 4 + 1;

class NodeReader {
 public:
  NodeReader(std::span<const std::uint8_t> data, NodeTextForm form, const WideTextConverter& to_ansi,
             const TreeNodeLimits& limits)
      : data_(data), form_(form), to_ansi_(to_ansi), limits_(limits) {}

  std::optional<std::vector<DesignedNode>> read() {
    std::vector<DesignedNode> roots;
    const std::optional<std::int32_t> count = int32();
    if (!count || !read_list(roots, *count, 0) || at_ != data_.size()) return std::nullopt;
    return roots;
  }

 private:
  bool read_list(std::vector<DesignedNode>& nodes, std::int32_t count, std::size_t depth) {
    if (count < 0) return false;
    if (count == 0) return true;
    if (depth >= limits_.max_depth) return false;
    // Every node takes at least its size and fixed fields: a count the
    // remaining bytes cannot hold is damage, found before anything grows.
    if (static_cast<std::size_t>(count) > (data_.size() - at_) / (4 + kNodeFields)) return false;
    nodes.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
      if (++nodes_read_ > limits_.max_nodes) return false;
      nodes.emplace_back();
      if (!read_node(nodes.back(), depth)) return false;
    }
    return true;
  }

  bool read_node(DesignedNode& node, std::size_t depth) {
    const std::optional<std::int32_t> size = int32();
    if (!size || *size < static_cast<std::int32_t>(kNodeFields)) return false;
    if (static_cast<std::size_t>(*size) > data_.size() - at_) return false;
    const std::size_t end = at_ + static_cast<std::size_t>(*size);
    node.image = *int32();
    node.selected_image = *int32();
    node.state_image = *int32();
    at_ += 8;  // the overlay image and the designer's own data
    const std::int32_t children = *int32();
    const std::size_t length = data_[at_++];
    const std::size_t unit = form_ == NodeTextForm::kWide ? 2 : 1;
    if (end - at_ != length * unit) return false;
    node.text = text(length);
    return read_list(node.children, children, depth + 1);
  }

  std::string text(std::size_t length) {
    if (form_ == NodeTextForm::kAnsi) {
      std::string ansi(reinterpret_cast<const char*>(data_.data() + at_), length);
      at_ += length;
      return ansi;
    }
    std::u16string wide;
    wide.reserve(length);
    for (std::size_t i = 0; i < length; ++i, at_ += 2)
      wide.push_back(static_cast<char16_t>(data_[at_] | (data_[at_ + 1] << 8)));
    return to_ansi_(wide);
  }

  std::optional<std::int32_t> int32() {
    if (data_.size() - at_ < 4) return std::nullopt;
    const std::uint32_t value = static_cast<std::uint32_t>(data_[at_]) | (static_cast<std::uint32_t>(data_[at_ + 1]) << 8) |
                                (static_cast<std::uint32_t>(data_[at_ + 2]) << 16) |
                                (static_cast<std::uint32_t>(data_[at_ + 3]) << 24);
    at_ += 4;
    return static_cast<std::int32_t>(value);
  }

  std::span<const std::uint8_t> data_;
  NodeTextForm form_;
  const WideTextConverter& to_ansi_;
  const TreeNodeLimits& limits_;
  std::size_t at_ = 0;
  std::size_t nodes_read_ = 0;
};

}  // namespace

std::optional<std::vector<DesignedNode>> read_tree_nodes(std::span<const std::uint8_t> data, NodeTextForm form,
                                                         const WideTextConverter& to_ansi,
                                                         const TreeNodeLimits& limits) {
  return NodeReader(data, form, to_ansi, limits).read();
}

}  // namespace qm
