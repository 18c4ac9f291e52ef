#include "wizard/shell_controls.h"

#include <shellapi.h>

#include <algorithm>

#include "script/ansi_text.h"
#include "script/path_text.h"
#include "wizard/published_properties.h"

namespace qm {

namespace {

using K = PropertyKind;

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

enum HostAction : WPARAM { kOpenItem = 1, kGoUp, kTakeChoice };

// A tree lists at most this many subfolders of one folder: inserting tree
// items is slower than listing files, and nobody browses through more.
constexpr std::size_t kMostTreeChildren = 10000;

// The controls a shell control's ShellTree, ShellList and ShellCombo name
// show the folder it shows now.
void tell_linked(const Control& from, const std::string& folder, ChangeCause cause) {
  if (folder.empty()) return;
  for (const char* link : {"ShellTree", "ShellList", "ShellCombo"}) {
    if (!from.has_property(link)) continue;
    Control* linked = find_on_page(from, from.property_text(link).value_or(""));
    auto* view = dynamic_cast<ShellFolderView*>(linked);
    if (view == nullptr || linked == &from) continue;
    if (!equal_ignore_case(view->shown_folder(), folder)) view->show_folder(folder, cause);
  }
}

// Changes the style bits a property governs, keeping those the control
// keeps itself (its scroll bars).
void change_style(HWND window, DWORD governed, DWORD wanted) {
  const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>((style & ~governed) | (wanted & governed)));
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  InvalidateRect(window, nullptr, TRUE);
}

bool has_border(const Control& control) { return !is(control.property_text("BorderStyle").value_or(""), "bsNone"); }

void copy_text(const std::string& text, char* to, int room) {
  if (to == nullptr || room <= 0) return;
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(room - 1));
  std::copy_n(text.data(), length, to);
  to[length] = '\0';
}

void copy_text(const std::string& text, wchar_t* to, int room) {
  if (to == nullptr || room <= 0) return;
  const int written = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), to, room - 1);
  to[std::max(written, 0)] = L'\0';
}

// "1,234 KB", in whole kilobytes rounded up and grouped as the user's
// locale groups digits, as the shell shows file sizes.
std::string size_text(std::uint64_t bytes) {
  const std::string digits = std::to_string((bytes + 1023) / 1024);
  char separator[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof separator) == 0) separator[0] = ',';
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return grouped + " KB";
}

std::string date_text(const FILETIME& written) {
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &time)) return {};
  char date[64] = {};
  char clock[64] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, sizeof clock);
  return std::string(date) + " " + clock;
}

}  // namespace

// --- TPTShellTree

ShellTreeControl::ShellTreeControl(const ControlClass& control_class) : HostedControl(control_class) {}

ShellTreeControl::~ShellTreeControl() { destroy_window(); }

DWORD ShellTreeControl::tree_style() const {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_DISABLEDRAGDROP;
  if (stored("ShowButtons") != "False") style |= TVS_HASBUTTONS;
  if (stored("ShowLines") != "False") style |= TVS_HASLINES;
  if (stored("ShowRoot") != "False") style |= TVS_LINESATROOT;
  if (stored("HideSelection") == "False") style |= TVS_SHOWSELALWAYS;
  if (stored("ToolTips") == "False") style |= TVS_NOTOOLTIPS;
  if (stored("RowSelect") == "True") style |= TVS_FULLROWSELECT;
  if (stored("HotTrack") == "True") style |= TVS_TRACKSELECT;
  return style;
}

HWND ShellTreeControl::make_inner(HWND host, const RECT& client) {
  icons_ = std::make_unique<ItemIcons>(glyph_size(), scale()(32));
  HWND tree = CreateWindowExA(has_border(*this) ? WS_EX_CLIENTEDGE : 0, WC_TREEVIEWA, "", tree_style(), client.left,
                              client.top, client.right - client.left, client.bottom - client.top, host, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (tree != nullptr)
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons_->small_list()));
  return tree;
}

void ShellTreeControl::inner_made() {
  for (const DriveInfo& drive : logical_drives()) {
    // Drives that may keep the user waiting (a floppy, a disc, a network
    // drive) show an expand button until they are opened.
    const bool answers_at_once = drive.type == DRIVE_FIXED || drive.type == DRIVE_RAMDISK;
    const int image = icons_->drive(drive);
    add_item(TVI_ROOT, drive_caption(drive), drive_root(drive.letter), image, image, answers_at_once, TVI_LAST);
  }
  apply_colours();
  if (!pending_.empty()) {
    const std::string wanted = std::move(pending_);
    pending_.clear();
    show_folder(wanted, ChangeCause::kProgram);
  }
}

void ShellTreeControl::apply_colours() {
  if (inner() == nullptr) return;
  const bool own = own_background().has_value();
  SendMessageA(inner(), TVM_SETBKCOLOR, 0, own ? static_cast<LPARAM>(field_background()) : -1);
  SendMessageA(inner(), TVM_SETTEXTCOLOR, 0, own ? static_cast<LPARAM>(field_text()) : -1);
}

HTREEITEM ShellTreeControl::add_item(HTREEITEM parent, const std::string& text, const std::string& path, int image,
                                     int selected_image, bool probe, HTREEITEM after) {
  nodes_.push_back(Node{path, false, -1, probe});
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.iImage = image;
  insert.item.iSelectedImage = selected_image;
  insert.item.cChildren = I_CHILDRENCALLBACK;
  insert.item.lParam = reinterpret_cast<LPARAM>(&nodes_.back());
  return reinterpret_cast<HTREEITEM>(SendMessageA(inner(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

ShellTreeControl::Node* ShellTreeControl::node_of(HTREEITEM item) const {
  if (item == nullptr || inner() == nullptr) return nullptr;
  TVITEMA query{};
  query.mask = TVIF_PARAM | TVIF_HANDLE;
  query.hItem = item;
  if (!SendMessageA(inner(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return nullptr;
  return reinterpret_cast<Node*>(query.lParam);
}

void ShellTreeControl::fill_children(HTREEITEM item) {
  Node* node = node_of(item);
  if (node == nullptr || node->filled) return;
  node->filled = true;
  const std::vector<std::string> names = visible_subfolders(node->path, kMostTreeChildren);
  for (const std::string& name : names)
    add_item(item, name, path_in(node->path, name), icons_->folder(false), icons_->folder(true), true, TVI_LAST);
  node->children = names.empty() ? 0 : 1;
  TVITEMA change{};
  change.mask = TVIF_CHILDREN | TVIF_HANDLE;
  change.hItem = item;
  change.cChildren = node->children;
  SendMessageA(inner(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

HTREEITEM ShellTreeControl::find_child(HTREEITEM parent, const std::string& path) const {
  HTREEITEM child = reinterpret_cast<HTREEITEM>(
      parent == TVI_ROOT ? SendMessageA(inner(), TVM_GETNEXTITEM, TVGN_ROOT, 0)
                         : SendMessageA(inner(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
  for (; child != nullptr;
       child = reinterpret_cast<HTREEITEM>(SendMessageA(inner(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
    if (const Node* node = node_of(child); node != nullptr && equal_ignore_case(node->path, path)) return child;
  return nullptr;
}

HTREEITEM ShellTreeControl::existing_item(const std::string& folder) const {
  if (inner() == nullptr) return nullptr;
  HTREEITEM item = TVI_ROOT;
  for (const std::string& step : folder_chain(folder_path(folder))) {
    item = find_child(item, step);
    if (item == nullptr) return nullptr;
  }
  return item == TVI_ROOT ? nullptr : item;
}

HTREEITEM ShellTreeControl::reach_item(const std::string& folder) {
  const std::vector<std::string> chain = folder_chain(folder);
  if (chain.empty()) return nullptr;
  HTREEITEM item = find_child(TVI_ROOT, chain.front());
  for (std::size_t i = 1; item != nullptr && i < chain.size(); ++i) {
    fill_children(item);
    HTREEITEM next = find_child(item, chain[i]);
    if (next == nullptr) {
      // A folder the tree does not list (a hidden one) is shown when asked for.
      next = add_item(item, folder_name(chain[i]), chain[i], icons_->folder(false), icons_->folder(true), true, TVI_SORT);
      TVITEMA change{};
      change.mask = TVIF_CHILDREN | TVIF_HANDLE;
      change.hItem = item;
      change.cChildren = 1;
      SendMessageA(inner(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
    }
    item = next;
  }
  return item;
}

bool ShellTreeControl::select_folder(const std::string& folder) { return show_folder(folder, ChangeCause::kProgram); }

bool ShellTreeControl::show_folder(const std::string& folder, ChangeCause cause) {
  const std::string wanted = folder_path(folder);
  if (!is_folder(wanted)) return false;
  if (inner() == nullptr) {
    pending_ = wanted;
    return true;
  }
  HTREEITEM item = reach_item(wanted);
  if (item == nullptr) return false;
  std::vector<HTREEITEM> ancestors;
  for (HTREEITEM at = item;;) {
    at = reinterpret_cast<HTREEITEM>(SendMessageA(inner(), TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(at)));
    if (at == nullptr) break;
    ancestors.push_back(at);
  }
  for (auto at = ancestors.rbegin(); at != ancestors.rend(); ++at)
    SendMessageA(inner(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(*at));
  selecting_ = cause;
  SendMessageA(inner(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  selecting_.reset();
  SendMessageA(inner(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  return true;
}

std::string ShellTreeControl::selected_folder() const {
  if (inner() == nullptr) return pending_;
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageA(inner(), TVM_GETNEXTITEM, TVGN_CARET, 0));
  const Node* node = node_of(item);
  return node == nullptr ? std::string() : node->path;
}

std::vector<std::string> ShellTreeControl::child_names(const std::string& folder) const {
  std::vector<std::string> names;
  if (inner() == nullptr) return names;
  HTREEITEM parent = folder.empty() ? TVI_ROOT : existing_item(folder);
  if (parent == nullptr) return names;
  HTREEITEM child = reinterpret_cast<HTREEITEM>(
      parent == TVI_ROOT ? SendMessageA(inner(), TVM_GETNEXTITEM, TVGN_ROOT, 0)
                         : SendMessageA(inner(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
  for (; child != nullptr;
       child = reinterpret_cast<HTREEITEM>(SendMessageA(inner(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
    char text[MAX_PATH + 1] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = child;
    query.pszText = text;
    query.cchTextMax = sizeof text;
    SendMessageA(inner(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    names.emplace_back(text);
  }
  return names;
}

bool ShellTreeControl::is_expanded(const std::string& folder) const {
  HTREEITEM item = existing_item(folder);
  return item != nullptr &&
         (SendMessageA(inner(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void ShellTreeControl::selection_changed() {
  const ChangeCause cause = selecting_.value_or(ChangeCause::kUser);
  tell_linked(*this, selected_folder(), cause);
  if (cause == ChangeCause::kUser) raise(ControlEvent::kChange);
}

void ShellTreeControl::apply(std::string_view property) {
  if (is(property, "HideSelection") || is(property, "ShowButtons") || is(property, "ShowLines") ||
      is(property, "ShowRoot") || is(property, "ToolTips") || is(property, "RowSelect") || is(property, "HotTrack")) {
    change_style(inner(),
                 TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS |
                     TVS_FULLROWSELECT | TVS_TRACKSELECT,
                 tree_style());
  } else if (is(property, "Color") || is(property, "ParentColor") || is(property, "Font")) {
    apply_colours();
  } else {
    HostedControl::apply(property);
  }
}

std::optional<LRESULT> ShellTreeControl::host_message(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header->hwndFrom != inner()) return 0;
    switch (header->code) {
      case TVN_ITEMEXPANDINGA:
      case TVN_ITEMEXPANDINGW: {
        const auto* change = reinterpret_cast<const NMTREEVIEWA*>(lparam);
        if ((change->action & TVE_EXPAND) != 0) fill_children(change->itemNew.hItem);
        return FALSE;  // let it expand
      }
      case TVN_GETDISPINFOA:
      case TVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(lparam);
        if ((info->item.mask & TVIF_CHILDREN) != 0) {
          auto* node = reinterpret_cast<Node*>(info->item.lParam);
          if (node != nullptr && node->children < 0)
            node->children = !node->probe || has_visible_subfolder(node->path) ? 1 : 0;
          info->item.cChildren = node != nullptr ? node->children : 0;
        }
        return 0;
      }
      case TVN_SELCHANGEDA:
      case TVN_SELCHANGEDW:
        selection_changed();
        return 0;
      default:
        return 0;
    }
  }
  return HostedControl::host_message(message, wparam, lparam);
}

// --- TPTShellList

ShellListControl::ShellListControl(const ControlClass& control_class) : HostedControl(control_class) {}

ShellListControl::~ShellListControl() { destroy_window(); }

DWORD ShellListControl::list_style() const {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_OWNERDATA | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE;
  const std::string& view = stored("ViewStyle");
  style |= is(view, "vsReport") ? LVS_REPORT : is(view, "vsList") ? LVS_LIST : is(view, "vsSmallIcon") ? LVS_SMALLICON : LVS_ICON;
  if (stored("MultiSelect") != "True") style |= LVS_SINGLESEL;
  if (stored("HideSelection") == "False") style |= LVS_SHOWSELALWAYS;
  if (stored("ShowColumnHeaders") == "False") style |= LVS_NOCOLUMNHEADER;
  return style;
}

HWND ShellListControl::make_inner(HWND host, const RECT& client) {
  icons_ = std::make_unique<ItemIcons>(glyph_size(), scale()(32));
  HWND list = CreateWindowExA(has_border(*this) ? WS_EX_CLIENTEDGE : 0, WC_LISTVIEWA, "", list_style(), client.left,
                              client.top, client.right - client.left, client.bottom - client.top, host, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (list == nullptr) return nullptr;
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons_->small_list()));
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(icons_->large_list()));
  struct Column {
    const char* title;
    int width;
    int format;
  };
  const Column columns[] = {{"Name", 180, LVCFMT_LEFT}, {"Size", 70, LVCFMT_RIGHT}, {"Type", 110, LVCFMT_LEFT},
                            {"Modified", 130, LVCFMT_LEFT}};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(columns[i].title);
    column.cx = scale()(columns[i].width);
    column.fmt = columns[i].format;
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  take_enter_key(list);
  return list;
}

void ShellListControl::inner_made() {
  apply("RowSelect");
  apply_colours();
  load();
}

void ShellListControl::apply_colours() {
  if (inner() == nullptr) return;
  const bool own = own_background().has_value();
  const COLORREF back = own ? field_background() : GetSysColor(COLOR_WINDOW);
  SendMessageA(inner(), LVM_SETBKCOLOR, 0, back);
  SendMessageA(inner(), LVM_SETTEXTBKCOLOR, 0, back);
  SendMessageA(inner(), LVM_SETTEXTCOLOR, 0, own ? field_text() : GetSysColor(COLOR_WINDOWTEXT));
}

void ShellListControl::load() {
  items_.clear();
  if (folder_.empty()) {
    for (const DriveInfo& drive : logical_drives())
      items_.push_back(Item{drive_caption(drive), drive_root(drive.letter), true, drive});
  } else {
    std::vector<Item> files;
    for (FolderEntry& entry : read_folder(folder_)) {
      if (entry.is_hidden()) continue;
      Item item{entry.name, path_in(folder_, entry.name), entry.is_folder(), std::nullopt, entry.size, entry.written};
      (item.folder ? items_ : files).push_back(std::move(item));
    }
    items_.insert(items_.end(), std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
  }
  if (inner() == nullptr) return;
  // What the program changes is no choice of the user's.
  loading_ = true;
  LVITEMA none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(inner(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  SendMessageA(inner(), LVM_SETITEMCOUNT, items_.size(), 0);
  loading_ = false;
  if (!items_.empty()) SendMessageA(inner(), LVM_ENSUREVISIBLE, 0, FALSE);
  InvalidateRect(inner(), nullptr, TRUE);
}

bool ShellListControl::navigate(const std::string& folder) { return show_folder(folder, ChangeCause::kProgram); }

bool ShellListControl::show_folder(const std::string& folder, ChangeCause cause) {
  const std::string wanted = folder_path(folder);
  if (!is_folder(wanted)) return false;
  const bool changed = !equal_ignore_case(wanted, folder_);
  folder_ = wanted;
  // Read again also when unchanged: files made since appear.
  load();
  if (changed) tell_linked(*this, folder_, cause);
  return true;
}

void ShellListControl::open_item(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return;
  const Item item = items_[static_cast<std::size_t>(index)];
  if (!item.folder) return;
  // A drive without its medium, or a folder gone since it was listed.
  if (!show_folder(item.path, ChangeCause::kUser)) MessageBeep(MB_ICONWARNING);
}

void ShellListControl::go_up() {
  if (folder_.empty()) return;
  const std::string from = folder_;
  const std::string parent = parent_folder(folder_);
  if (parent.empty()) {
    folder_.clear();  // above a drive's root: the drives
    load();
  } else if (!show_folder(parent, ChangeCause::kUser)) {
    return;
  }
  // The focus goes to the folder the user came from.
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (!equal_ignore_case(items_[i].path, from)) continue;
    LVITEMA focus{};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageA(inner(), LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&focus));
    SendMessageA(inner(), LVM_ENSUREVISIBLE, i, FALSE);
    break;
  }
}

std::string ShellListControl::selected_path() const {
  if (inner() == nullptr) return {};
  LRESULT index = SendMessageA(inner(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED);
  if (index < 0) index = SendMessageA(inner(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return {};
  return items_[static_cast<std::size_t>(index)].path;
}

std::vector<std::string> ShellListControl::item_names() const {
  std::vector<std::string> names;
  for (const Item& item : items_) names.push_back(item.name);
  return names;
}

std::string ShellListControl::column_text(const Item& item, int column) {
  switch (column) {
    case 0:
      return item.name;
    case 1:
      return item.folder ? std::string() : size_text(item.size);
    case 2: {
      if (item.drive) return {};
      const std::string key = item.folder ? std::string("\\") : ansi_upper(extension_of(item.name));
      const auto found = type_names_.find(key);
      if (found != type_names_.end()) return found->second;
      SHFILEINFOA info{};
      SHGetFileInfoA(item.folder ? "folder" : ("file" + key).c_str(),
                     item.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME);
      return type_names_.emplace(key, info.szTypeName).first->second;
    }
    case 3:
      return item.drive ? std::string() : date_text(item.written);
    default:
      return {};
  }
}

int ShellListControl::image_of(const Item& item) {
  if (item.drive) return icons_->drive(*item.drive);
  return item.folder ? icons_->folder(false) : icons_->file(item.name);
}

template <typename Info>
void ShellListControl::describe(Info& info) {
  auto& item = info.item;
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= items_.size()) return;
  const Item& shown = items_[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_TEXT) != 0) copy_text(column_text(shown, item.iSubItem), item.pszText, item.cchTextMax);
  if ((item.mask & LVIF_IMAGE) != 0) item.iImage = image_of(shown);
}

void ShellListControl::enter_pressed() {
  if (inner() != nullptr)
    open_item(static_cast<int>(SendMessageA(inner(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
}

void ShellListControl::apply(std::string_view property) {
  if (is(property, "ViewStyle") || is(property, "HideSelection") || is(property, "MultiSelect") ||
      is(property, "ShowColumnHeaders")) {
    change_style(inner(), LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER, list_style());
  } else if (is(property, "RowSelect") || is(property, "GridLines")) {
    const DWORD wanted = (stored("RowSelect") == "True" ? LVS_EX_FULLROWSELECT : 0) |
                         (stored("GridLines") == "True" ? LVS_EX_GRIDLINES : 0) | LVS_EX_DOUBLEBUFFER;
    SendMessageA(inner(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER,
                 wanted);
  } else if (is(property, "Color") || is(property, "ParentColor") || is(property, "Font")) {
    apply_colours();
  } else {
    HostedControl::apply(property);
  }
}

std::optional<std::string> ShellListControl::live_text(std::string_view property) const {
  if (is(property, "ItemIndex") && inner() != nullptr)
    return std::to_string(SendMessageA(inner(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  return std::nullopt;
}

std::optional<LRESULT> ShellListControl::host_message(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kHostAction) {
    if (wparam == kOpenItem) open_item(static_cast<int>(lparam));
    if (wparam == kGoUp) go_up();
    return 0;
  }
  if (message != WM_NOTIFY) return HostedControl::host_message(message, wparam, lparam);
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header->hwndFrom != inner()) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOA:
      describe(*reinterpret_cast<NMLVDISPINFOA*>(lparam));
      return 0;
    case LVN_GETDISPINFOW:
      describe(*reinterpret_cast<NMLVDISPINFOW*>(lparam));
      return 0;
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
      const bool now_selected = (change->uNewState & LVIS_SELECTED) != 0 && (change->uOldState & LVIS_SELECTED) == 0;
      if (!loading_ && change->iItem >= 0 && (change->uChanged & LVIF_STATE) != 0 && now_selected)
        raise(ControlEvent::kChange);
      return 0;
    }
    case NM_DBLCLK: {
      const auto* activation = reinterpret_cast<const NMITEMACTIVATE*>(lparam);
      if (activation->iItem >= 0) post_to_host(window(), kOpenItem, activation->iItem);
      return 0;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN*>(lparam)->wVKey == VK_BACK) post_to_host(window(), kGoUp, 0);
      return 0;
    default:
      return 0;
  }
}

// --- TPTShellCombo

ShellComboControl::ShellComboControl(const ControlClass& control_class) : HostedComboBox(control_class) {}

ShellComboControl::~ShellComboControl() { destroy_window(); }

HWND ShellComboControl::make_inner(HWND host, const RECT& client) {
  icons_ = std::make_unique<ItemIcons>(glyph_size(), scale()(32));
  HWND combo = make_combo(host, client, CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_AUTOHSCROLL);
  if (combo != nullptr) take_enter_key(FindWindowExA(combo, nullptr, "Edit", nullptr));
  return combo;
}

void ShellComboControl::inner_made() {
  drives_ = logical_drives();
  const std::string wanted = folder_path(stored("Text"));
  if (is_folder(wanted)) path_ = wanted;
  fill();
  tell_linked(*this, path_, ChangeCause::kProgram);
}

void ShellComboControl::fill() {
  entries_.clear();
  const std::string root = root_of(path_);
  const std::vector<std::string> chain = folder_chain(path_);
  const auto add_chain = [&](std::size_t from, int depth) {
    for (std::size_t i = from; i < chain.size(); ++i)
      entries_.push_back(Entry{chain[i], i == 0 ? chain[i] : folder_name(chain[i]), depth++, std::nullopt});
  };
  bool root_listed = false;
  for (const DriveInfo& drive : drives_) {
    entries_.push_back(Entry{drive_root(drive.letter), drive_caption(drive), 0, drive});
    if (!path_.empty() && equal_ignore_case(entries_.back().path, root)) {
      root_listed = true;
      add_chain(1, 1);
    }
  }
  if (!path_.empty() && !root_listed) add_chain(0, 0);  // a network share

  if (inner() == nullptr) return;
  SendMessageA(inner(), CB_RESETCONTENT, 0, 0);
  int selected = -1;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    SendMessageA(inner(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries_[i].path.c_str()));
    if (!path_.empty() && entries_[i].path == path_) selected = static_cast<int>(i);
  }
  SendMessageA(inner(), CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  if (selected < 0) SetWindowTextA(inner(), path_.c_str());
}

std::vector<std::string> ShellComboControl::entry_paths() const {
  std::vector<std::string> paths;
  for (const Entry& entry : entries_) paths.push_back(entry.path);
  return paths;
}

bool ShellComboControl::set_path(const std::string& text) { return show_folder(text, ChangeCause::kProgram); }

bool ShellComboControl::show_folder(const std::string& folder, ChangeCause cause) {
  const std::string wanted = folder_path(folder);
  if (!is_folder(wanted)) return false;
  const bool changed = !equal_ignore_case(wanted, path_);
  if (changed) path_ = wanted;
  store("Text", path_);
  fill();
  if (!changed) return true;
  tell_linked(*this, path_, cause);
  if (cause == ChangeCause::kUser) raise(ControlEvent::kChange);
  return true;
}

void ShellComboControl::refuse() {
  fill();
  MessageBeep(MB_ICONWARNING);
}

void ShellComboControl::take_entry(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return;
  const std::string chosen = entries_[static_cast<std::size_t>(index)].path;
  if (equal_ignore_case(chosen, path_)) return;
  if (!show_folder(chosen, ChangeCause::kUser)) refuse();
}

void ShellComboControl::enter_pressed() {
  if (inner() == nullptr) return;
  const int length = GetWindowTextLengthA(inner());
  std::string typed(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  GetWindowTextA(inner(), typed.data(), length + 1);
  typed.resize(static_cast<std::size_t>(std::max(length, 0)));
  if (typed.empty() || !show_folder(typed, ChangeCause::kUser)) refuse();
}

void ShellComboControl::apply(std::string_view property) {
  if (is(property, "Text")) {
    if (!show_folder(stored("Text"), ChangeCause::kProgram)) store("Text", path_);
  } else {
    HostedComboBox::apply(property);
  }
}

std::optional<std::string> ShellComboControl::live_text(std::string_view property) const {
  if (is(property, "Text")) return path_;
  return std::nullopt;
}

std::optional<LRESULT> ShellComboControl::host_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (completes_choice(wparam, lparam)) post_to_host(window(), kTakeChoice, 0);
      return 0;
    case kHostAction:
      if (wparam == kTakeChoice) take_entry(static_cast<int>(SendMessageA(inner(), CB_GETCURSEL, 0, 0)));
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.itemID >= entries_.size()) {
        draw_empty_item(item);
        return TRUE;
      }
      const Entry& entry = entries_[item.itemID];
      const int icon = entry.drive ? icons_->drive(*entry.drive) : icons_->folder(true);
      // The field shows the path without indenting it.
      const int indent = (item.itemState & ODS_COMBOBOXEDIT) != 0 ? 0 : entry.depth * scale()(10);
      draw_item(item, ItemPicture{entry.caption, std::nullopt, icons_.get(), icon, indent});
      return TRUE;
    }
    default:
      return HostedComboBox::host_message(message, wparam, lparam);
  }
}

// --- the classes

namespace {

template <typename ControlType>
std::function<std::unique_ptr<Control>(const ControlClass&)> maker() {
  return [](const ControlClass& control_class) { return std::make_unique<ControlType>(control_class); };
}

// The properties that tie a shell control to the others and choose what it
// shows.
std::vector<PropertyDefinition> shell_properties(std::initializer_list<PropertyDefinition> own) {
  std::vector<PropertyDefinition> all =
      joined({&field_control_properties()},
             {{"ShellTree", K::kIdentifier},
              {"ShellList", K::kIdentifier},
              {"ShellCombo", K::kIdentifier},
              {"AutoContextMenus", K::kBoolean},
              {"AutoRefresh", K::kBoolean},
              {"Options", K::kSet},
              {"ObjectTypes", K::kSet},
              {"RootFolder", K::kIdentifier},
              {"OnChange", K::kEvent}});
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

const ControlClass& shell_tree_class() {
  static const ControlClass c{"TPTShellTree", nullptr,
                              shell_properties({{"AutoExpand", K::kBoolean, "False"},
                                                {"BorderStyle", K::kIdentifier, "bsSingle"},
                                                {"ChangeDelay", K::kInteger, "0"},
                                                {"HideSelection", K::kBoolean, "True"},
                                                {"HotTrack", K::kBoolean, "False"},
                                                {"Indent", K::kInteger},
                                                {"ReadOnly", K::kBoolean, "False"},
                                                {"RightClickSelect", K::kBoolean, "False"},
                                                {"RowSelect", K::kBoolean, "False"},
                                                {"ShowButtons", K::kBoolean, "True"},
                                                {"ShowLines", K::kBoolean, "True"},
                                                {"ShowRoot", K::kBoolean, "True"},
                                                {"SortType", K::kIdentifier, "stNone"},
                                                {"ToolTips", K::kBoolean, "True"},
                                                {"Images", K::kIdentifier},
                                                {"StateImages", K::kIdentifier},
                                                {"OnChanging", K::kEvent},
                                                {"OnCollapsed", K::kEvent},
                                                {"OnCollapsing", K::kEvent},
                                                {"OnExpanded", K::kEvent},
                                                {"OnExpanding", K::kEvent},
                                                {"OnEdited", K::kEvent},
                                                {"OnEditing", K::kEvent},
                                                {"OnDeletion", K::kEvent},
                                                {"OnGetImageIndex", K::kEvent},
                                                {"OnGetSelectedIndex", K::kEvent}}),
                              maker<ShellTreeControl>()};
  return c;
}

const ControlClass& shell_list_class() {
  static const ControlClass c{"TPTShellList", nullptr,
                              shell_properties({{"AllocBy", K::kInteger},
                                                {"AutoExecute", K::kBoolean},
                                                {"AutoNavigate", K::kBoolean},
                                                {"BorderStyle", K::kIdentifier, "bsSingle"},
                                                {"Checkboxes", K::kBoolean, "False"},
                                                {"ColumnClick", K::kBoolean, "True"},
                                                {"Columns", K::kCollection},
                                                {"FlatScrollBars", K::kBoolean, "False"},
                                                {"GridLines", K::kBoolean, "False"},
                                                {"HideSelection", K::kBoolean, "True"},
                                                {"HotTrack", K::kBoolean, "False"},
                                                {"HotTrackStyles", K::kSet},
                                                {"IconOptions", K::kObject},
                                                {"ItemIndex", K::kInteger},
                                                {"LargeImages", K::kIdentifier},
                                                {"MultiSelect", K::kBoolean, "False"},
                                                {"ReadOnly", K::kBoolean, "False"},
                                                {"RowSelect", K::kBoolean, "False"},
                                                {"ShowColumnHeaders", K::kBoolean, "True"},
                                                {"ShowWorkAreas", K::kBoolean, "False"},
                                                {"SmallImages", K::kIdentifier},
                                                {"SortType", K::kIdentifier, "stNone"},
                                                {"StateImages", K::kIdentifier},
                                                {"ViewStyle", K::kIdentifier, "vsIcon"},
                                                {"OnChanging", K::kEvent},
                                                {"OnColumnClick", K::kEvent},
                                                {"OnCompare", K::kEvent},
                                                {"OnDeletion", K::kEvent},
                                                {"OnEdited", K::kEvent},
                                                {"OnEditing", K::kEvent},
                                                {"OnInsert", K::kEvent},
                                                {"OnSelectItem", K::kEvent}}),
                              maker<ShellListControl>()};
  return c;
}

const ControlClass& shell_combo_class() {
  static const ControlClass c{"TPTShellCombo", nullptr,
                              shell_properties({{"AutoComplete", K::kBoolean, "True"},
                                                {"AutoDropDown", K::kBoolean, "False"},
                                                {"DropDownCount", K::kInteger, "8"},
                                                {"ItemHeight", K::kInteger},
                                                {"Style", K::kIdentifier},
                                                {"Text", K::kText},
                                                {"OnSelect", K::kEvent},
                                                {"OnDropDown", K::kEvent},
                                                {"OnCloseUp", K::kEvent}}),
                              maker<ShellComboControl>()};
  return c;
}

}  // namespace

std::vector<const ControlClass*> shell_control_classes() {
  return {&shell_tree_class(), &shell_list_class(), &shell_combo_class()};
}

}  // namespace qm
