#include "wizard/folder_glyphs.h"

#include <shellapi.h>

#include <algorithm>
#include <initializer_list>

#include "platform/system_library.h"
#include "platform/unique_resource.h"
#include "script/ansi_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// The image list functions of the common controls library that made the
// page's controls. comctl32 is not one of the libraries Windows always takes
// from the system folder, so it is never loaded by its bare name.
struct ImageListFunctions {
  decltype(&ImageList_Create) create = nullptr;
  decltype(&ImageList_AddMasked) add_masked = nullptr;
  decltype(&ImageList_Destroy) destroy = nullptr;
  decltype(&ImageList_Draw) draw = nullptr;
};

template <typename Function>
Function function_of(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

const ImageListFunctions& image_list_functions() {
  static const ImageListFunctions functions = [] {
    ImageListFunctions found;
    // The library already in the process is the one the controls come from
    // (with visual styles, the side-by-side version 6).
    HMODULE library = GetModuleHandleA("comctl32.dll");
    if (library == nullptr) library = platform::load_system_library("comctl32.dll");
    if (library == nullptr) return found;
    found.create = function_of<decltype(found.create)>(library, "ImageList_Create");
    found.add_masked = function_of<decltype(found.add_masked)>(library, "ImageList_AddMasked");
    found.destroy = function_of<decltype(found.destroy)>(library, "ImageList_Destroy");
    found.draw = function_of<decltype(found.draw)>(library, "ImageList_Draw");
    return found;
  }();
  return functions;
}

// Draws on a 16 x 16 grid scaled to the glyph's size.
class GlyphCanvas {
 public:
  GlyphCanvas(HDC dc, int left, int top, int size) : dc_(dc), left_(left), top_(top), size_(size) {}

  POINT at(int x, int y) const { return POINT{left_ + x * size_ / 16, top_ + y * size_ / 16}; }

  void polygon(std::initializer_list<POINT> points, COLORREF fill, COLORREF line) const {
    const Tools tools(dc_, fill, line, pen_width());
    Polygon(dc_, points.begin(), static_cast<int>(points.size()));
  }
  void rectangle(int x1, int y1, int x2, int y2, COLORREF fill, COLORREF line) const {
    const Tools tools(dc_, fill, line, pen_width());
    const POINT a = at(x1, y1);
    const POINT b = at(x2, y2);
    Rectangle(dc_, a.x, a.y, b.x + 1, b.y + 1);
  }
  void ellipse(int x1, int y1, int x2, int y2, COLORREF fill, COLORREF line) const {
    const Tools tools(dc_, fill, line, pen_width());
    const POINT a = at(x1, y1);
    const POINT b = at(x2, y2);
    Ellipse(dc_, a.x, a.y, b.x + 1, b.y + 1);
  }
  void line(int x1, int y1, int x2, int y2, COLORREF colour) const {
    const Tools tools(dc_, std::nullopt, colour, pen_width());
    const POINT a = at(x1, y1);
    const POINT b = at(x2, y2);
    MoveToEx(dc_, a.x, a.y, nullptr);
    LineTo(dc_, b.x, b.y);
  }

 private:
  // A pen and brush selected for one shape.
  class Tools {
   public:
    Tools(HDC dc, std::optional<COLORREF> fill, COLORREF line, int width)
        : dc_(dc),
          pen_(CreatePen(PS_SOLID, width, line)),
          brush_(fill ? CreateSolidBrush(*fill) : GetStockObject(NULL_BRUSH)),
          own_brush_(fill.has_value()),
          old_pen_(SelectObject(dc, pen_.get())),
          old_brush_(SelectObject(dc, brush_)) {}
    ~Tools() {
      SelectObject(dc_, old_pen_);
      SelectObject(dc_, old_brush_);
      if (own_brush_) DeleteObject(brush_);
    }
    Tools(const Tools&) = delete;
    Tools& operator=(const Tools&) = delete;

   private:
    HDC dc_;
    platform::UniqueGdiObject pen_;
    HGDIOBJ brush_;
    bool own_brush_;
    HGDIOBJ old_pen_;
    HGDIOBJ old_brush_;
  };

  int pen_width() const { return std::max(1, size_ / 16); }

  HDC dc_;
  int left_;
  int top_;
  int size_;
};

constexpr COLORREF kFolderLine = RGB(166, 122, 30);
constexpr COLORREF kFolderBack = RGB(232, 184, 70);
constexpr COLORREF kFolderFront = RGB(252, 214, 104);
constexpr COLORREF kDriveLine = RGB(88, 92, 100);
constexpr COLORREF kDriveBody = RGB(206, 210, 216);

void draw_closed_folder(const GlyphCanvas& c) {
  c.polygon({c.at(1, 3), c.at(6, 3), c.at(7, 5), c.at(1, 5)}, kFolderBack, kFolderLine);
  c.rectangle(1, 5, 15, 14, kFolderFront, kFolderLine);
}

void draw_open_folder(const GlyphCanvas& c) {
  c.polygon({c.at(1, 3), c.at(6, 3), c.at(7, 5), c.at(13, 5), c.at(13, 14), c.at(1, 14)}, kFolderBack, kFolderLine);
  c.polygon({c.at(4, 8), c.at(16, 8), c.at(13, 14), c.at(1, 14)}, kFolderFront, kFolderLine);
}

void draw_file(const GlyphCanvas& c) {
  const COLORREF line = RGB(112, 116, 124);
  c.polygon({c.at(3, 1), c.at(10, 1), c.at(13, 4), c.at(13, 15), c.at(3, 15)}, RGB(255, 255, 255), line);
  c.line(10, 1, 10, 4, line);
  c.line(10, 4, 13, 4, line);
  for (int y : {7, 9, 11}) c.line(5, y, 11, y, RGB(140, 164, 204));
}

void draw_fixed_drive(const GlyphCanvas& c) {
  c.rectangle(1, 6, 15, 12, kDriveBody, kDriveLine);
  c.line(3, 9, 8, 9, kDriveLine);
  c.rectangle(11, 8, 13, 10, RGB(48, 184, 72), RGB(32, 132, 52));
}

void draw_removable_drive(const GlyphCanvas& c) {
  c.rectangle(2, 4, 14, 13, kDriveBody, kDriveLine);
  c.rectangle(4, 7, 12, 8, RGB(60, 64, 70), RGB(60, 64, 70));
  c.rectangle(10, 10, 12, 11, RGB(48, 184, 72), RGB(32, 132, 52));
}

void draw_disc_drive(const GlyphCanvas& c) {
  c.ellipse(1, 1, 15, 15, RGB(214, 220, 232), kDriveLine);
  c.ellipse(5, 5, 11, 11, RGB(168, 196, 232), RGB(120, 140, 170));
  c.ellipse(7, 7, 9, 9, RGB(255, 255, 255), kDriveLine);
}

void draw_network_drive(const GlyphCanvas& c) {
  c.rectangle(1, 2, 15, 8, kDriveBody, kDriveLine);
  c.rectangle(11, 4, 13, 6, RGB(48, 184, 72), RGB(32, 132, 52));
  c.line(8, 8, 8, 13, RGB(40, 120, 60));
  c.line(2, 13, 15, 13, RGB(40, 120, 60));
}

void draw_ram_drive(const GlyphCanvas& c) {
  for (int x : {4, 7, 10, 13}) {
    c.line(x - 1, 2, x - 1, 14, RGB(150, 150, 150));
  }
  c.rectangle(2, 4, 14, 12, RGB(44, 112, 64), RGB(24, 72, 40));
}

// Our glyphs in an image list of `size` pixels, in the order of Glyph.
HIMAGELIST make_glyph_list(int size) {
  const ImageListFunctions& functions = image_list_functions();
  if (functions.create == nullptr || functions.add_masked == nullptr) return nullptr;
  HIMAGELIST list = functions.create(size, size, ILC_COLOR24 | ILC_MASK, kGlyphCount, 4);
  if (list == nullptr) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  const platform::UniqueGdiObject strip(CreateCompatibleBitmap(screen, size * kGlyphCount, size));
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, strip.get());
  const RECT all{0, 0, size * kGlyphCount, size};
  const platform::UniqueGdiObject mask_brush(CreateSolidBrush(kMaskColour));
  FillRect(dc, &all, static_cast<HBRUSH>(mask_brush.get()));
  for (int i = 0; i < kGlyphCount; ++i) draw_glyph(dc, static_cast<Glyph>(i), i * size, 0, size);
  SelectObject(dc, old);
  DeleteDC(dc);
  functions.add_masked(list, static_cast<HBITMAP>(strip.get()), kMaskColour);
  return list;
}

}  // namespace

Glyph drive_glyph(UINT drive_type) {
  switch (drive_type) {
    case DRIVE_REMOVABLE:
      return Glyph::kRemovableDrive;
    case DRIVE_CDROM:
      return Glyph::kDiscDrive;
    case DRIVE_REMOTE:
      return Glyph::kNetworkDrive;
    case DRIVE_RAMDISK:
      return Glyph::kRamDrive;
    default:
      return Glyph::kFixedDrive;
  }
}

void draw_glyph(HDC dc, Glyph glyph, int left, int top, int size) {
  const GlyphCanvas canvas(dc, left, top, size);
  switch (glyph) {
    case Glyph::kClosedFolder:
      return draw_closed_folder(canvas);
    case Glyph::kOpenFolder:
      return draw_open_folder(canvas);
    case Glyph::kFile:
      return draw_file(canvas);
    case Glyph::kFixedDrive:
      return draw_fixed_drive(canvas);
    case Glyph::kRemovableDrive:
      return draw_removable_drive(canvas);
    case Glyph::kDiscDrive:
      return draw_disc_drive(canvas);
    case Glyph::kNetworkDrive:
      return draw_network_drive(canvas);
    case Glyph::kRamDrive:
      return draw_ram_drive(canvas);
  }
}

ItemIcons::ItemIcons(int small_size, int large_size) : small_size_(small_size) {
  SHFILEINFOA info{};
  const UINT query = SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX;
  small_ = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, query | SHGFI_SMALLICON));
  large_ = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, query | SHGFI_LARGEICON));
  from_shell_ = small_ != nullptr && large_ != nullptr;
  if (from_shell_) return;
  small_ = make_glyph_list(small_size);
  large_ = make_glyph_list(large_size);
}

ItemIcons::~ItemIcons() {
  if (from_shell_) return;
  const ImageListFunctions& functions = image_list_functions();
  if (functions.destroy == nullptr) return;
  if (small_ != nullptr) functions.destroy(small_);
  if (large_ != nullptr) functions.destroy(large_);
}

int ItemIcons::shell_index(const std::string& path, DWORD attributes, UINT extra_flags) {
  SHFILEINFOA info{};
  info.iIcon = -1;
  QuietDriveErrors quiet;
  if (SHGetFileInfoA(path.c_str(), attributes, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra_flags) == 0)
    return -1;
  return info.iIcon;
}

int ItemIcons::folder(bool open) {
  if (!from_shell_) return static_cast<int>(open ? Glyph::kOpenFolder : Glyph::kClosedFolder);
  int& index = folder_[open ? 1 : 0];
  if (index < 0)
    index = std::max(0, shell_index("folder", FILE_ATTRIBUTE_DIRECTORY,
                                    SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0)));
  return index;
}

int ItemIcons::file(std::string_view name) {
  if (!from_shell_) return static_cast<int>(Glyph::kFile);
  const std::string extension = ansi_upper(extension_of(name));
  const auto found = by_extension_.find(extension);
  if (found != by_extension_.end()) return found->second;
  const int index = std::max(0, shell_index("file" + extension, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES));
  by_extension_.emplace(extension, index);
  return index;
}

int ItemIcons::drive(const DriveInfo& drive) {
  if (!from_shell_) return static_cast<int>(drive_glyph(drive.type));
  const auto found = by_drive_.find(drive.letter);
  if (found != by_drive_.end()) return found->second;
  // Only drives that answer at once are asked for their own icon.
  const bool answers_at_once = drive.type == DRIVE_FIXED || drive.type == DRIVE_RAMDISK;
  int index = shell_index(drive_root(drive.letter), FILE_ATTRIBUTE_DIRECTORY,
                          answers_at_once ? 0 : SHGFI_USEFILEATTRIBUTES);
  if (index < 0) index = folder(false);
  by_drive_.emplace(drive.letter, index);
  return index;
}

void ItemIcons::draw_small(HDC dc, int index, int left, int top) const {
  const ImageListFunctions& functions = image_list_functions();
  if (small_ != nullptr && functions.draw != nullptr) {
    functions.draw(small_, index, dc, left, top, ILD_TRANSPARENT);
  } else if (index >= 0 && index < kGlyphCount) {
    draw_glyph(dc, static_cast<Glyph>(index), left, top, small_size_);
  }
}

}  // namespace qm
