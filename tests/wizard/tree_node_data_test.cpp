// The nodes a designer stores for a tree view: both text forms, nesting, and
// damaged data refused whole; a tree on a page showing them.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/wizard/control_test_page.h"
#include "wizard/tree_controls.h"
#include "wizard/tree_node_data.h"

namespace qm {
namespace {

// Node data as the designer writes it.
class NodeWriter {
 public:
  explicit NodeWriter(NodeTextForm form) : form_(form) {}

  NodeWriter& count(std::int32_t n) {
    put32(n);
    return *this;
  }
  NodeWriter& node(const std::string& text, std::int32_t children, std::int32_t image = 0) {
    const std::int32_t unit = form_ == NodeTextForm::kWide ? 2 : 1;
    put32(25 + static_cast<std::int32_t>(text.size()) * unit);
    for (std::int32_t field : {image, image + 1, -1, -1, 0, children}) put32(field);
    bytes.push_back(static_cast<std::uint8_t>(text.size()));
    for (char c : text) {
      bytes.push_back(static_cast<std::uint8_t>(c));
      if (unit == 2) bytes.push_back(0);
    }
    return *this;
  }

  std::vector<std::uint8_t> bytes;

 private:
  void put32(std::int32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
  }
  NodeTextForm form_;
};

// "Program" with "Tools" (holding "Lint") and "Help" under it, then "Extras".
std::vector<std::uint8_t> sample(NodeTextForm form) {
  return NodeWriter(form)
      .count(2)
      .node("Program", 2, 3)
      .node("Tools", 1)
      .node("Lint", 0)
      .node("Help", 0)
      .node("Extras", 0)
      .bytes;
}

TEST(TreeNodeDataTest, BothTextFormsReadAsTheSameTree) {
  for (NodeTextForm form : {NodeTextForm::kAnsi, NodeTextForm::kWide}) {
    const std::optional<std::vector<DesignedNode>> roots = read_tree_nodes(sample(form), form);
    ASSERT_TRUE(roots.has_value());
    ASSERT_EQ(roots->size(), 2u);
    const DesignedNode& program = (*roots)[0];
    EXPECT_EQ(program.text, "Program");
    EXPECT_EQ(program.image, 3);
    EXPECT_EQ(program.selected_image, 4);
    ASSERT_EQ(program.children.size(), 2u);
    EXPECT_EQ(program.children[0].text, "Tools");
    ASSERT_EQ(program.children[0].children.size(), 1u);
    EXPECT_EQ(program.children[0].children[0].text, "Lint");
    EXPECT_EQ(program.children[1].text, "Help");
    EXPECT_EQ((*roots)[1].text, "Extras");
  }
  EXPECT_TRUE(read_tree_nodes(NodeWriter(NodeTextForm::kAnsi).count(0).bytes, NodeTextForm::kAnsi)->empty());
}

TEST(TreeNodeDataTest, DamagedDataIsRefusedWhole) {
  const std::vector<std::uint8_t> good = sample(NodeTextForm::kAnsi);
  std::vector<std::uint8_t> cut(good.begin(), good.end() - 3);
  std::vector<std::uint8_t> trailing = good;
  trailing.push_back(0);
  std::vector<std::uint8_t> wrong_length = good;
  wrong_length[4 + 4 + 24] = 9;  // "Program" said to be 9 bytes long
  const struct {
    const char* what;
    std::vector<std::uint8_t> data;
  } cases[] = {
      {"empty", {}},
      {"cut short", cut},
      {"bytes after the last node", trailing},
      {"a text length the size does not hold", wrong_length},
      {"a negative count", NodeWriter(NodeTextForm::kAnsi).count(-1).bytes},
      {"more nodes than bytes", NodeWriter(NodeTextForm::kAnsi).count(0x7FFFFFFF).node("a", 0).bytes},
      {"a node larger than the data", NodeWriter(NodeTextForm::kAnsi).count(1).count(0x7FFFFFF0).bytes},
      {"a size below the fixed fields", NodeWriter(NodeTextForm::kAnsi).count(1).count(3).count(0).bytes},
  };
  for (const auto& c : cases)
    EXPECT_FALSE(read_tree_nodes(c.data, NodeTextForm::kAnsi).has_value()) << c.what;

  // Nesting past the depth limit.
  NodeWriter chain(NodeTextForm::kAnsi);
  chain.count(1);
  for (int level = 0; level < 70; ++level) chain.node("n", level == 69 ? 0 : 1);
  EXPECT_FALSE(read_tree_nodes(chain.bytes, NodeTextForm::kAnsi).has_value());
  TreeNodeLimits roomy;
  roomy.max_depth = 100;
  EXPECT_TRUE(read_tree_nodes(chain.bytes, NodeTextForm::kAnsi, latin1_from_utf16, roomy).has_value());
}

TEST(TreeNodeDataTest, APageShowsTheDesignedNodes) {
  test::ShownPage shown("  object Tree: TTreeView\n    Left = 8\n    Top = 8\n    Width = 200\n    Height = 150\n" +
                        test::binary_line("Items.NodeData", sample(NodeTextForm::kWide)) + "  end\n");
  auto& tree = static_cast<TreeViewControl&>(shown["Tree"]);
  const std::vector<HTREEITEM> roots = tree.children(nullptr);
  ASSERT_EQ(roots.size(), 2u);
  EXPECT_EQ(tree.node_text(roots[1]), "Extras");
  const std::vector<HTREEITEM> nodes = tree.all_nodes();
  ASSERT_EQ(nodes.size(), 5u);
  EXPECT_EQ(tree.node_path(nodes[2]), "Program\\Tools\\Lint");
  EXPECT_EQ(tree.node_image(roots[0]), 3);
}

}  // namespace
}  // namespace qm
