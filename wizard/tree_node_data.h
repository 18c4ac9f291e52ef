#pragma once
// Reads the nodes a form designer stored for a tree view ("Items.Data" =
// {...}, or "Items.NodeData" from designers that store text in UTF-16):
//
//   data  = count:int32 { node }                  (count root nodes)
//   node  = size:int32 image:int32 selected:int32 state:int32 overlay:int32
//           data:int32 count:int32 length:uint8 text { node }   (count children)
//
// little-endian, `size` counting the fields after it. The text is `length`
// bytes of 8-bit text ("Items.Data") or `length` UTF-16 units
// ("Items.NodeData"). The data comes from the setup's resource archive,
// which a user can replace: counts must fit in the bytes that remain, depth
// and number of nodes are bounded, and data that breaks any of this is
// refused whole.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "wizard/form_text.h"

namespace qm {

struct DesignedNode {
  std::string text;
  int image = -1;
  int selected_image = -1;
  int state_image = -1;
  std::vector<DesignedNode> children;
};

enum class NodeTextForm {
  kAnsi,  // Items.Data
  kWide,  // Items.NodeData
};

struct TreeNodeLimits {
  std::size_t max_depth = 64;
  std::size_t max_nodes = 100000;
};

// The root nodes, or nothing when the data is damaged.
std::optional<std::vector<DesignedNode>> read_tree_nodes(std::span<const std::uint8_t> data, NodeTextForm form,
                                                         const WideTextConverter& to_ansi = latin1_from_utf16,
                                                         const TreeNodeLimits& limits = {});

}  // namespace qm
