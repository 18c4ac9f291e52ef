// Binding of the file, folder, drive and shell controls: each starts at the
// folder its Hint variable names (or, with Tag 1, at the nearest existing
// target folder), writes the user's choice back into that variable, and with
// Tag 1 moves the target to the folder chosen.

#include <windows.h>

#include "platform/file_system.h"
#include "script/ansi_text.h"
#include "script/path_text.h"
#include "wizard/binding_texts.h"
#include "wizard/folder_controls.h"
#include "wizard/shell_controls.h"
#include "wizard/wizard.h"

namespace qm {

namespace {

// "C:\" for a value that begins with a drive's letter; empty otherwise.
std::string drive_root_of(const std::string& value) {
  if (value.empty()) return "";
  return std::string(1, value.front()) + ":\\";
}

// The parent of a folder, without its trailing backslash ("C:\" at a root).
std::string parent_folder(std::string folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  std::string parent = folder_of(folder);
  if (parent.size() > 3 && parent.back() == '\\') parent.pop_back();
  return parent;
}

}  // namespace

void Wizard::bind_folder_control(Dialog& dialog, Control& control) {
  const std::optional<std::string> value = hint_value(*engine_, control);
  const std::string target = nearest_existing_target(*engine_);
  const bool target_exists = !target.empty() && platform::folder_exists(target);
  const bool follows_target = control.tag() == 1 && target_exists;

  if (auto* files = dynamic_cast<FileListBoxControl*>(&control)) {
    files->set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails&) {
      const std::string file = static_cast<FileListBoxControl&>(changed).file_name();
      on_folder_choice(dialog, changed, file, "FileListBox1Change", folder_of(file));
    });
    if (value && platform::folder_exists(folder_of(*value))) files->apply_path(folder_of(*value));
    if (follows_target) files->apply_path(target);
  } else if (auto* list = dynamic_cast<ShellListControl*>(&control)) {
    list->set_property_text("HideSelection", "False");
    list->set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails&) {
      const std::string path = static_cast<ShellListControl&>(changed).selected_path();
      if (!path.empty()) on_folder_choice(dialog, changed, path, "PTShellList1Change", path);
    });
    if (value && platform::folder_exists(folder_of(*value))) list->navigate(folder_of(*value));
    if (follows_target) list->navigate(target);
  } else if (auto* directories = dynamic_cast<DirectoryListBoxControl*>(&control)) {
    directories->set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails&) {
      const std::string folder = static_cast<DirectoryListBoxControl&>(changed).directory();
      on_folder_choice(dialog, changed, folder, "DirectoryListBox1Change", folder);
    });
    if (value && platform::folder_exists(*value)) directories->set_directory(*value);
    if (control.tag() == 1) {
      if (target_exists) directories->set_directory(target);
      else if (const std::string parent = parent_folder(target); platform::folder_exists(parent))
        directories->set_directory(parent);
    }
  } else if (auto* tree = dynamic_cast<ShellTreeControl*>(&control)) {
    tree->set_property_text("HideSelection", "False");
    tree->set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails&) {
      const std::string folder = static_cast<ShellTreeControl&>(changed).selected_folder();
      on_folder_choice(dialog, changed, folder, "PTShellTree1Change", folder);
    });
    if (value && platform::folder_exists(*value)) tree->select_folder(*value);
    if (control.tag() == 1) {
      if (target_exists) tree->select_folder(target);
      else if (const std::string parent = parent_folder(target); platform::folder_exists(parent))
        tree->select_folder(parent);
    }
  } else if (auto* drives = dynamic_cast<DriveComboBoxControl*>(&control)) {
    drives->set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails&) {
      const std::string root = std::string(1, static_cast<DriveComboBoxControl&>(changed).drive()) + ":\\";
      on_folder_choice(dialog, changed, root, "DriveComboBox1Change", root);
    });
    if (value && platform::folder_exists(drive_root_of(*value))) drives->select_drive(value->front());
    if (follows_target) drives->select_drive(target.front());
  } else if (auto* combo = dynamic_cast<ShellComboControl*>(&control)) {
    combo->set_handler(ControlEvent::kChange, [this, &dialog](Control& changed, EventDetails&) {
      const std::string path = static_cast<ShellComboControl&>(changed).path();
      on_folder_choice(dialog, changed, path, "PTShellCombo1Change", path);
    });
    if (value && platform::folder_exists(*value)) combo->set_path(*value);
    if (follows_target) combo->set_path(target.substr(0, 1));
  }
}

// The user chose a file, folder or drive: its variable takes it, the Tag 100
// controls follow, and with Tag 1 the target moves to the folder.
void Wizard::on_folder_choice(Dialog& dialog, Control& control, const std::string& value, const char* handler,
                              const std::string& folder) {
  if (binding_) return;
  write_hint_variable(*engine_, control, value, handler);
  refresh_from_variables(dialog);
  if (control.tag() == 1) browse_to_target(dialog, folder);
  apply_rules(dialog);
}

// The refresh pass for the file, folder, drive and shell controls: each shows
// the file or folder its variable names, when it exists.
void Wizard::refresh_folder_control(Control& control, const std::string& value) {
  if (auto* files = dynamic_cast<FileListBoxControl*>(&control)) {
    if (platform::file_exists(value) || platform::folder_exists(value)) files->apply_path(value);
    return;
  }
  if (platform::folder_exists(value)) {
    if (auto* directories = dynamic_cast<DirectoryListBoxControl*>(&control)) directories->set_directory(value);
    if (auto* tree = dynamic_cast<ShellTreeControl*>(&control)) tree->select_folder(value);
    if (auto* list = dynamic_cast<ShellListControl*>(&control)) list->navigate(value);
    if (auto* combo = dynamic_cast<ShellComboControl*>(&control)) combo->set_path(value);
  }
  if (auto* drives = dynamic_cast<DriveComboBoxControl*>(&control)) {
    if (!value.empty() && platform::folder_exists(drive_root_of(value))) drives->select_drive(value.front());
  }
}

}  // namespace qm
