#include "wizard/folder_controls.h"

#include <algorithm>

#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/file_masks.h"
#include "wizard/published_properties.h"

namespace qm {

namespace {

using K = PropertyKind;

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

// What the host does later, once the Windows control has finished handling
// the user's click (post_to_host).
enum HostAction : WPARAM { kOpenEntry = 1, kTakeChoice };

// The elements of a set property's text: "ftNormal,ftHidden" (also with the
// brackets and blanks a rule may write).
std::vector<std::string> set_elements(std::string_view text) {
  std::vector<std::string> elements;
  std::string element;
  for (const char c : text) {
    if (c == ',' || c == '[' || c == ']' || c == ' ') {
      if (!element.empty()) elements.push_back(std::move(element));
      element.clear();
    } else {
      element += c;
    }
  }
  if (!element.empty()) elements.push_back(std::move(element));
  return elements;
}

bool has_element(const std::vector<std::string>& elements, std::string_view wanted) {
  return std::any_of(elements.begin(), elements.end(),
                     [&](const std::string& element) { return ascii_equal_ignore_case(element, wanted); });
}

// The item a typed character leads to: the next one after `from` whose text
// begins with it, going round; -2 (nothing moves) when none does, -1 (the
// list's own handling) for an empty list.
template <typename TextOf>
LRESULT item_starting_with(std::size_t count, int from, char typed, TextOf text_of) {
  if (count == 0) return -1;
  const std::string wanted = ansi_upper(std::string(1, typed));
  for (std::size_t step = 1; step <= count; ++step) {
    const std::size_t index = (static_cast<std::size_t>(std::max(from, -1) + 1) + step - 1) % count;
    const std::string text = text_of(index);
    if (!text.empty() && ansi_upper(text.substr(0, 1)) == wanted) return static_cast<LRESULT>(index);
  }
  return -2;  // handled: nothing fits, nothing moves
}

HWND make_list_box(HWND host, const RECT& client, DWORD extra_style, bool border) {
  // Owner-drawn without data: the list holds only a count, the control its
  // entries, so that a folder of thousands of files is listed at once.
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                      LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_WANTKEYBOARDINPUT | extra_style;
  return CreateWindowExA(border ? WS_EX_CLIENTEDGE : 0, "LISTBOX", "", style, client.left, client.top,
                         client.right - client.left, client.bottom - client.top, host, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void show_count(HWND list, std::size_t count) {
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  SendMessageA(list, LB_SETCOUNT, count, 0);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

bool border_of(const Control& control) {
  return !is(control.property_text("BorderStyle").value_or(""), "bsNone");
}

int design_number(const std::optional<std::string>& text, int fallback) {
  return parse_integer_text(text.value_or("")).value_or(fallback);
}

}  // namespace

// --- TFileListBox

FileListBoxControl::FileListBoxControl(const ControlClass& control_class)
    : HostedControl(control_class), directory_(working_folder()) {}

HWND FileListBoxControl::make_inner(HWND host, const RECT& client) {
  DWORD style = 0;
  if (stored("MultiSelect") == "True") style = stored("ExtendedSelect") == "False" ? LBS_MULTIPLESEL : LBS_EXTENDEDSEL;
  return make_list_box(host, client, style, border_of(*this));
}

void FileListBoxControl::inner_made() {
  const std::string wanted = folder_path(stored("Directory"));
  if (is_folder(wanted)) directory_ = wanted;
  fill();
  const std::string file = stored("FileName");
  if (!file.empty() && is_file(file)) apply_path(file);
  recorded_ = file_name();
}

int FileListBoxControl::item_height() const {
  const int glyph = stored("ShowGlyphs") == "True" ? glyph_size() : 0;
  return std::max({text_height() + scale()(2), glyph + scale()(2), scale()(design_number(stored("ItemHeight"), 0))});
}

void FileListBoxControl::font_changed() {
  if (inner() != nullptr) SendMessageA(inner(), LB_SETITEMHEIGHT, 0, item_height());
}

bool FileListBoxControl::shows(const FolderEntry& entry, const std::vector<std::string>& masks,
                               const std::vector<std::string>& types) {
  if ((entry.attributes & FILE_ATTRIBUTE_HIDDEN) != 0 && !has_element(types, "ftHidden")) return false;
  if ((entry.attributes & FILE_ATTRIBUTE_SYSTEM) != 0 && !has_element(types, "ftSystem")) return false;
  if (entry.is_folder() && !has_element(types, "ftDirectory")) return false;
  if (!matches_any_mask(entry.name, masks)) return false;
  if (entry.is_folder() || has_element(types, "ftNormal")) return true;
  return ((entry.attributes & FILE_ATTRIBUTE_READONLY) != 0 && has_element(types, "ftReadOnly")) ||
         ((entry.attributes & FILE_ATTRIBUTE_ARCHIVE) != 0 && has_element(types, "ftArchive")) ||
         ((entry.attributes & FILE_ATTRIBUTE_HIDDEN) != 0 && has_element(types, "ftHidden")) ||
         ((entry.attributes & FILE_ATTRIBUTE_SYSTEM) != 0 && has_element(types, "ftSystem"));
}

void FileListBoxControl::fill() {
  const std::vector<std::string> masks = split_masks(mask());
  const std::vector<std::string> types = set_elements(stored("FileType"));
  std::vector<Entry> folders;
  std::vector<Entry> files;
  for (FolderEntry& entry : read_folder(directory_)) {
    if (!shows(entry, masks, types)) continue;
    (entry.is_folder() ? folders : files).push_back(Entry{std::move(entry.name), entry.is_folder()});
  }
  entries_ = std::move(files);
  entries_.insert(entries_.end(), std::make_move_iterator(folders.begin()), std::make_move_iterator(folders.end()));
  if (inner() != nullptr) show_count(inner(), entries_.size());
}

int FileListBoxControl::current_index() const {
  if (inner() == nullptr) return -1;
  if ((GetWindowLongA(inner(), GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) == 0)
    return static_cast<int>(SendMessageA(inner(), LB_GETCURSEL, 0, 0));
  const int caret = static_cast<int>(SendMessageA(inner(), LB_GETCARETINDEX, 0, 0));
  return caret >= 0 && SendMessageA(inner(), LB_GETSEL, caret, 0) > 0 ? caret : -1;
}

bool FileListBoxControl::select_name(const std::string& name) {
  int found = -1;
  for (std::size_t i = 0; i < entries_.size() && found < 0; ++i)
    if (equal_ignore_case(entries_[i].name, name)) found = static_cast<int>(i);
  if (inner() == nullptr) return found >= 0;
  if ((GetWindowLongA(inner(), GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) == 0) {
    SendMessageA(inner(), LB_SETCURSEL, found, 0);
  } else {
    SendMessageA(inner(), LB_SETSEL, FALSE, -1);
    if (found >= 0) {
      SendMessageA(inner(), LB_SETSEL, TRUE, found);
      SendMessageA(inner(), LB_SETCARETINDEX, found, FALSE);
    }
  }
  return found >= 0;
}

std::string FileListBoxControl::file_name() const {
  if (inner() == nullptr) return stored("FileName");
  const int index = current_index();
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return {};
  return path_in(directory_, entries_[static_cast<std::size_t>(index)].name);
}

std::string FileListBoxControl::mask() const {
  const std::string& text = stored("Mask");
  return text.empty() ? "*.*" : text;
}

std::vector<std::string> FileListBoxControl::items() const {
  std::vector<std::string> shown;
  for (const Entry& entry : entries_) shown.push_back(entry.shown());
  return shown;
}

std::vector<std::string> FileListBoxControl::selected_texts() const {
  std::vector<std::string> selected;
  if (inner() == nullptr) return selected;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (SendMessageA(inner(), LB_GETSEL, i, 0) > 0) selected.push_back(entries_[i].shown());
  return selected;
}

bool FileListBoxControl::show_directory(const std::string& folder, ChangeCause cause) {
  const std::string wanted = folder_path(folder);
  if (!is_folder(wanted)) return false;
  // The folder is read again even when it is the one shown, so that files
  // made since appear; the chosen file stays chosen while it is there.
  const std::string chosen = equal_ignore_case(wanted, directory_) ? folder_name(file_name()) : std::string();
  directory_ = wanted;
  store("Directory", wanted);
  fill();
  if (!chosen.empty()) select_name(chosen);
  settle(cause, true);
  return true;
}

bool FileListBoxControl::apply_path(const std::string& path) {
  if (is_folder(path)) return show_directory(path, ChangeCause::kProgram);
  if (!is_file(path)) return false;
  const std::string file = folder_path(path);
  directory_ = parent_folder(file);
  store("Directory", directory_);
  store("FileName", file);
  fill();
  select_name(folder_name(file));
  settle(ChangeCause::kProgram, true);
  return true;
}

void FileListBoxControl::change_mask(const std::string& mask, ChangeCause cause) {
  store("Mask", mask.empty() ? "*.*" : mask);
  const std::string chosen = folder_name(file_name());
  fill();
  if (!chosen.empty()) select_name(chosen);
  settle(cause, true);
}

void FileListBoxControl::set_mask(const std::string& mask) { change_mask(mask, ChangeCause::kProgram); }

void FileListBoxControl::settle(ChangeCause cause, bool list_replaced) {
  const std::string now = file_name();
  if (now == recorded_) return;
  recorded_ = now;
  if (cause != ChangeCause::kUser) return;
  // The edit named by FileEdit shows the chosen file, or the mask while no
  // file is chosen.
  if (Control* edit = find_on_page(*this, stored("FileEdit")))
    edit->set_property_text("Text", now.empty() ? mask() : folder_name(now));
  // A file that is no longer listed because the user went to another folder
  // (or mask) was not unchosen: telling the handler "no file" would have it
  // write an empty path, and a target folder browsed to from that is empty.
  if (now.empty() && list_replaced) return;
  raise(ControlEvent::kChange);
}

void FileListBoxControl::apply(std::string_view property) {
  if (is(property, "Directory")) {
    if (!show_directory(stored("Directory"), ChangeCause::kProgram)) store("Directory", directory_);
  } else if (is(property, "Drive")) {
    const char letter = drive_letter_of(stored("Drive") + ":");
    if (letter != 0 && letter != drive_letter_of(directory_)) show_directory(drive_root(letter), ChangeCause::kProgram);
  } else if (is(property, "FileName")) {
    apply_path(stored("FileName"));
  } else if (is(property, "Mask")) {
    change_mask(stored("Mask"), ChangeCause::kProgram);
  } else if (is(property, "FileType")) {
    change_mask(mask(), ChangeCause::kProgram);
  } else if (is(property, "ShowGlyphs")) {
    font_changed();
    InvalidateRect(inner(), nullptr, TRUE);
  } else if (is(property, "ItemIndex")) {
    const int index = design_number(stored("ItemIndex"), -1);
    select_name(index >= 0 && static_cast<std::size_t>(index) < entries_.size()
                    ? entries_[static_cast<std::size_t>(index)].name
                    : std::string());
    settle(ChangeCause::kProgram, false);
  } else {
    HostedControl::apply(property);
  }
}

std::optional<std::string> FileListBoxControl::live_text(std::string_view property) const {
  if (is(property, "Directory")) return directory_;
  if (is(property, "FileName")) return file_name();
  if (is(property, "ItemIndex")) return std::to_string(current_index());
  if (is(property, "Drive")) return std::string(1, drive_letter_of(directory_));
  if (is(property, "Mask")) return mask();
  return std::nullopt;
}

std::optional<LRESULT> FileListBoxControl::host_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lparam) == inner() && HIWORD(wparam) == LBN_SELCHANGE) settle(ChangeCause::kUser, false);
      return 0;
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight = static_cast<UINT>(item_height());
      return TRUE;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.itemID >= entries_.size()) return TRUE;
      const Entry& entry = entries_[item.itemID];
      std::optional<Glyph> glyph;
      if (stored("ShowGlyphs") == "True") glyph = entry.folder ? Glyph::kClosedFolder : Glyph::kFile;
      const std::string text = entry.shown();
      draw_item(item, ItemPicture{text, glyph});
      return TRUE;
    }
    case WM_CHARTOITEM:
      return item_starting_with(entries_.size(), static_cast<short>(HIWORD(wparam)), static_cast<char>(LOWORD(wparam)),
                                [this](std::size_t i) { return entries_[i].name; });
    case WM_VKEYTOITEM:
      return -1;
    default:
      return HostedControl::host_message(message, wparam, lparam);
  }
}

// --- TDirectoryListBox

DirectoryListBoxControl::DirectoryListBoxControl(const ControlClass& control_class)
    : HostedControl(control_class), directory_(working_folder()) {}

HWND DirectoryListBoxControl::make_inner(HWND host, const RECT& client) {
  HWND list = make_list_box(host, client, 0, border_of(*this));
  take_enter_key(list);
  return list;
}

void DirectoryListBoxControl::inner_made() {
  const std::string wanted = folder_path(stored("Directory"));
  if (is_folder(wanted)) directory_ = wanted;
  fill();
  tell_linked(ChangeCause::kProgram);
}

int DirectoryListBoxControl::item_height() const {
  return std::max({text_height() + scale()(2), glyph_size() + scale()(2), scale()(design_number(stored("ItemHeight"), 0))});
}

void DirectoryListBoxControl::font_changed() {
  if (inner() != nullptr) SendMessageA(inner(), LB_SETITEMHEIGHT, 0, item_height());
}

void DirectoryListBoxControl::fill() {
  entries_.clear();
  const std::vector<std::string> chain = folder_chain(directory_);
  for (std::size_t depth = 0; depth < chain.size(); ++depth)
    entries_.push_back(Entry{chain[depth], depth == 0 ? chain[depth] : folder_name(chain[depth]),
                             static_cast<int>(depth), true});
  for (std::string& name : visible_subfolders(directory_)) {
    std::string path = path_in(directory_, name);
    entries_.push_back(Entry{std::move(path), std::move(name), static_cast<int>(chain.size()), false});
  }
  if (inner() == nullptr) return;
  show_count(inner(), entries_.size());
  // The current folder is the last of its ancestors.
  SendMessageA(inner(), LB_SETCURSEL, chain.empty() ? -1 : static_cast<WPARAM>(chain.size() - 1), 0);
}

std::vector<std::string> DirectoryListBoxControl::items() const {
  std::vector<std::string> names;
  for (const Entry& entry : entries_) names.push_back(entry.name);
  return names;
}

bool DirectoryListBoxControl::set_directory(const std::string& folder) {
  return change_directory(folder, ChangeCause::kProgram);
}

bool DirectoryListBoxControl::change_directory(const std::string& folder, ChangeCause cause) {
  const std::string wanted = folder_path(folder);
  if (!is_folder(wanted)) return false;
  const bool changed = !equal_ignore_case(wanted, directory_);
  directory_ = wanted;
  store("Directory", wanted);
  // Read again also when unchanged: folders made since appear.
  fill();
  tell_linked(cause);
  if (changed && cause == ChangeCause::kUser) raise(ControlEvent::kChange);
  return true;
}

void DirectoryListBoxControl::tell_linked(ChangeCause cause) {
  if (Control* label = find_on_page(*this, stored("DirLabel"))) label->set_property_text("Caption", directory_);
  // A drive combo that leads this list shows the drive the list is on.
  const char letter = drive_letter_of(directory_);
  for (Control* control : controls_on_page(*this))
    if (auto* drives = dynamic_cast<DriveComboBoxControl*>(control))
      if (letter != 0 && drives->drive() != letter && equal_ignore_case(drives->property_text("DirList").value_or(""), name()))
        drives->select_drive(letter);
  if (auto* files = dynamic_cast<FileListBoxControl*>(find_on_page(*this, stored("FileList"))))
    if (!equal_ignore_case(files->directory(), directory_)) files->show_directory(directory_, cause);
}

void DirectoryListBoxControl::open_entry(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return;
  const std::string path = entries_[static_cast<std::size_t>(index)].path;
  // A folder gone since it was listed: show what is there now.
  if (!change_directory(path, ChangeCause::kUser)) fill();
}

void DirectoryListBoxControl::enter_pressed() {
  if (inner() != nullptr) open_entry(static_cast<int>(SendMessageA(inner(), LB_GETCURSEL, 0, 0)));
}

void DirectoryListBoxControl::apply(std::string_view property) {
  if (is(property, "Directory")) {
    if (!change_directory(stored("Directory"), ChangeCause::kProgram)) store("Directory", directory_);
  } else if (is(property, "Drive")) {
    const char letter = drive_letter_of(stored("Drive") + ":");
    if (letter != 0 && letter != drive_letter_of(directory_)) change_directory(drive_root(letter), ChangeCause::kProgram);
  } else {
    HostedControl::apply(property);
  }
}

std::optional<std::string> DirectoryListBoxControl::live_text(std::string_view property) const {
  if (is(property, "Directory")) return directory_;
  if (is(property, "Drive")) return std::string(1, drive_letter_of(directory_));
  if (is(property, "ItemIndex") && inner() != nullptr)
    return std::to_string(SendMessageA(inner(), LB_GETCURSEL, 0, 0));
  return std::nullopt;
}

std::optional<LRESULT> DirectoryListBoxControl::host_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lparam) == inner() && HIWORD(wparam) == LBN_DBLCLK)
        post_to_host(window(), kOpenEntry, SendMessageA(inner(), LB_GETCURSEL, 0, 0));
      return 0;
    case kHostAction:
      if (wparam == kOpenEntry) open_entry(static_cast<int>(lparam));
      return 0;
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight = static_cast<UINT>(item_height());
      return TRUE;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.itemID >= entries_.size()) return TRUE;
      const Entry& entry = entries_[item.itemID];
      const int step = glyph_size() * 3 / 4;
      draw_item(item, ItemPicture{entry.name, entry.open ? Glyph::kOpenFolder : Glyph::kClosedFolder, nullptr, -1,
                                  entry.depth * step});
      return TRUE;
    }
    case WM_CHARTOITEM:
      return item_starting_with(entries_.size(), static_cast<short>(HIWORD(wparam)), static_cast<char>(LOWORD(wparam)),
                                [this](std::size_t i) { return entries_[i].name; });
    case WM_VKEYTOITEM:
      return -1;
    default:
      return HostedControl::host_message(message, wparam, lparam);
  }
}

// --- TDriveComboBox

DriveComboBoxControl::DriveComboBoxControl(const ControlClass& control_class)
    : HostedComboBox(control_class), drive_(drive_letter_of(working_folder())) {
  if (drive_ == 0) drive_ = 'C';
}

HWND DriveComboBoxControl::make_inner(HWND host, const RECT& client) {
  return make_combo(host, client, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);
}

void DriveComboBoxControl::inner_made() {
  drives_ = logical_drives();
  const char wanted = drive_letter_of(stored("Drive") + ":");
  if (wanted != 0 && index_of(wanted) >= 0) drive_ = wanted;
  fill();
  tell_linked(ChangeCause::kProgram);
}

std::string DriveComboBoxControl::caption(const DriveInfo& drive) const {
  const bool upper = is(stored("TextCase"), "tcUpperCase");
  std::string text(1, upper ? drive.letter : static_cast<char>(drive.letter + ('a' - 'A')));
  text += ':';
  if (!drive.label.empty()) text += " [" + drive.label + "]";
  return text;
}

void DriveComboBoxControl::fill() {
  if (inner() == nullptr) return;
  SendMessageA(inner(), CB_RESETCONTENT, 0, 0);
  for (const DriveInfo& drive : drives_)
    SendMessageA(inner(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption(drive).c_str()));
  SendMessageA(inner(), CB_SETCURSEL, static_cast<WPARAM>(index_of(drive_)), 0);
}

int DriveComboBoxControl::index_of(char letter) const {
  for (std::size_t i = 0; i < drives_.size(); ++i)
    if (drives_[i].letter == letter) return static_cast<int>(i);
  return -1;
}

std::vector<char> DriveComboBoxControl::drive_letters() const {
  std::vector<char> letters;
  for (const DriveInfo& drive : drives_) letters.push_back(drive.letter);
  return letters;
}

bool DriveComboBoxControl::select_drive(char letter) {
  letter = drive_letter_of(std::string(1, letter) + ":");
  if (letter == 0) return false;
  if (index_of(letter) < 0) {
    // A drive may have come since the list was made (a memory stick).
    drives_ = logical_drives();
    fill();
    if (index_of(letter) < 0) return false;
  }
  drive_ = letter;
  store("Drive", std::string(1, letter));
  if (inner() != nullptr) SendMessageA(inner(), CB_SETCURSEL, static_cast<WPARAM>(index_of(letter)), 0);
  tell_linked(ChangeCause::kProgram);
  return true;
}

void DriveComboBoxControl::tell_linked(ChangeCause cause) {
  auto* folders = dynamic_cast<DirectoryListBoxControl*>(find_on_page(*this, stored("DirList")));
  if (folders != nullptr && drive_letter_of(folders->directory()) != drive_)
    folders->change_directory(drive_root(drive_), cause);
}

void DriveComboBoxControl::user_chose(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= drives_.size()) return;
  const char letter = drives_[static_cast<std::size_t>(index)].letter;
  if (letter == drive_) return;
  // A drive without its medium is not taken.
  if (!is_folder(drive_root(letter))) {
    SendMessageA(inner(), CB_SETCURSEL, static_cast<WPARAM>(index_of(drive_)), 0);
    MessageBeep(MB_ICONWARNING);
    return;
  }
  drive_ = letter;
  store("Drive", std::string(1, letter));
  tell_linked(ChangeCause::kUser);
  raise(ControlEvent::kChange);
}

void DriveComboBoxControl::apply(std::string_view property) {
  if (is(property, "Drive")) {
    if (!select_drive(stored("Drive").empty() ? '\0' : stored("Drive")[0])) store("Drive", std::string(1, drive_));
  } else if (is(property, "TextCase")) {
    fill();
  } else {
    HostedComboBox::apply(property);
  }
}

std::optional<std::string> DriveComboBoxControl::live_text(std::string_view property) const {
  if (is(property, "Drive")) return std::string(1, drive_);
  if (is(property, "Text")) {
    const int index = index_of(drive_);
    return index < 0 ? std::string() : caption(drives_[static_cast<std::size_t>(index)]);
  }
  return std::nullopt;
}

std::optional<LRESULT> DriveComboBoxControl::host_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (completes_choice(wparam, lparam)) post_to_host(window(), kTakeChoice, 0);
      return 0;
    case kHostAction:
      if (wparam == kTakeChoice) user_chose(static_cast<int>(SendMessageA(inner(), CB_GETCURSEL, 0, 0)));
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.itemID >= drives_.size()) {
        draw_empty_item(item);
        return TRUE;
      }
      const DriveInfo& drive = drives_[item.itemID];
      const std::string text = caption(drive);
      draw_item(item, ItemPicture{text, drive_glyph(drive.type)});
      return TRUE;
    }
    default:
      return HostedComboBox::host_message(message, wparam, lparam);
  }
}

// --- TFilterComboBox

HWND FilterComboBoxControl::make_inner(HWND host, const RECT& client) {
  return make_combo(host, client, CBS_DROPDOWNLIST);
}

void FilterComboBoxControl::inner_made() {
  fill();
  tell_linked(ChangeCause::kProgram);
}

void FilterComboBoxControl::fill() {
  if (inner() == nullptr) return;
  SendMessageA(inner(), CB_RESETCONTENT, 0, 0);
  for (const FilterChoice& choice : filter_choices(stored("Filter")))
    SendMessageA(inner(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.description.c_str()));
  const int wanted = design_number(stored("ItemIndex"), 0);
  SendMessageA(inner(), CB_SETCURSEL, static_cast<WPARAM>(wanted), 0);
  if (SendMessageA(inner(), CB_GETCURSEL, 0, 0) < 0) SendMessageA(inner(), CB_SETCURSEL, 0, 0);
}

int FilterComboBoxControl::index() const {
  if (inner() == nullptr) return design_number(stored("ItemIndex"), 0);
  return static_cast<int>(SendMessageA(inner(), CB_GETCURSEL, 0, 0));
}

std::string FilterComboBoxControl::mask() const {
  const std::vector<FilterChoice> all = filter_choices(stored("Filter"));
  const int at = index();
  return at >= 0 && static_cast<std::size_t>(at) < all.size() ? all[static_cast<std::size_t>(at)].mask : "*.*";
}

std::vector<std::string> FilterComboBoxControl::descriptions() const {
  std::vector<std::string> texts;
  for (FilterChoice& choice : filter_choices(stored("Filter"))) texts.push_back(std::move(choice.description));
  return texts;
}

void FilterComboBoxControl::tell_linked(ChangeCause cause) {
  chosen_ = index();
  if (auto* files = dynamic_cast<FileListBoxControl*>(find_on_page(*this, stored("FileList"))))
    if (files->mask() != mask()) files->change_mask(mask(), cause);
}

void FilterComboBoxControl::apply(std::string_view property) {
  if (is(property, "Filter")) {
    fill();
    tell_linked(ChangeCause::kProgram);
  } else if (is(property, "ItemIndex")) {
    SendMessageA(inner(), CB_SETCURSEL, static_cast<WPARAM>(design_number(stored("ItemIndex"), 0)), 0);
    tell_linked(ChangeCause::kProgram);
  } else if (is(property, "Mask")) {
    const std::vector<FilterChoice> all = filter_choices(stored("Filter"));
    for (std::size_t i = 0; i < all.size(); ++i)
      if (equal_ignore_case(all[i].mask, stored("Mask"))) SendMessageA(inner(), CB_SETCURSEL, i, 0);
    tell_linked(ChangeCause::kProgram);
  } else {
    HostedComboBox::apply(property);
  }
}

std::optional<std::string> FilterComboBoxControl::live_text(std::string_view property) const {
  if (is(property, "Mask")) return mask();
  if (is(property, "ItemIndex")) return std::to_string(index());
  if (is(property, "Text")) {
    const std::vector<FilterChoice> all = filter_choices(stored("Filter"));
    const int at = index();
    return at >= 0 && static_cast<std::size_t>(at) < all.size() ? all[static_cast<std::size_t>(at)].description
                                                                : std::string();
  }
  return std::nullopt;
}

std::optional<LRESULT> FilterComboBoxControl::host_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (completes_choice(wparam, lparam)) post_to_host(window(), kTakeChoice, 0);
      return 0;
    case kHostAction: {
      if (wparam != kTakeChoice) return 0;
      if (index() == chosen_) return 0;
      tell_linked(ChangeCause::kUser);
      raise(ControlEvent::kChange);
      return 0;
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

std::vector<PropertyDefinition> list_properties(std::initializer_list<PropertyDefinition> own) {
  std::vector<PropertyDefinition> all =
      joined({&field_control_properties()},
             {{"BorderStyle", K::kIdentifier, "bsSingle"},
              {"IntegralHeight", K::kBoolean, "False"},
              {"ItemHeight", K::kInteger, "16"},
              {"ItemIndex", K::kInteger, "-1"},
              {"Directory", K::kText},
              {"Drive", K::kText},
              {"OnChange", K::kEvent}});
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

std::vector<PropertyDefinition> combo_properties(std::initializer_list<PropertyDefinition> own) {
  std::vector<PropertyDefinition> all =
      joined({&field_control_properties()},
             {{"AutoComplete", K::kBoolean, "True"},
              {"AutoDropDown", K::kBoolean, "False"},
              {"DropDownCount", K::kInteger, "8"},
              {"ItemHeight", K::kInteger},
              {"Text", K::kText},
              {"OnChange", K::kEvent},
              {"OnSelect", K::kEvent},
              {"OnDropDown", K::kEvent},
              {"OnCloseUp", K::kEvent}});
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

const ControlClass& file_list_box_class() {
  static const ControlClass c{"TFileListBox", nullptr,
                              list_properties({{"FileName", K::kText},
                                               {"Mask", K::kText, "*.*"},
                                               {"FileEdit", K::kIdentifier},
                                               {"FileType", K::kSet, "ftNormal"},
                                               {"ShowGlyphs", K::kBoolean, "False"},
                                               {"MultiSelect", K::kBoolean, "False"},
                                               {"ExtendedSelect", K::kBoolean, "True"}}),
                              maker<FileListBoxControl>()};
  return c;
}

const ControlClass& directory_list_box_class() {
  static const ControlClass c{"TDirectoryListBox", nullptr,
                              list_properties({{"DirLabel", K::kIdentifier},
                                               {"FileList", K::kIdentifier},
                                               {"Columns", K::kInteger, "0"},
                                               {"CaseSensitive", K::kBoolean, "False"},
                                               {"PreserveCase", K::kBoolean, "True"}}),
                              maker<DirectoryListBoxControl>()};
  return c;
}

const ControlClass& drive_combo_box_class() {
  static const ControlClass c{"TDriveComboBox", nullptr,
                              combo_properties({{"Drive", K::kText},
                                                {"DirList", K::kIdentifier},
                                                {"TextCase", K::kIdentifier, "tcLowerCase"}}),
                              maker<DriveComboBoxControl>()};
  return c;
}

const ControlClass& filter_combo_box_class() {
  static const ControlClass c{"TFilterComboBox", nullptr,
                              combo_properties({{"Filter", K::kText, "All files (*.*)|*.*"},
                                                {"FileList", K::kIdentifier},
                                                {"Mask", K::kText},
                                                {"ItemIndex", K::kInteger, "0"}}),
                              maker<FilterComboBoxControl>()};
  return c;
}

}  // namespace

std::vector<const ControlClass*> folder_control_classes() {
  return {&file_list_box_class(), &directory_list_box_class(), &drive_combo_box_class(), &filter_combo_box_class()};
}

}  // namespace qm
