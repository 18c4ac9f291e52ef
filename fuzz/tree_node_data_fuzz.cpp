// The nodes a designer stored for a tree view (a definition's "Items.Data"
// or "Items.NodeData"), which a user can replace: the first byte chooses the
// text form, the rest is the data. Data that was read keeps within the
// reader's bounds and, written again, reads as the same tree.

#include "fuzz_input.h"
#include "wizard/tree_node_data.h"

namespace {

using qm::DesignedNode;
using qm::NodeTextForm;

void put32(std::vector<std::uint8_t>& out, std::int32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
}

// Texts are written back as 8-bit text: the wide form's texts have already
// been turned into it.
void write_nodes(std::vector<std::uint8_t>& out, const std::vector<DesignedNode>& nodes) {
  put32(out, static_cast<std::int32_t>(nodes.size()));
  for (const DesignedNode& node : nodes) {
    put32(out, static_cast<std::int32_t>(25 + node.text.size()));
    for (std::int32_t field : {node.image, node.selected_image, node.state_image, -1, 0})
      put32(out, field);
    put32(out, static_cast<std::int32_t>(node.children.size()));
    out.push_back(static_cast<std::uint8_t>(node.text.size()));
    out.insert(out.end(), node.text.begin(), node.text.end());
    // The children follow their parent's text; their count stood among its fields.
    std::vector<std::uint8_t> children;
    write_nodes(children, node.children);
    out.insert(out.end(), children.begin() + 4, children.end());
  }
}

bool same(const std::vector<DesignedNode>& a, const std::vector<DesignedNode>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].text != b[i].text || a[i].image != b[i].image || a[i].selected_image != b[i].selected_image ||
        a[i].state_image != b[i].state_image || !same(a[i].children, b[i].children))
      return false;
  }
  return true;
}

std::size_t check_bounds(const std::vector<DesignedNode>& nodes, std::size_t depth,
                         const qm::TreeNodeLimits& limits) {
  std::size_t count = nodes.size();
  if (!nodes.empty()) QM_FUZZ_CHECK(depth < limits.max_depth);
  for (const DesignedNode& node : nodes) {
    QM_FUZZ_CHECK(node.text.size() <= 255);
    count += check_bounds(node.children, depth + 1, limits);
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const NodeTextForm form = (data[0] & 1) != 0 ? NodeTextForm::kWide : NodeTextForm::kAnsi;
  const qm::TreeNodeLimits limits;
  const std::optional<std::vector<DesignedNode>> nodes =
      qm::read_tree_nodes(std::span<const std::uint8_t>(data + 1, size - 1), form, qm::latin1_from_utf16, limits);
  if (!nodes) return 0;
  QM_FUZZ_CHECK(check_bounds(*nodes, 0, limits) <= limits.max_nodes);

  std::vector<std::uint8_t> written;
  write_nodes(written, *nodes);
  const std::optional<std::vector<DesignedNode>> again = qm::read_tree_nodes(written, NodeTextForm::kAnsi);
  QM_FUZZ_CHECK(again.has_value() && same(*nodes, *again));
  return 0;
}
