// Checks the icons and the banner that tools/gen_art.py draws at build time,
// reading them back as the resource compiler and the system will.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#ifndef ZOR_ART_DIR
#error "ZOR_ART_DIR must name the directory of the generated art"
#endif

namespace {

typedef std::vector<uint8_t> Bytes;

bool ReadFile(const std::string& name, Bytes* out) {
  std::string path = std::string(ZOR_ART_DIR) + "/" + name;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  fclose(f);
  return true;
}

uint32_t U16(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }
int32_t S32(const Bytes& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }

const uint32_t kTransparent = 0xFFFFFFFFu;

// One icon image decoded top-down: 0xRRGGBB per pixel, or kTransparent where
// the mask bit is set.
struct IconImage {
  int width = 0, height = 0, bpp = 0, entryColours = -1;
  uint32_t paletteEntries = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[y * width + x]; }
};

// Parses an .ico of palette images; false with a reason for anything a
// resource compiler or LoadIcon would choke on.
bool ParseIco(const Bytes& b, std::vector<IconImage>* images, std::string* why) {
  if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != 1) return *why = "no icon directory", false;
  uint32_t count = U16(b, 4);
  if (b.size() < 6 + 16 * count) return *why = "directory cut short", false;
  for (uint32_t i = 0; i < count; ++i) {
    size_t e = 6 + 16 * i;
    IconImage img;
    img.width = b[e] ? b[e] : 256;
    img.height = b[e + 1] ? b[e + 1] : 256;
    img.entryColours = b[e + 2];
    uint32_t size = U32(b, e + 8), at = U32(b, e + 12);
    if (at > b.size() || size > b.size() - at || size < 40)
      return *why = "entry out of file", false;
    if (U32(b, at) != 40) return *why = "not a BITMAPINFOHEADER", false;
    if (S32(b, at + 4) != img.width || S32(b, at + 8) != 2 * img.height)
      return *why = "header size disagrees with the directory", false;
    img.bpp = U16(b, at + 14);
    if (U16(b, at + 12) != 1 || static_cast<int>(U16(b, e + 6)) != img.bpp)
      return *why = "planes or depth", false;
    if (U32(b, at + 16) != 0) return *why = "compressed", false;
    if (img.bpp != 1 && img.bpp != 4 && img.bpp != 8) return *why = "not a palette image", false;
    img.paletteEntries = U32(b, at + 32) ? U32(b, at + 32) : (1u << img.bpp);
    if (img.paletteEntries > 256) return *why = "palette too large", false;
    size_t xorStride = ((img.width * img.bpp + 31) / 32) * 4;
    size_t andStride = ((img.width + 31) / 32) * 4;
    size_t palette = at + 40, xorBits = palette + 4 * img.paletteEntries;
    size_t andBits = xorBits + xorStride * img.height;
    if (andBits + andStride * img.height > at + size) return *why = "image data cut short", false;
    img.pixels.resize(img.width * img.height);
    for (int y = 0; y < img.height; ++y) {
      int row = img.height - 1 - y;  // stored bottom-up
      for (int x = 0; x < img.width; ++x) {
        size_t bit = static_cast<size_t>(x) * img.bpp;
        uint32_t index = (b[xorBits + row * xorStride + bit / 8] >> (8 - img.bpp - bit % 8)) &
                         ((1u << img.bpp) - 1);
        if (index >= img.paletteEntries) return *why = "index beyond the palette", false;
        bool masked = (b[andBits + row * andStride + x / 8] >> (7 - x % 8)) & 1;
        size_t p = palette + 4 * index;
        img.pixels[y * img.width + x] =
            masked ? kTransparent : (b[p + 2] << 16) | (b[p + 1] << 8) | b[p];
      }
    }
    images->push_back(img);
  }
  return true;
}

std::vector<IconImage> LoadIco(const std::string& name) {
  Bytes bytes;
  std::vector<IconImage> images;
  std::string why;
  EXPECT_TRUE(ReadFile(name, &bytes)) << name << " missing from " << ZOR_ART_DIR;
  EXPECT_TRUE(ParseIco(bytes, &images, &why)) << name << ": " << why;
  return images;
}

// The fill colour of each interior row, counted from the bottom (row 1 first).
const uint32_t kRamp[14] = {0x00FF00, 0x00FF00, 0x66FF00, 0x99FF00, 0xCCFF00, 0xCCFF33, 0xCCFF33,
                            0xFFFF33, 0xFFFF33, 0xFFCC00, 0xFF9900, 0xFF6600, 0xFF3300, 0xFF0000};

// What pixel (x, y) of the level-L icon must be, y counted from the top.
uint32_t ExpectedLevelPixel(int level, int x, int y) {
  if (y == 0 || x == 0) return 0x555555;    // top row, left column: dark
  if (y == 15 || x == 15) return 0xDDDDDD;  // the rest of bottom row, right column
  int fromBottom = 15 - y;                  // interior row 1 is image row 14
  return fromBottom <= level ? kRamp[fromBottom - 1] : 0x000000;
}

std::string Hex(uint32_t c) {
  char buf[16];
  snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
  return buf;
}

TEST(ArtTest, LevelIconsAreOpaqueSunkenBoxesFilledFromTheBottom) {
  for (int level = 0; level < 15; ++level) {
    char name[16];
    snprintf(name, sizeof name, "level%02d.ico", level);
    SCOPED_TRACE(name);
    std::vector<IconImage> images = LoadIco(name);
    ASSERT_EQ(images.size(), 1u);
    const IconImage& img = images[0];
    ASSERT_EQ(img.width, 16);
    ASSERT_EQ(img.height, 16);
    EXPECT_EQ(img.bpp, 8);
    EXPECT_EQ(img.entryColours, 0);  // 0 stands for 256 colours
    EXPECT_EQ(img.paletteEntries, 256u);
    int wrong = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        uint32_t want = ExpectedLevelPixel(level, x, y), got = img.At(x, y);
        if (got != want && wrong++ < 5) {
          ADD_FAILURE() << "pixel (" << x << "," << y << ") is "
                        << (got == kTransparent ? "transparent" : Hex(got)) << ", want "
                        << Hex(want);
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(ArtTest, ApplicationIconHoldsBothSizesAndTheSpareAddsABadgeAtTheLowerRight) {
  std::vector<IconImage> app = LoadIco("zor.ico");
  std::vector<IconImage> spare = LoadIco("spare.ico");
  ASSERT_EQ(app.size(), 2u);
  ASSERT_EQ(spare.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    int size = i == 0 ? 32 : 16;
    SCOPED_TRACE(size);
    ASSERT_EQ(app[i].width, size);
    ASSERT_EQ(app[i].height, size);
    ASSERT_EQ(spare[i].width, size);
    ASSERT_EQ(spare[i].height, size);
    // The application icon shows the gauge's ramp.
    int green = 0, red = 0, white = 0, changedOutsideBadge = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        if (app[i].At(x, y) == kRamp[0]) ++green;
        uint32_t s = spare[i].At(x, y);
        if (s == app[i].At(x, y)) continue;
        if (x < size / 3 || y < size / 3) ++changedOutsideBadge;
        if (s != kTransparent && (s >> 16) >= 0xC0 && ((s >> 8) & 0xFF) < 0x40 && (s & 0xFF) < 0x40)
          ++red;
        if (s == 0xFFFFFF) ++white;
      }
    }
    EXPECT_GT(green, 0);
    EXPECT_EQ(changedOutsideBadge, 0);
    EXPECT_GE(red, size * size / 16);  // a badge, not a speck
    EXPECT_GT(white, 0);               // its bar
  }
}

TEST(ArtTest, BannerIsA292By60BottomUpUncompressed24BitBitmapOnNearWhite) {
  Bytes b;
  ASSERT_TRUE(ReadFile("banner.bmp", &b));
  ASSERT_GE(b.size(), 54u);
  ASSERT_EQ(b[0], 'B');
  ASSERT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), b.size());
  ASSERT_EQ(U32(b, 14), 40u);
  ASSERT_EQ(S32(b, 18), 292);
  ASSERT_EQ(S32(b, 22), 60);  // positive: bottom-up
  EXPECT_EQ(U16(b, 26), 1u);
  ASSERT_EQ(U16(b, 28), 24u);
  ASSERT_EQ(U32(b, 30), 0u);  // BI_RGB
  const size_t stride = (292 * 3 + 3) / 4 * 4, bits = U32(b, 10);
  ASSERT_GE(bits, 54u);
  ASSERT_LE(bits + stride * 60, b.size());

  const uint32_t background = 0xFEFFFC;
  int art = 0, edgeWrong = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 292; ++x) {
      size_t p = bits + (59 - y) * stride + 3 * x;
      uint32_t c = (b[p + 2] << 16) | (b[p + 1] << 8) | b[p];
      bool edge = x < 2 || y < 2 || x >= 290 || y >= 58;
      if (c != background) {
        ++art;
        if (edge) ++edgeWrong;
      }
    }
  }
  EXPECT_EQ(edgeWrong, 0);        // the logo sits on the background, clear of the edges
  EXPECT_GT(art, 292 * 60 / 20);  // and there is a logo
  EXPECT_LT(art, 292 * 60 / 2);   // on mostly background
}

}  // namespace
