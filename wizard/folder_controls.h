#pragma once
// The classic file, folder and drive controls: `TFileListBox` (the files of
// a folder that fit a mask), `TDirectoryListBox` (a folder's ancestors and
// subfolders), `TDriveComboBox` (the drives) and `TFilterComboBox` (a choice
// of file masks). They link to each other by name, as their definitions
// say: a drive combo's DirList follows its drive, a directory list's
// FileList its folder, a filter combo's FileList its mask; a directory list
// shows its folder in the label named by DirLabel, a file list its chosen
// file in the edit named by FileEdit.
//
// Folders come back without a trailing backslash except at a drive's root
// ("C:\Program Files", "D:\"). What the program asks of a control (binding,
// dialog rules) never raises its events; what the user does, on the control
// or on one linked to it, raises kChange when the control's value changes.

#include <string>
#include <vector>

#include "wizard/control_class.h"
#include "wizard/folder_paths.h"
#include "wizard/hosted_control.h"

namespace qm {

std::vector<const ControlClass*> folder_control_classes();

// TFileListBox: the files of Directory that fit Mask (masks separated by
// ";"), with glyphs when ShowGlyphs says so; FileType chooses which entries
// show ([ftNormal] by default: plain files, neither hidden nor system ones;
// ftDirectory adds the subfolders as "[name]"). kChange when the user
// chooses another file, or unchooses it in the list; not when the chosen
// file goes because the user shows another folder or mask.
class FileListBoxControl : public HostedControl {
 public:
  explicit FileListBoxControl(const ControlClass& control_class);

  // Shows a folder; or the folder of a file, with the file selected. False,
  // and nothing changes, when the path names neither.
  bool apply_path(const std::string& path);
  // The folder shown.
  std::string directory() const { return directory_; }
  // The selected file's full path (with several selected, the one with the
  // focus); empty when none is selected.
  std::string file_name() const;
  std::string mask() const;
  void set_mask(const std::string& mask);
  // The entries listed, in list order.
  std::vector<std::string> items() const;
  std::vector<std::string> selected_texts() const override;

  // For the controls linked to this one, which pass on the cause of a change.
  bool show_directory(const std::string& folder, ChangeCause cause);
  void change_mask(const std::string& mask, ChangeCause cause);

  std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void font_changed() override;

 protected:
  HWND make_inner(HWND host, const RECT& client) override;
  void inner_made() override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  struct Entry {
    std::string name;
    bool folder = false;
    std::string shown() const { return folder ? "[" + name + "]" : name; }
  };

  void fill();
  bool select_name(const std::string& name);
  int current_index() const;
  // Records the selected file; for the user's change, tells the FileEdit
  // and raises kChange when it differs from the one last recorded (but not
  // for a file that went with the list it was in: `list_replaced`).
  void settle(ChangeCause cause, bool list_replaced);
  // Whether an entry is listed, by the masks and the FileType elements.
  static bool shows(const FolderEntry& entry, const std::vector<std::string>& masks,
                    const std::vector<std::string>& types);
  int item_height() const;

  std::string directory_;
  std::vector<Entry> entries_;
  std::string recorded_;  // the file name last recorded by settle
};

// TDirectoryListBox: the folder's ancestors from the drive's root down (open
// folders) and its subfolders (closed folders), each indented by its depth.
// A double-click or Enter on an entry makes it the folder.
class DirectoryListBoxControl : public HostedControl {
 public:
  explicit DirectoryListBoxControl(const ControlClass& control_class);

  // False, and nothing changes, for a folder that does not exist.
  bool set_directory(const std::string& folder);
  std::string directory() const { return directory_; }
  // The names listed, in list order: the root ("C:\"), the folders below it
  // down to the current one, then its subfolders.
  std::vector<std::string> items() const;

  bool change_directory(const std::string& folder, ChangeCause cause);

  std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void enter_pressed() override;
  void font_changed() override;

 protected:
  HWND make_inner(HWND host, const RECT& client) override;
  void inner_made() override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  struct Entry {
    std::string path;
    std::string name;
    int depth = 0;
    bool open = false;
  };

  void fill();
  void open_entry(int index);
  void tell_linked(ChangeCause cause);
  int item_height() const;

  std::string directory_;
  std::vector<Entry> entries_;
};

// TDriveComboBox: the drives, each with its glyph and, for fixed drives, its
// volume label ("c: [SYSTEM]"). A drive whose root cannot be read (a card
// reader without a card) is not taken: the combo goes back to its drive.
class DriveComboBoxControl : public HostedComboBox {
 public:
  explicit DriveComboBoxControl(const ControlClass& control_class);

  // False for a letter that names no drive of the machine.
  bool select_drive(char letter);
  // The drive's letter, in upper case.
  char drive() const { return drive_; }
  std::vector<char> drive_letters() const;

  std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam) override;

 protected:
  HWND make_inner(HWND host, const RECT& client) override;
  void inner_made() override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  void fill();
  int index_of(char letter) const;
  std::string caption(const DriveInfo& drive) const;
  void user_chose(int index);
  // Moves the linked directory list to the drive, unless it already shows
  // a folder there.
  void tell_linked(ChangeCause cause);

  std::vector<DriveInfo> drives_;
  char drive_;
};

// TFilterComboBox: the descriptions of Filter ("Text files (*.txt)|*.txt|All
// files (*.*)|*.*"); Mask is the mask of the one chosen, and the file list
// named by FileList lists by it.
class FilterComboBoxControl : public HostedComboBox {
 public:
  using HostedComboBox::HostedComboBox;

  std::string mask() const;
  // The descriptions, in order.
  std::vector<std::string> descriptions() const;

  std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam) override;

 protected:
  HWND make_inner(HWND host, const RECT& client) override;
  void inner_made() override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  void fill();
  int index() const;
  void tell_linked(ChangeCause cause);

  int chosen_ = -1;  // the choice last taken, to tell a new one
};

}  // namespace qm
