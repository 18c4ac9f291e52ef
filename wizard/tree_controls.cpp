#include "wizard/tree_controls.h"

#include <algorithm>
#include <cstring>

#include "platform/wide_text.h"
#include "script/ansi_text.h"
#include "wizard/published_properties.h"
#include "wizard/tree_node_data.h"

namespace qm {

namespace {

using K = PropertyKind;

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

// UTF-16 node texts in the system's ANSI code page, as the tree shows them.
std::string ansi_from_utf16(std::u16string_view text) {
  return platform::ansi_from_wide(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

void insert_designed_nodes(HWND tree, HTREEITEM parent, const std::vector<DesignedNode>& nodes) {
  for (const DesignedNode& node : nodes) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent == nullptr ? TVI_ROOT : parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(node.text.c_str());
    insert.item.iImage = node.image;
    insert.item.iSelectedImage = node.selected_image;
    const auto made =
        reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (made != nullptr) insert_designed_nodes(tree, made, node.children);
  }
}

}  // namespace

void TreeViewControl::assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) {
  const bool ansi = is(property, "Items.Data");
  if (!ansi && !is(property, "Items.NodeData")) return;
  std::optional<std::vector<DesignedNode>> nodes =
      read_tree_nodes(bytes, ansi ? NodeTextForm::kAnsi : NodeTextForm::kWide, ansi_from_utf16);
  if (!nodes) throw BinaryValueRefused();
  designed_nodes_ = std::move(*nodes);
}

HWND TreeViewControl::make_window(HWND parent, const RECT& bounds) {
  DWORD style = WS_CHILD | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
  if (stored("ShowButtons") == "False") style &= ~TVS_HASBUTTONS;
  if (stored("ShowLines") == "False") style &= ~TVS_HASLINES;
  if (stored("ShowRoot") == "False") style &= ~TVS_LINESATROOT;
  if (stored("HideSelection") == "False") style |= TVS_SHOWSELALWAYS;
  if (stored("RowSelect") == "True") style |= TVS_FULLROWSELECT;
  if (stored("ReadOnly") == "False") style |= TVS_EDITLABELS;
  const DWORD extended = is(stored("BorderStyle"), "bsNone") ? 0 : WS_EX_CLIENTEDGE;
  HWND tree = CreateWindowExA(extended, WC_TREEVIEWA, "", style, bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (tree != nullptr) insert_designed_nodes(tree, nullptr, designed_nodes_);
  return tree;
}

void TreeViewControl::apply(std::string_view property) {
  const auto flag = [this](DWORD bit, bool on) {
    const LONG_PTR style = GetWindowLongPtrA(window(), GWL_STYLE);
    SetWindowLongPtrA(window(), GWL_STYLE, on ? style | bit : style & ~static_cast<LONG_PTR>(bit));
    InvalidateRect(window(), nullptr, TRUE);
  };
  if (is(property, "HideSelection")) return flag(TVS_SHOWSELALWAYS, stored("HideSelection") == "False");
  if (is(property, "ReadOnly")) return flag(TVS_EDITLABELS, stored("ReadOnly") == "False");
  Control::apply(property);
}

HTREEITEM TreeViewControl::add_node(HTREEITEM parent, const std::string& text) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent == nullptr ? TVI_ROOT : parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.lParam = 0;
  return reinterpret_cast<HTREEITEM>(SendMessageA(window(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TreeViewControl::clear() { SendMessageA(window(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }

std::string TreeViewControl::node_text(HTREEITEM node) const {
  char text[1024] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = node;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(window(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

void TreeViewControl::set_node_text(HTREEITEM node, const std::string& text) {
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = node;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(window(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int TreeViewControl::node_component(HTREEITEM node) const {
  TVITEMA item{};
  item.mask = TVIF_PARAM;
  item.hItem = node;
  SendMessageA(window(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return static_cast<int>(item.lParam);
}

void TreeViewControl::set_node_component(HTREEITEM node, int component) {
  TVITEMA item{};
  item.mask = TVIF_PARAM;
  item.hItem = node;
  item.lParam = component;
  SendMessageA(window(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TreeViewControl::set_node_image(HTREEITEM node, int image) {
  TVITEMA item{};
  item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = node;
  item.iImage = image;
  item.iSelectedImage = image;
  SendMessageA(window(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int TreeViewControl::node_image(HTREEITEM node) const {
  TVITEMA item{};
  item.mask = TVIF_IMAGE;
  item.hItem = node;
  SendMessageA(window(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}

std::vector<HTREEITEM> TreeViewControl::children(HTREEITEM node) const {
  std::vector<HTREEITEM> found;
  auto child = reinterpret_cast<HTREEITEM>(
      SendMessageA(window(), TVM_GETNEXTITEM, node == nullptr ? TVGN_ROOT : TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
  for (; child != nullptr;
       child = reinterpret_cast<HTREEITEM>(SendMessageA(window(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
    found.push_back(child);
  return found;
}

std::vector<HTREEITEM> TreeViewControl::all_nodes() const {
  std::vector<HTREEITEM> found;
  std::vector<HTREEITEM> pending = children(nullptr);
  // Depth first, in the order the tree shows them.
  std::vector<HTREEITEM> stack(pending.rbegin(), pending.rend());
  while (!stack.empty()) {
    HTREEITEM node = stack.back();
    stack.pop_back();
    found.push_back(node);
    const std::vector<HTREEITEM> below = children(node);
    stack.insert(stack.end(), below.rbegin(), below.rend());
  }
  return found;
}

HTREEITEM TreeViewControl::parent_of(HTREEITEM node) const {
  return reinterpret_cast<HTREEITEM>(SendMessageA(window(), TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(node)));
}

HTREEITEM TreeViewControl::selected() const {
  return reinterpret_cast<HTREEITEM>(SendMessageA(window(), TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void TreeViewControl::select(HTREEITEM node) {
  SendMessageA(window(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
}

void TreeViewControl::expand_all() {
  for (HTREEITEM node : all_nodes()) SendMessageA(window(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

std::string TreeViewControl::node_path(HTREEITEM node) const {
  std::string path;
  for (HTREEITEM at = node; at != nullptr; at = parent_of(at)) path = node_text(at) + (path.empty() ? "" : "\\" + path);
  return path;
}

HTREEITEM TreeViewControl::icon_at(POINT point) const {
  TVHITTESTINFO hit{};
  hit.pt = point;
  SendMessageA(window(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  return (hit.flags & TVHT_ONITEMICON) != 0 ? hit.hItem : nullptr;
}

RECT TreeViewControl::node_text_bounds(HTREEITEM node) const {
  // The message takes the node in the rectangle it fills.
  RECT bounds{};
  std::memcpy(&bounds, &node, sizeof node);
  SendMessageA(window(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&bounds));
  return bounds;
}

void TreeViewControl::set_images(HIMAGELIST images) {
  SendMessageA(window(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

void TreeViewControl::notify(UINT code, LPARAM details) {
  if (code == TVN_SELCHANGEDA || code == TVN_SELCHANGEDW) {
    EventDetails change;
    change.item = reinterpret_cast<LPARAM>(reinterpret_cast<const NMTREEVIEWA*>(details)->itemNew.hItem);
    raise(ControlEvent::kChange, change);
  } else if (code == static_cast<UINT>(NM_CLICK) || code == static_cast<UINT>(NM_RCLICK)) {
    // The tree view keeps the button's release to itself and reports the click.
    EventDetails click;
    GetCursorPos(&click.point);
    ScreenToClient(window(), &click.point);
    click.key = code == static_cast<UINT>(NM_CLICK) ? VK_LBUTTON : VK_RBUTTON;
    raise(ControlEvent::kMouseUp, click);
  } else if (code == TVN_KEYDOWN) {
    EventDetails key;
    key.key = reinterpret_cast<const NMTVKEYDOWN*>(details)->wVKey;
    raise(ControlEvent::kKeyUp, key);
  }
}

std::vector<const ControlClass*> tree_control_classes() {
  static const ControlClass tree_view{
      "TTreeView", nullptr,
      joined({&control_properties(), &windowed_properties(), &appearance_properties()},
             {{"ReadOnly", K::kBoolean, "False"},
              {"HideSelection", K::kBoolean, "True"},
              {"ShowButtons", K::kBoolean, "True"},
              {"ShowLines", K::kBoolean, "True"},
              {"ShowRoot", K::kBoolean, "True"},
              {"RowSelect", K::kBoolean, "False"},
              {"AutoExpand", K::kBoolean, "False"},
              {"HotTrack", K::kBoolean, "False"},
              {"Indent", K::kInteger, "19"},
              {"SortType", K::kIdentifier, "stNone"},
              {"BorderStyle", K::kIdentifier, "bsSingle"},
              {"BevelInner", K::kIdentifier},
              {"BevelOuter", K::kIdentifier},
              {"BevelKind", K::kIdentifier},
              {"Ctl3D", K::kBoolean},
              {"Images", K::kIdentifier},
              {"StateImages", K::kIdentifier},
              {"ToolTips", K::kBoolean, "True"},
              {"MultiSelect", K::kBoolean, "False"},
              {"Items", K::kBinary},
              {"OnChange", K::kEvent},
              {"OnChanging", K::kEvent},
              {"OnCollapsed", K::kEvent},
              {"OnExpanded", K::kEvent}}),
      [](const ControlClass& control_class) { return std::make_unique<TreeViewControl>(control_class); }};
  return {&tree_view};
}

}  // namespace qm
