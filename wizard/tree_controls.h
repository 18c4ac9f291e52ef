#pragma once
// The tree view of wizard pages (`TTreeView`), with what binding and the
// feature tree need of it: nodes with texts, the component each node stands
// for, their images, the selection, and where the user clicked.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "wizard/control_class.h"
#include "wizard/tree_node_data.h"

namespace qm {

std::vector<const ControlClass*> tree_control_classes();

class TreeViewControl : public Control {
 public:
  using Control::Control;

  // A new last child of `parent` (null: a new root).
  HTREEITEM add_node(HTREEITEM parent, const std::string& text);
  void clear();
  std::string node_text(HTREEITEM node) const;
  void set_node_text(HTREEITEM node, const std::string& text);
  // The component a node stands for: its 1-based position in the model, 0
  // for a node made only to hold others.
  int node_component(HTREEITEM node) const;
  void set_node_component(HTREEITEM node, int component);
  // Image and selected image together.
  void set_node_image(HTREEITEM node, int image);
  int node_image(HTREEITEM node) const;
  // The children of a node (null: the roots), in order.
  std::vector<HTREEITEM> children(HTREEITEM node) const;
  // Every node, parents before their children.
  std::vector<HTREEITEM> all_nodes() const;
  HTREEITEM parent_of(HTREEITEM node) const;
  HTREEITEM selected() const;
  void select(HTREEITEM node);
  void expand_all();
  // The node's texts from its root down to it, joined with "\".
  std::string node_path(HTREEITEM node) const;
  // Whether a point (client pixels) lies on a node's icon, and the node.
  HTREEITEM icon_at(POINT point) const;
  RECT node_text_bounds(HTREEITEM node) const;
  void set_images(HIMAGELIST images);

  void notify(UINT code, LPARAM details) override;
  // The nodes the designer stored ("Items.Data", "Items.NodeData").
  void assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) override;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override;
  void apply(std::string_view property) override;

 private:
  std::vector<DesignedNode> designed_nodes_;
};

}  // namespace qm
