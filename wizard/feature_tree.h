#pragma once
// The component model shown as the wizard's feature tree: the tree filled
// from the model, the images that tell installed from not installed, and the
// popup menu through which the user changes how a feature is installed.

#include <windows.h>

#include <optional>

#include "engine/component_model.h"
#include "platform/dialog_form.h"
#include "script/message_catalogue.h"
#include "wizard/list_controls.h"
#include "wizard/tree_controls.h"

namespace qm {

// Image 0: the feature will not be installed; image 1: it will.
class FeatureImages {
 public:
  explicit FeatureImages(const platform::DpiScale& scale);
  ~FeatureImages();
  FeatureImages(const FeatureImages&) = delete;
  FeatureImages& operator=(const FeatureImages&) = delete;
  HIMAGELIST list() const { return list_; }

 private:
  HIMAGELIST list_ = nullptr;
};

// Fills the tree from the model's names (the engine's own component, deleted
// ones and those hidden with an ancestor left out). The first segment of a
// name is looked for among all nodes, the others among the children of the
// node found; missing nodes are made and carry no component.
void fill_feature_tree(TreeViewControl& tree, const ComponentModel& model);

// The component a node stands for ("" for a node that only holds others).
std::string node_component_name(const TreeViewControl& tree, const ComponentModel& model, HTREEITEM node);

// Fills a check list with the top-level components (the engine's own,
// deleted and hidden ones left out), ticked when selected.
void fill_feature_list(CheckListBoxControl& list, const ComponentModel& model);

// The user's marks given to the model: every component whose name begins
// with an item's text takes its mark unless it is locked with an ancestor;
// the marks then show the model's states again.
void apply_feature_list(CheckListBoxControl& list, ComponentModel& model);

enum class FeatureAction {
  kInstallOnly,            // this feature, and the features above it
  kInstallWithChildren,    // this feature with everything below it, and the features above it
  kUnavailable,            // this feature and everything below it not installed
  kDoNotInstallOnly,       // this feature only, not installed (not offered in the menu)
  kDoNotInstallChildren,   // this feature and everything below, not installed (not offered)
};

// Changes the model and the nodes' images as the action says; features
// locked with an ancestor keep their state when the change passes down.
void apply_feature_action(TreeViewControl& tree, ComponentModel& model, HTREEITEM node, FeatureAction action);

// Whether the popup menu is offered for a node: it stands for a component
// that is not locked with an ancestor.
bool feature_menu_offered(const TreeViewControl& tree, const ComponentModel& model, HTREEITEM node);

// Shows the popup menu at `screen` (owned by `owner`) and waits for the
// user's choice; nothing when the menu was dismissed.
std::optional<FeatureAction> choose_feature_action(HWND owner, POINT screen, const MessageCatalogue& messages);

}  // namespace qm
