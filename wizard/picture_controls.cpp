#include "wizard/picture_controls.h"

#include <algorithm>
#include <optional>

#include "platform/picture.h"
#include "platform/picture_bitmap.h"
#include "platform/window_class.h"
#include "script/ansi_text.h"
#include "wizard/published_properties.h"

namespace qm {

namespace {

using K = PropertyKind;

constexpr const char* kImageClass = "QuillmoreImage";

LRESULT CALLBACK image_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// An image: the picture of its definition drawn into its place, stretched,
// centred or kept in proportion as its properties say, with its alpha.
class ImageControl : public Control {
 public:
  using Control::Control;

  void assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) override {
    if (!ascii_equal_ignore_case(property, "Picture.Data")) return;
    picture_ = platform::read_picture_data(bytes);
  }

  bool has_picture() const { return picture_.has_value(); }

  void paint(HDC dc, const RECT& client) {
    if (!picture_) return;
    if (!bitmap_) bitmap_ = platform::make_picture_bitmap(*picture_, platform::BitmapAlpha::premultiplied);
    if (!bitmap_) return;
    const RECT target = placement(client);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap_.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, memory, 0, 0,
                  picture_->width, picture_->height, blend);
    SelectObject(memory, old);
    DeleteDC(memory);
  }

  void clicked() { raise(ControlEvent::kClick); }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    platform::register_window_class({kImageClass, image_procedure, IDC_ARROW, false});
    return CreateWindowExA(0, kImageClass, "", WS_CHILD, bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  }

 private:
  // Where the picture goes in the control: at its own size in the corner (or
  // the middle), stretched to the control, or as large as fits in proportion.
  RECT placement(const RECT& client) const {
    int width = picture_->width;
    int height = picture_->height;
    const int room_width = client.right - client.left;
    const int room_height = client.bottom - client.top;
    const bool stretch = stored("Stretch") == "True";
    const bool proportional = stored("Proportional") == "True";
    if (stretch && !proportional) {
      width = room_width;
      height = room_height;
    } else if (proportional && (stretch || width > room_width || height > room_height)) {
      const double factor = std::min(static_cast<double>(room_width) / width, static_cast<double>(room_height) / height);
      width = std::max(1, static_cast<int>(width * factor));
      height = std::max(1, static_cast<int>(height * factor));
    }
    RECT target{0, 0, width, height};
    if (stored("Center") == "True") OffsetRect(&target, (room_width - width) / 2, (room_height - height) / 2);
    return target;
  }

  std::optional<platform::Picture> picture_;
  platform::UniqueGdiObject bitmap_;
};

LRESULT CALLBACK image_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* image = static_cast<ImageControl*>(control_of_window(window));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (image != nullptr) {
        RECT client{};
        GetClientRect(window, &client);
        // The page's colour shows where the picture does not cover.
        FillRect(dc, &client, image->background_brush());
        image->paint(dc, client);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONUP:
      if (image != nullptr) image->clicked();
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

const ControlClass& image_class() {
  static const ControlClass c{"TImage", nullptr,
                              joined({&control_properties()},
                                     {{"Picture", K::kObject},
                                      {"AutoSize", K::kBoolean, "False"},
                                      {"Center", K::kBoolean, "False"},
                                      {"IncrementalDisplay", K::kBoolean, "False"},
                                      {"Proportional", K::kBoolean, "False"},
                                      {"Stretch", K::kBoolean, "False"},
                                      {"Transparent", K::kBoolean, "False"},
                                      {"ParentColor", K::kBoolean, "True"},
                                      {"Color", K::kIdentifier, "clBtnFace"}}),
                              [](const ControlClass& control_class) {
                                return std::make_unique<ImageControl>(control_class);
                              }};
  return c;
}

}  // namespace

std::vector<const ControlClass*> picture_control_classes() { return {&image_class()}; }

}  // namespace qm
