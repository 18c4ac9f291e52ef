#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "platform/picture_bitmap.h"
#include "tests/platform/picture_fixtures.h"

namespace qm::platform {
namespace {

using test::pictures::Bytes;
namespace fixtures = test::pictures;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0,
                        kYellow = 0xFFFF00;
// The 3 × 2 picture most fixtures hold, top row first.
const std::uint32_t kColours[2][3] = {{kRed, kGreen, kBlue}, {kWhite, kBlack, kYellow}};
const std::vector<std::uint32_t> kPalette = {kRed, kGreen, kBlue, kWhite, kBlack, kYellow};

std::uint32_t colour_at(const Picture& picture, int x, int y) {
  const std::uint8_t* p = picture.pixels.data() + (static_cast<std::size_t>(y) * picture.width + x) * 4;
  return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

int alpha_at(const Picture& picture, int x, int y) {
  return picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 4 + 3];
}

std::optional<Picture> decode(const Bytes& file) { return decode_picture(std::span<const std::uint8_t>(file)); }

void expect_standard_picture(const std::optional<Picture>& picture, const std::string& name) {
  ASSERT_TRUE(picture) << name;
  ASSERT_EQ(picture->width, 3) << name;
  ASSERT_EQ(picture->height, 2) << name;
  ASSERT_EQ(picture->pixels.size(), 3u * 2 * 4) << name;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(colour_at(*picture, x, y), kColours[y][x]) << name << " at " << x << "," << y;
      EXPECT_EQ(alpha_at(*picture, x, y), 255) << name << " at " << x << "," << y;
    }
  }
}

std::uint32_t palette_index(int x, int y) { return static_cast<std::uint32_t>(y * 3 + x); }
std::uint32_t rgb_value(int x, int y) { return kColours[y][x]; }
std::uint32_t rgb565_value(int x, int y) {
  const std::uint32_t c = kColours[y][x];
  return ((c >> 19) & 0x1F) << 11 | ((c >> 10) & 0x3F) << 5 | ((c >> 3) & 0x1F);
}
std::uint32_t rgb555_value(int x, int y) {
  const std::uint32_t c = kColours[y][x];
  return ((c >> 19) & 0x1F) << 10 | ((c >> 11) & 0x1F) << 5 | ((c >> 3) & 0x1F);
}

fixtures::BmpFixture bmp(unsigned bits, std::uint32_t (*value)(int, int)) {
  fixtures::BmpFixture fixture;
  fixture.width = 3;
  fixture.height = 2;
  fixture.bits = bits;
  fixture.value = value;
  if (bits <= 8) fixture.palette = kPalette;
  return fixture;
}

TEST(PictureBmpTest, EveryDepthAndHeaderDecodesPixelForPixel) {
  struct Case {
    std::string name;
    fixtures::BmpFixture fixture;
  };
  std::vector<Case> cases;
  cases.push_back({"4-bit", bmp(4, palette_index)});
  cases.push_back({"8-bit", bmp(8, palette_index)});
  cases.push_back({"24-bit", bmp(24, rgb_value)});
  cases.push_back({"32-bit, alpha bytes unused", bmp(32, rgb_value)});
  cases.push_back({"16-bit 5-5-5", bmp(16, rgb555_value)});
  auto bit_fields = bmp(16, rgb565_value);
  bit_fields.compression = 3;
  bit_fields.masks = {0xF800, 0x07E0, 0x001F};
  cases.push_back({"16-bit 5-6-5 bit fields after the header", bit_fields});
  auto v5 = bit_fields;
  v5.header_size = 124;
  cases.push_back({"16-bit bit fields in a version 5 header", v5});
  auto top_down = bmp(24, rgb_value);
  top_down.top_down = true;
  cases.push_back({"24-bit top-down", top_down});
  auto core = bmp(8, palette_index);
  core.header_size = 12;
  cases.push_back({"OS/2 core header, 3-byte palette", core});
  auto v4_32 = bmp(32, rgb_value);
  v4_32.header_size = 108;
  v4_32.compression = 3;
  v4_32.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
  cases.push_back({"32-bit bit fields, version 4 header, no alpha", v4_32});
  for (const auto& c : cases) expect_standard_picture(decode(fixtures::bmp_file(c.fixture)), c.name);
}

TEST(PictureBmpTest, OneBitPicturesUseTheirTwoColours) {
  fixtures::BmpFixture fixture;
  fixture.width = 10;  // more than a byte per row, and a padded row
  fixture.height = 2;
  fixture.bits = 1;
  fixture.palette = {kBlack, kYellow};
  fixture.value = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 2); };
  const auto picture = decode(fixtures::bmp_file(fixture));
  ASSERT_TRUE(picture);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 10; ++x) EXPECT_EQ(colour_at(*picture, x, y), (x + y) % 2 ? kYellow : kBlack) << x << "," << y;
  }
}

TEST(PictureBmpTest, AlphaIsKeptOnlyWhenThePictureUsesIt) {
  auto with_alpha = bmp(32, [](int x, int y) { return rgb_value(x, y) | (x == 0 ? 0u : 0x80000000u); });
  with_alpha.header_size = 124;
  with_alpha.compression = 3;
  with_alpha.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  const auto translucent = decode(fixtures::bmp_file(with_alpha));
  ASSERT_TRUE(translucent);
  EXPECT_EQ(alpha_at(*translucent, 0, 0), 0);
  EXPECT_EQ(alpha_at(*translucent, 1, 0), 0x80);
  EXPECT_EQ(colour_at(*translucent, 1, 0), kGreen);

  auto zero_alpha = with_alpha;
  zero_alpha.value = rgb_value;
  expect_standard_picture(decode(fixtures::bmp_file(zero_alpha)), "a declared alpha mask, every alpha 0");
}

TEST(PictureBmpTest, RunLengthCodingWithDeltasAndShortRows) {
  struct Case {
    std::string name;
    unsigned bits;
    std::uint32_t compression;
    Bytes runs;  // bottom row first
  };
  const std::vector<Case> cases = {
      // bottom row: runs of one 3, one 4 and one 5, end of line; top row: a
      // literal of three (padded to a word); end of bitmap.
      {"RLE8", 8, 1, {0x01, 0x03, 0x01, 0x04, 0x01, 0x05, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 0x02, 0x00, 0x00, 0x01}},
      // bottom row: a run of 3 and 4 alternating, a run of one 5, end of
      // line; top row: a literal of three nibbles (two bytes, already a word).
      {"RLE4", 4, 2, {0x02, 0x34, 0x01, 0x50, 0x00, 0x00, 0x00, 0x03, 0x01, 0x20, 0x00, 0x01}},
  };
  for (const auto& c : cases) {
    fixtures::BmpFixture fixture;
    fixture.width = 3;
    fixture.height = 2;
    fixture.bits = c.bits;
    fixture.compression = c.compression;
    fixture.palette = kPalette;
    fixture.rle = c.runs;
    expect_standard_picture(decode(fixtures::bmp_file(fixture)), c.name);
  }
}

TEST(PictureBmpTest, PixelsSkippedByRunsStayTransparent) {
  fixtures::BmpFixture fixture;
  fixture.width = 3;
  fixture.height = 2;
  fixture.bits = 8;
  fixture.compression = 1;
  fixture.palette = kPalette;
  // bottom row: a delta of 2 right and 1 up, then a run of one red there; end.
  fixture.rle = {0x00, 0x02, 0x02, 0x01, 0x01, 0x00, 0x00, 0x01};
  const auto picture = decode(fixtures::bmp_file(fixture));
  ASSERT_TRUE(picture);
  EXPECT_EQ(alpha_at(*picture, 0, 1), 0);
  EXPECT_EQ(alpha_at(*picture, 0, 0), 0);
  EXPECT_EQ(colour_at(*picture, 2, 0), kRed);
  EXPECT_EQ(alpha_at(*picture, 2, 0), 255);
}

fixtures::GifFixture standard_gif() {
  fixtures::GifFixture fixture;
  fixture.screen_width = fixture.width = 3;
  fixture.screen_height = fixture.height = 2;
  fixture.palette = {kRed, kGreen, kBlue, kWhite, kBlack, kYellow, 0x123456, 0x654321};
  fixture.min_code_size = 3;
  fixture.codes = fixtures::literal_codes({0, 1, 2, 3, 4, 5}, 3);
  return fixture;
}

TEST(PictureGifTest, FirstFrameDecodesPixelForPixel) {
  std::vector<std::pair<std::string, fixtures::GifFixture>> cases;
  cases.emplace_back("global colour table", standard_gif());
  auto local = standard_gif();
  local.local_palette = true;
  cases.emplace_back("local colour table", local);
  auto interlaced = standard_gif();
  interlaced.interlaced = true;
  // With two rows the second pass (from row 4) and third (from row 2) are
  // empty: rows are stored 0, 1 as usual; taller pictures below.
  cases.emplace_back("interlaced, two rows", interlaced);
  for (const auto& [name, fixture] : cases) expect_standard_picture(decode(fixtures::gif_file(fixture)), name);
}

TEST(PictureGifTest, InterlacedRowsAreReordered) {
  fixtures::GifFixture fixture;
  fixture.screen_width = fixture.width = 1;
  fixture.screen_height = fixture.height = 5;
  fixture.palette = {kBlack, kRed, kGreen, kBlue, kWhite, kYellow, kBlack, kBlack};
  fixture.min_code_size = 3;
  fixture.interlaced = true;
  // Stored order of rows 0..4: 0, 4, 2, 1, 3; row r has colour index r + 1.
  fixture.codes = fixtures::literal_codes({1, 5, 3, 2, 4}, 3);
  const auto picture = decode(fixtures::gif_file(fixture));
  ASSERT_TRUE(picture);
  const std::uint32_t expected[] = {kRed, kGreen, kBlue, kWhite, kYellow};
  for (int y = 0; y < 5; ++y) EXPECT_EQ(colour_at(*picture, 0, y), expected[y]) << y;
}

TEST(PictureGifTest, CompressedCodesIncludingTheCodeBeingDefined) {
  // Six pixels of index 1: 1, then code 6 ("1 1", the entry being made), then
  // code 7 ("1 1 1"); the table reaches 8 entries, so the end code is 4 bits.
  fixtures::GifFixture fixture;
  fixture.screen_width = fixture.width = 3;
  fixture.screen_height = fixture.height = 2;
  fixture.palette = {kBlack, kYellow, kRed, kRed};
  fixture.codes = {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}};
  const auto picture = decode(fixtures::gif_file(fixture));
  ASSERT_TRUE(picture);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(colour_at(*picture, x, y), kYellow) << x << "," << y;
  }
}

TEST(PictureGifTest, TransparencyOffsetFramesAndShortStreams) {
  auto transparent = standard_gif();
  transparent.transparent_index = 4;
  const auto with_hole = decode(fixtures::gif_file(transparent));
  ASSERT_TRUE(with_hole);
  EXPECT_EQ(alpha_at(*with_hole, 1, 1), 0);
  EXPECT_EQ(alpha_at(*with_hole, 2, 1), 255);

  // A frame inside a larger screen: the rest of the screen is transparent.
  auto offset = standard_gif();
  offset.screen_width = 5;
  offset.screen_height = 4;
  offset.left = 2;
  offset.top = 2;
  const auto framed = decode(fixtures::gif_file(offset));
  ASSERT_TRUE(framed);
  EXPECT_EQ(framed->width, 5);
  EXPECT_EQ(alpha_at(*framed, 0, 0), 0);
  EXPECT_EQ(colour_at(*framed, 2, 2), kRed);
  EXPECT_EQ(colour_at(*framed, 4, 3), kYellow);

  // A frame reaching past the screen is clipped to it.
  offset.left = 4;
  const auto clipped = decode(fixtures::gif_file(offset));
  ASSERT_TRUE(clipped);
  EXPECT_EQ(colour_at(*clipped, 4, 2), kRed);

  // A code stream that ends early leaves the rest transparent.
  auto short_stream = standard_gif();
  short_stream.codes = fixtures::literal_codes({0, 1}, 3);
  const auto partial = decode(fixtures::gif_file(short_stream));
  ASSERT_TRUE(partial);
  EXPECT_EQ(colour_at(*partial, 1, 0), kGreen);
  EXPECT_EQ(alpha_at(*partial, 2, 0), 0);
}

TEST(PictureGifTest, UndefinedCodesAreRefused) {
  auto fixture = standard_gif();
  fixture.codes = {{8, 4}, {0, 4}, {12, 4}, {9, 4}};  // 12: two past the next free code
  EXPECT_FALSE(decode(fixtures::gif_file(fixture)));
  fixture.codes = {{8, 4}, {10, 4}, {9, 4}};  // a first code that is no colour
  EXPECT_FALSE(decode(fixtures::gif_file(fixture)));
}

Bytes rgb_row(std::initializer_list<std::uint32_t> colours, int depth = 8) {
  Bytes row;
  for (auto colour : colours) {
    for (int shift : {16, 8, 0}) {
      row.push_back(static_cast<std::uint8_t>(colour >> shift));
      if (depth == 16) row.push_back(static_cast<std::uint8_t>(colour >> shift));
    }
  }
  return row;
}

Bytes standard_png() {
  return fixtures::png_file(
      fixtures::png_fixture(3, 2, 8, 2, {rgb_row({kRed, kGreen, kBlue}), rgb_row({kWhite, kBlack, kYellow})}));
}

TEST(PicturePngTest, ColourTypesDecodePixelForPixel) {
  std::vector<std::pair<std::string, fixtures::PngFixture>> cases;
  fixtures::PngFixture rgb16 =
      fixtures::png_fixture(3, 2, 16, 2, {rgb_row({kRed, kGreen, kBlue}, 16), rgb_row({kWhite, kBlack, kYellow}, 16)});
  cases.emplace_back("RGB, 16 bits", rgb16);
  fixtures::PngFixture palette = fixtures::png_fixture(3, 2, 8, 3, {{0, 1, 2}, {3, 4, 5}});
  palette.palette = rgb_row({kRed, kGreen, kBlue, kWhite, kBlack, kYellow});
  cases.emplace_back("palette, 8 bits", palette);
  fixtures::PngFixture palette4 = fixtures::png_fixture(3, 2, 4, 3, {{0x01, 0x20}, {0x34, 0x50}});
  palette4.palette = palette.palette;
  cases.emplace_back("palette, 4 bits", palette4);
  for (const auto& [name, fixture] : cases) expect_standard_picture(decode(fixtures::png_file(fixture)), name);
  expect_standard_picture(decode(standard_png()), "RGB, 8 bits");
}

TEST(PicturePngTest, AlphaAndGreyAndPaletteTransparency) {
  fixtures::PngFixture rgba = fixtures::png_fixture(2, 1, 8, 6, {{0xFF, 0x00, 0x00, 0x40, 0x00, 0x00, 0xFF, 0xFF}});
  const auto translucent = decode(fixtures::png_file(rgba));
  ASSERT_TRUE(translucent);
  EXPECT_EQ(colour_at(*translucent, 0, 0), kRed);
  EXPECT_EQ(alpha_at(*translucent, 0, 0), 0x40);
  EXPECT_EQ(colour_at(*translucent, 1, 0), kBlue);
  EXPECT_EQ(alpha_at(*translucent, 1, 0), 255);

  fixtures::PngFixture grey = fixtures::png_fixture(2, 1, 8, 0, {{0x00, 0x80}});
  const auto grey_picture = decode(fixtures::png_file(grey));
  ASSERT_TRUE(grey_picture);
  EXPECT_EQ(colour_at(*grey_picture, 1, 0), 0x808080u);
  EXPECT_EQ(alpha_at(*grey_picture, 1, 0), 255);

  fixtures::PngFixture keyed = fixtures::png_fixture(2, 1, 8, 3, {{0, 1}});
  keyed.palette = rgb_row({kRed, kGreen});
  keyed.transparency = {0x00};
  const auto keyed_picture = decode(fixtures::png_file(keyed));
  ASSERT_TRUE(keyed_picture);
  EXPECT_EQ(alpha_at(*keyed_picture, 0, 0), 0);
  EXPECT_EQ(colour_at(*keyed_picture, 1, 0), kGreen);
  EXPECT_EQ(alpha_at(*keyed_picture, 1, 0), 255);
}

// JPEG is lossy: colours are compared within a tolerance, away from edges.
void expect_near(std::uint32_t actual, std::uint32_t expected, const std::string& where) {
  for (int shift : {16, 8, 0}) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    EXPECT_NEAR(a, e, 12) << where << " channel " << shift;
  }
}

std::uint32_t quadrants(int x, int y) { return y < 8 ? (x < 8 ? kRed : kGreen) : (x < 8 ? kBlue : kWhite); }

TEST(PictureJpegTest, ColourGreyAndProgressivePictures) {
  struct Case {
    std::string name;
    int components;
    bool progressive;
  };
  const Case cases[] = {{"baseline colour", 3, false}, {"progressive colour", 3, true}, {"grey", 1, false}};
  for (const auto& c : cases) {
    const auto picture = decode(fixtures::jpeg_file(16, 16, c.components, quadrants, c.progressive));
    ASSERT_TRUE(picture) << c.name;
    ASSERT_EQ(picture->width, 16);
    ASSERT_EQ(picture->height, 16);
    for (const auto& [x, y] : {std::pair{3, 3}, {12, 3}, {3, 12}, {12, 12}}) {
      std::uint32_t expected = quadrants(x, y);
      if (c.components == 1) expected = (expected >> 16) * 0x010101u;
      expect_near(colour_at(*picture, x, y), expected, c.name);
      EXPECT_EQ(alpha_at(*picture, x, y), 255) << c.name;
    }
  }
}

// One valid file of each format, and how much of it a reader needs: a GIF
// is complete without its trailer, a BMP without the padding of its last row.
struct Sample {
  std::string name;
  Bytes file;
  std::size_t essential;
};

std::vector<Sample> samples() {
  std::vector<Sample> result;
  auto add = [&](std::string name, Bytes file, std::size_t optional_tail) {
    const std::size_t essential = file.size() - optional_tail;
    result.push_back({std::move(name), std::move(file), essential});
  };
  add("BMP", fixtures::bmp_file(bmp(24, rgb_value)), 3);
  add("BMP 8-bit", fixtures::bmp_file(bmp(8, palette_index)), 1);
  add("GIF", fixtures::gif_file(standard_gif()), 1);
  add("PNG", standard_png(), 0);
  add("JPEG", fixtures::jpeg_file(16, 16, 3, quadrants), 0);
  add("progressive JPEG", fixtures::jpeg_file(16, 16, 3, quadrants, true), 0);
  return result;
}

TEST(PictureCorruptTest, EveryTruncationIsRefused) {
  for (const auto& sample : samples()) {
    ASSERT_TRUE(decode(sample.file)) << sample.name;
    for (std::size_t length = 0; length < sample.essential; ++length) {
      const Bytes truncated(sample.file.begin(), sample.file.begin() + static_cast<std::ptrdiff_t>(length));
      EXPECT_FALSE(decode(truncated)) << sample.name << " cut to " << length << " bytes";
    }
  }
}

TEST(PictureCorruptTest, DamagedBytesNeverCrash) {
  // Each byte in turn set to values that break sizes, counts and codes; the
  // answer may be a picture or nothing, but must stay within the data.
  for (const auto& sample : samples()) {
    for (std::size_t at = 0; at < sample.file.size(); ++at) {
      for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
        Bytes damaged = sample.file;
        damaged[at] = value;
        const auto picture = decode(damaged);
        if (picture) {
          EXPECT_EQ(picture->pixels.size(), static_cast<std::size_t>(picture->width) * picture->height * 4);
        }
      }
    }
  }
  EXPECT_FALSE(decode(Bytes{'B', 'M', 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_FALSE(decode(Bytes{}));
  EXPECT_FALSE(decode(Bytes(100, 0xAB)));
}

TEST(PictureCorruptTest, HugeDimensionsAreRefusedBeforeAllocating) {
  auto huge_bmp = bmp(8, palette_index);
  huge_bmp.compression = 1;  // run-length data need not be as large as the picture
  huge_bmp.rle = {0x00, 0x01};
  struct Case {
    std::string name;
    Bytes file;
  };
  std::vector<Case> cases;
  auto sized_bmp = [&](std::int32_t width, std::int32_t height) {
    Bytes file = fixtures::bmp_file(huge_bmp);
    for (int i = 0; i < 4; ++i) {
      file[18 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(width) >> (8 * i));
      file[22 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) >> (8 * i));
    }
    return file;
  };
  cases.push_back({"BMP 100000 × 100000", sized_bmp(100000, 100000)});
  cases.push_back({"BMP 5000 × 5000", sized_bmp(5000, 5000)});
  cases.push_back({"BMP width × height overflowing 32 bits", sized_bmp(0x10000, 0x10001)});
  cases.push_back({"BMP with the most negative height", sized_bmp(3, INT32_MIN)});
  cases.push_back({"BMP with a negative width", sized_bmp(-3, 2)});
  cases.push_back({"BMP 0 wide", sized_bmp(0, 2)});

  auto huge_gif = standard_gif();
  huge_gif.screen_width = huge_gif.width = 65535;
  huge_gif.screen_height = huge_gif.height = 65535;
  cases.push_back({"GIF 65535 × 65535", fixtures::gif_file(huge_gif)});
  auto huge_screen = standard_gif();
  huge_screen.screen_width = huge_screen.screen_height = 60000;
  cases.push_back({"GIF screen 60000 × 60000", fixtures::gif_file(huge_screen)});

  cases.push_back({"PNG 65535 × 65535", fixtures::png_file(fixtures::png_fixture(65535, 65535, 8, 2, {rgb_row({kRed})}))});

  // The JPEG's frame header (SOF) says 65000 × 65000.
  Bytes jpeg = fixtures::jpeg_file(16, 16, 3, quadrants);
  for (std::size_t at = 2; at + 8 < jpeg.size(); ++at) {
    if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xC0) {
      jpeg[at + 5] = jpeg[at + 7] = 0xFD;
      jpeg[at + 6] = jpeg[at + 8] = 0xE8;
      break;
    }
  }
  cases.push_back({"JPEG 65000 × 65000", jpeg});
  for (const auto& c : cases) EXPECT_FALSE(decode(c.file)) << c.name;
}

// The designer's short string: a length byte, then the characters.
Bytes short_string(const std::string& text) {
  Bytes out(text.size() + 1);
  out[0] = static_cast<std::uint8_t>(text.size());
  std::copy(text.begin(), text.end(), out.begin() + 1);
  return out;
}

Bytes sized(const Bytes& file) {
  Bytes out;
  fixtures::put32(out, static_cast<std::uint32_t>(file.size()));
  out.insert(out.end(), file.begin(), file.end());
  return out;
}

Bytes join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PictureStreamTest, PictureDataOfEachClass) {
  const Bytes bmp_bytes = fixtures::bmp_file(bmp(24, rgb_value));
  const Bytes png_bytes = standard_png();
  const Bytes gif_bytes = fixtures::gif_file(standard_gif());
  const Bytes jpeg_bytes = fixtures::jpeg_file(16, 16, 3, quadrants);
  struct Case {
    std::string name;
    Bytes data;
    bool decodes;
  };
  const std::vector<Case> cases = {
      {"TBitmap with its size", join(short_string("TBitmap"), sized(bmp_bytes)), true},
      {"TPngImage without a size", join(short_string("TPngImage"), png_bytes), true},
      {"TPNGObject with a size", join(short_string("TPNGObject"), sized(png_bytes)), true},
      {"TGIFImage", join(short_string("TGIFImage"), gif_bytes), true},
      {"TJPEGImage with its size", join(short_string("TJPEGImage"), sized(jpeg_bytes)), true},
      {"a class name in other case", join(short_string("tbitmap"), sized(bmp_bytes)), true},
      {"a class that is no picture format", join(short_string("TMetafile"), sized(bmp_bytes)), false},
      {"a size past the data", join(short_string("TBitmap"), Bytes{0xFF, 0xFF, 0, 0, 'B', 'M'}), false},
      {"a class name past the data", Bytes{20, 'T', 'B', 'i', 't'}, false},
      {"an empty class name", join(Bytes{0}, bmp_bytes), false},
      {"nothing", Bytes{}, false},
  };
  for (const auto& c : cases) {
    const auto picture = read_picture_data(c.data);
    EXPECT_EQ(picture.has_value(), c.decodes) << c.name;
  }
  expect_standard_picture(read_picture_data(join(short_string("TBitmap"), sized(bmp_bytes))), "TBitmap picture");
}

TEST(PictureStreamTest, BitmapDataIsASizedBmpFile) {
  const Bytes bmp_bytes = fixtures::bmp_file(bmp(24, rgb_value));
  expect_standard_picture(read_bitmap_data(sized(bmp_bytes)), "glyph");
  Bytes too_long = sized(bmp_bytes);
  too_long[0] = static_cast<std::uint8_t>(too_long[0] + 1);
  EXPECT_FALSE(read_bitmap_data(too_long));
  EXPECT_FALSE(read_bitmap_data(sized(fixtures::gif_file(standard_gif()))));
  EXPECT_FALSE(read_bitmap_data(Bytes{0, 0, 0, 0}));
}

TEST(PictureBitmapTest, BitmapsAreTopDown32BitSectionsWithChosenAlpha) {
  Picture picture;
  picture.width = 1;
  picture.height = 2;
  picture.pixels = {0x10, 0x20, 0xFF, 0x80, 0x00, 0xFF, 0x00, 0xFF};  // top: translucent, bottom: green
  for (const auto alpha : {BitmapAlpha::straight, BitmapAlpha::premultiplied}) {
    const UniqueGdiObject bitmap = make_picture_bitmap(picture, alpha);
    ASSERT_TRUE(bitmap);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(bitmap.get(), sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmWidth, 1);
    EXPECT_EQ(section.dsBm.bmHeight, 2);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    // The first bytes of a top-down section are the top row.
    const auto* bits = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
    const Bytes top(bits, bits + 4);
    if (alpha == BitmapAlpha::straight) {
      EXPECT_EQ(top, (Bytes{0x10, 0x20, 0xFF, 0x80}));
    } else {
      EXPECT_EQ(top, (Bytes{0x08, 0x10, 0x80, 0x80}));
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap.get());
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 255, 0));
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  Picture inconsistent = picture;
  inconsistent.pixels.pop_back();
  EXPECT_FALSE(make_picture_bitmap(inconsistent, BitmapAlpha::straight));
}

}  // namespace
}  // namespace qm::platform
