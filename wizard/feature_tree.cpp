#include "wizard/feature_tree.h"

#include <commctrl.h>

#include "script/ansi_text.h"

namespace qm {

namespace {

constexpr int kInstalledImage = 1;
constexpr int kNotInstalledImage = 0;

// Slots of the engine's message catalogue for the menu's captions.
constexpr int kInstallOnlyCaption = 113;
constexpr int kInstallWithChildrenCaption = 114;
constexpr int kUnavailableCaption = 115;

std::vector<std::string> segments(const std::string& name) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = name.find('\\', start);
    parts.push_back(name.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) return parts;
    start = slash + 1;
  }
}

// A small rounded box: a green one with a tick for installed, a grey one
// with a cross for not installed.
HBITMAP feature_picture(int size, bool installed) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, picture);
  RECT all{0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const COLORREF fill = installed ? RGB(46, 139, 87) : RGB(200, 200, 200);
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN edge = CreatePen(PS_SOLID, 1, installed ? RGB(30, 100, 60) : RGB(150, 150, 150));
  HGDIOBJ old_brush = SelectObject(dc, brush);
  HGDIOBJ old_pen = SelectObject(dc, edge);
  const int inset = size / 8;
  RoundRect(dc, inset, inset, size - inset, size - inset, size / 4, size / 4);
  HPEN mark = CreatePen(PS_SOLID, std::max(1, size / 8), installed ? RGB(255, 255, 255) : RGB(170, 40, 40));
  SelectObject(dc, mark);
  if (installed) {
    const POINT tick[] = {{size * 3 / 10, size / 2}, {size * 9 / 20, size * 13 / 20}, {size * 7 / 10, size * 7 / 20}};
    Polyline(dc, tick, 3);
  } else {
    MoveToEx(dc, size * 7 / 20, size * 7 / 20, nullptr);
    LineTo(dc, size * 13 / 20, size * 13 / 20);
    MoveToEx(dc, size * 13 / 20, size * 7 / 20, nullptr);
    LineTo(dc, size * 7 / 20, size * 13 / 20);
  }
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(mark);
  DeleteObject(edge);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  return picture;
}

HTREEITEM find_anywhere(const TreeViewControl& tree, const std::string& text) {
  for (HTREEITEM node : tree.all_nodes())
    if (same_component_name(tree.node_text(node), text)) return node;
  return nullptr;
}

HTREEITEM find_child(const TreeViewControl& tree, HTREEITEM parent, const std::string& text) {
  for (HTREEITEM node : tree.children(parent))
    if (same_component_name(tree.node_text(node), text)) return node;
  return nullptr;
}

void mark(TreeViewControl& tree, ComponentModel& model, HTREEITEM node, bool selected, bool subtree) {
  const std::string name = node_component_name(tree, model, node);
  if (!name.empty()) {
    model.set_state(name, selected);
    tree.set_node_image(node, selected ? kInstalledImage : kNotInstalledImage);
  }
  if (!subtree) return;
  for (HTREEITEM child : tree.children(node)) {
    const std::string child_name = node_component_name(tree, model, child);
    if (!child_name.empty() && model.locked_in_tree(child_name)) continue;
    mark(tree, model, child, selected, true);
  }
}

}  // namespace

FeatureImages::FeatureImages(const platform::DpiScale& scale) {
  const int size = scale(16);
  list_ = ImageList_Create(size, size, ILC_COLOR32, 2, 0);
  for (const bool installed : {false, true}) {
    HBITMAP picture = feature_picture(size, installed);
    ImageList_Add(list_, picture, nullptr);
    DeleteObject(picture);
  }
}

FeatureImages::~FeatureImages() {
  if (list_ != nullptr) ImageList_Destroy(list_);
}

void fill_feature_tree(TreeViewControl& tree, const ComponentModel& model) {
  tree.clear();
  for (std::size_t index = 0; index < model.names.size(); ++index) {
    const std::string& name = model.names[index];
    if (same_component_name(name, kPredefinedComponent) || model.is_deleted(name) || model.hidden_in_tree(name))
      continue;
    const std::vector<std::string> parts = segments(name);
    HTREEITEM node = find_anywhere(tree, parts.front());
    if (node == nullptr) node = tree.add_node(nullptr, parts.front());
    for (std::size_t part = 1; part < parts.size(); ++part) {
      HTREEITEM child = find_child(tree, node, parts[part]);
      node = child != nullptr ? child : tree.add_node(node, parts[part]);
    }
    tree.set_node_component(node, static_cast<int>(index + 1));
    tree.set_node_image(node, model.state_at(index) == "TRUE" ? kInstalledImage : kNotInstalledImage);
  }
}

void fill_feature_list(CheckListBoxControl& list, const ComponentModel& model) {
  std::vector<std::string> names;
  std::vector<bool> marks;
  for (std::size_t index = 0; index < model.names.size(); ++index) {
    const std::string& name = model.names[index];
    if (name.find('\\') != std::string::npos || same_component_name(name, kPredefinedComponent) ||
        model.is_deleted(name) || model.is_hidden(name))
      continue;
    names.push_back(name);
    marks.push_back(model.state_at(index) == "TRUE");
  }
  list.set_items(names);
  for (std::size_t i = 0; i < marks.size(); ++i) list.set_checked(static_cast<int>(i), marks[i]);
}

void apply_feature_list(CheckListBoxControl& list, ComponentModel& model) {
  std::vector<FeatureListItem> items;
  const std::vector<std::string> texts = list.items();
  for (std::size_t i = 0; i < texts.size(); ++i) items.push_back({texts[i], list.checked(static_cast<int>(i))});
  model.apply_feature_list(items);
  for (std::size_t i = 0; i < items.size(); ++i) list.set_checked(static_cast<int>(i), items[i].checked);
}

std::string node_component_name(const TreeViewControl& tree, const ComponentModel& model, HTREEITEM node) {
  const int component = node == nullptr ? 0 : tree.node_component(node);
  if (component < 1 || static_cast<std::size_t>(component) > model.names.size()) return "";
  return model.names[static_cast<std::size_t>(component) - 1];
}

bool feature_menu_offered(const TreeViewControl& tree, const ComponentModel& model, HTREEITEM node) {
  const std::string name = node_component_name(tree, model, node);
  return !name.empty() && !model.locked_in_tree(name);
}

void apply_feature_action(TreeViewControl& tree, ComponentModel& model, HTREEITEM node, FeatureAction action) {
  const auto mark_ancestors = [&] {
    for (HTREEITEM above = tree.parent_of(node); above != nullptr; above = tree.parent_of(above))
      mark(tree, model, above, true, false);
  };
  switch (action) {
    case FeatureAction::kInstallOnly:
      mark(tree, model, node, true, false);
      mark_ancestors();
      break;
    case FeatureAction::kInstallWithChildren:
      mark(tree, model, node, true, true);
      mark_ancestors();
      break;
    case FeatureAction::kUnavailable:
    case FeatureAction::kDoNotInstallChildren:
      mark(tree, model, node, false, true);
      break;
    case FeatureAction::kDoNotInstallOnly:
      mark(tree, model, node, false, false);
      break;
  }
  InvalidateRect(tree.window(), nullptr, TRUE);
}

std::optional<FeatureAction> choose_feature_action(HWND owner, POINT screen, const MessageCatalogue& messages) {
  HMENU menu = CreatePopupMenu();
  const struct {
    FeatureAction action;
    int caption;
  } items[] = {{FeatureAction::kInstallOnly, kInstallOnlyCaption},
               {FeatureAction::kInstallWithChildren, kInstallWithChildrenCaption},
               {FeatureAction::kUnavailable, kUnavailableCaption}};
  for (const auto& item : items)
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(item.action) + 1, messages.text(item.caption).c_str());
  // A popup menu that its owner does not lead closes at once.
  SetForegroundWindow(owner);
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x,
                                    screen.y, 0, owner, nullptr);
  DestroyMenu(menu);
  if (chosen <= 0) return std::nullopt;
  return static_cast<FeatureAction>(chosen - 1);
}

}  // namespace qm
