#pragma once
// The small pictures of the folder and shell controls: our own glyphs
// (folders, files, drives) drawn with GDI at any size, and the icons of
// items, which are the shell's own small and large icons where the shell
// gives its image lists, else our glyphs in image lists of our own.

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <string_view>

#include "wizard/folder_paths.h"

namespace qm {

enum class Glyph {
  kClosedFolder,
  kOpenFolder,
  kFile,
  kFixedDrive,
  kRemovableDrive,
  kDiscDrive,
  kNetworkDrive,
  kRamDrive,
};
inline constexpr int kGlyphCount = 8;

// The glyph of a drive of this type (GetDriveType's answer).
Glyph drive_glyph(UINT drive_type);

// Draws a glyph into the square of side `size` whose top left corner is at
// (left, top).
void draw_glyph(HDC dc, Glyph glyph, int left, int top, int size);

// The icons of the items of one control. The shell's image lists are shared
// by the whole process and never destroyed; ours belong to this object, so a
// control keeps its ItemIcons until its window is gone.
class ItemIcons {
 public:
  // Icons of `small_size` (and `large_size` for icon views) pixels.
  ItemIcons(int small_size, int large_size);
  ~ItemIcons();
  ItemIcons(const ItemIcons&) = delete;
  ItemIcons& operator=(const ItemIcons&) = delete;

  HIMAGELIST small_list() const { return small_; }
  HIMAGELIST large_list() const { return large_; }
  // Whether the shell gave its lists (else the lists hold our glyphs).
  bool from_shell() const { return from_shell_; }

  // Indexes into both lists. They never touch a drive's medium: a file's
  // icon goes by its extension, a folder's is the shell's folder icon.
  int folder(bool open);
  int file(std::string_view name);
  int drive(const DriveInfo& drive);

  // Draws an icon of the small list.
  void draw_small(HDC dc, int index, int left, int top) const;

 private:
  int shell_index(const std::string& path, DWORD attributes, UINT extra_flags);

  HIMAGELIST small_ = nullptr;
  HIMAGELIST large_ = nullptr;
  bool from_shell_ = false;
  int small_size_;
  std::map<std::string, int> by_extension_;
  std::map<char, int> by_drive_;
  int folder_[2] = {-1, -1};
};

}  // namespace qm
