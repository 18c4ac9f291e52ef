#pragma once
// The shell controls: `TPTShellTree` (the drives and their folders as a
// tree), `TPTShellList` (a folder's subfolders and files) and
// `TPTShellCombo` (a path, with the drives and the path's folders to choose
// from). They show the file system only (drives, folders, files), with the
// shell's own icons where the shell gives them. Each follows the others its
// ShellTree, ShellList and ShellCombo properties name.
//
// Like the classic folder controls, they give folders back without a
// trailing backslash except at a drive's root; what the program asks of
// them never raises their events, what the user does (on the control or on
// one linked to it) does.

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "wizard/control_class.h"
#include "wizard/folder_paths.h"
#include "wizard/hosted_control.h"

namespace qm {

std::vector<const ControlClass*> shell_control_classes();

// What the three have in common: a folder shown, which linked controls follow.
class ShellFolderView {
 public:
  virtual ~ShellFolderView() = default;
  // The folder shown (the tree's selected one); empty while the control
  // shows the drives only.
  virtual std::string shown_folder() const = 0;
  // False, and nothing changes, for a folder that does not exist.
  virtual bool show_folder(const std::string& folder, ChangeCause cause) = 0;
};

// TPTShellTree: the drives as roots, each folder's subfolders read when it
// is first expanded. kChange when the selection changes.
class ShellTreeControl : public HostedControl, public ShellFolderView {
 public:
  explicit ShellTreeControl(const ControlClass& control_class);
  ~ShellTreeControl() override;

  // Selects a folder, expanding its ancestors. False for one that does not
  // exist or lies on no drive of the tree.
  bool select_folder(const std::string& folder);
  // The selected folder (for a drive, its root); empty when nothing is
  // selected.
  std::string selected_folder() const;
  // The names shown below a folder's node (for a drive, its root), once it
  // has been expanded; the roots' captions for an empty folder.
  std::vector<std::string> child_names(const std::string& folder) const;
  bool is_expanded(const std::string& folder) const;

  std::string shown_folder() const override { return selected_folder(); }
  bool show_folder(const std::string& folder, ChangeCause cause) override;

  std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam) override;

 protected:
  HWND make_inner(HWND host, const RECT& client) override;
  void inner_made() override;
  void apply(std::string_view property) override;

 private:
  struct Node {
    std::string path;
    bool filled = false;
    int children = -1;   // -1 until asked: whether to show an expand button
    bool probe = true;   // false for drives that may keep the user waiting
  };

  HTREEITEM add_item(HTREEITEM parent, const std::string& text, const std::string& path, int image,
                     int selected_image, bool probe, HTREEITEM after);
  Node* node_of(HTREEITEM item) const;
  void fill_children(HTREEITEM item);
  HTREEITEM find_child(HTREEITEM parent, const std::string& path) const;
  // The item of a folder among those made so far; null when there is none.
  HTREEITEM existing_item(const std::string& folder) const;
  // The item of a folder, filling folders and adding items on the way;
  // null when the folder lies on no drive of the tree.
  HTREEITEM reach_item(const std::string& folder);
  void selection_changed();
  void apply_colours();
  DWORD tree_style() const;

  std::unique_ptr<ItemIcons> icons_;
  std::deque<Node> nodes_;
  std::optional<ChangeCause> selecting_;  // set while the program selects
  std::string pending_;                   // chosen before the window exists
};

// TPTShellList: the subfolders and files of a folder (hidden ones left out),
// folders first, in the view ViewStyle names (vsIcon, vsSmallIcon, vsList,
// vsReport with name, size, type and date columns). Without a folder it
// shows the drives. A double-click or Enter on a folder opens it, Backspace
// goes up. kChange only when an item becomes selected.
class ShellListControl : public HostedControl, public ShellFolderView {
 public:
  explicit ShellListControl(const ControlClass& control_class);
  ~ShellListControl() override;

  bool navigate(const std::string& folder);
  std::string folder() const { return folder_; }
  // The selected item's full path (with several selected, the one with the
  // focus); empty when none is selected.
  std::string selected_path() const;
  // The names listed, in list order.
  std::vector<std::string> item_names() const;

  std::string shown_folder() const override { return folder_; }
  bool show_folder(const std::string& folder, ChangeCause cause) override;

  std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void enter_pressed() override;

 protected:
  HWND make_inner(HWND host, const RECT& client) override;
  void inner_made() override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  struct Item {
    std::string name;
    std::string path;
    bool folder = false;
    std::optional<DriveInfo> drive;
    std::uint64_t size = 0;
    FILETIME written{};
  };

  void load();
  void open_item(int index);
  void go_up();
  std::string column_text(const Item& item, int column);
  int image_of(const Item& item);
  template <typename Info>
  void describe(Info& info);
  DWORD list_style() const;
  void apply_colours();

  std::unique_ptr<ItemIcons> icons_;
  std::string folder_;
  std::vector<Item> items_;
  std::map<std::string, std::string> type_names_;
  bool loading_ = false;
};

// TPTShellCombo: an editable combo box showing the path; its list holds the
// drives and, below the path's drive, the folders down to the path. kChange
// when the user chooses an entry or types a folder and presses Enter (a
// folder that does not exist is refused: the text goes back to the path).
class ShellComboControl : public HostedComboBox, public ShellFolderView {
 public:
  explicit ShellComboControl(const ControlClass& control_class);
  ~ShellComboControl() override;

  // A folder, or a drive letter alone ("C" stands for "C:\").
  bool set_path(const std::string& text);
  std::string path() const { return path_; }
  // The paths of the entries of the list, in order.
  std::vector<std::string> entry_paths() const;

  std::string shown_folder() const override { return path_; }
  bool show_folder(const std::string& folder, ChangeCause cause) override;

  std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void enter_pressed() override;

 protected:
  HWND make_inner(HWND host, const RECT& client) override;
  void inner_made() override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  struct Entry {
    std::string path;
    std::string caption;
    int depth = 0;
    std::optional<DriveInfo> drive;
  };

  void fill();
  void take_entry(int index);
  void refuse();

  std::unique_ptr<ItemIcons> icons_;
  std::vector<DriveInfo> drives_;
  std::vector<Entry> entries_;
  std::string path_;
};

}  // namespace qm
