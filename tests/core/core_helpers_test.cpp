// Colours, text conversion, fonts, images and string formats.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/test_env.h"
#include "tests/support/test_images.h"
#include "ui/core/color.h"
#include "ui/core/font.h"
#include "ui/core/image.h"
#include "ui/core/library.h"
#include "ui/core/string_format.h"
#include "ui/core/text.h"
#include "ui/platform/gdiplus_handles.h"

using namespace ui;

TEST(MakeArgb, OpaqueBecomes254AndChannelsSwap) {
  EXPECT_EQ(MakeArgb(0xFFFFFF), 0xFEFFFFFFu);
  EXPECT_EQ(MakeArgb(0xFF8800, 255), 0xFE0088FFu);
  EXPECT_EQ(MakeArgb(0, 150), 0x96000000u);
  EXPECT_EQ(MakeArgb(0x606060, 100), 0x64606060u);
  EXPECT_EQ(MakeArgb(0x123456, 254), MakeArgb(0x123456));
  EXPECT_EQ(MakeArgb(0x123456, 0), 0x00563412u);
  EXPECT_EQ(MakeArgb(RGB(1, 2, 3), 7), 0x07010203u);
}

TEST(TextConversion, GbkRoundTripsIncludingBackslashTrailBytes) {
  const std::string product = "青梧网游加速器";
  ASSERT_EQ(product.size(), 14u);  // two bytes a character in code page 936
  EXPECT_EQ(static_cast<unsigned char>(product[0]), 0xC7);
  EXPECT_EQ(static_cast<unsigned char>(product[1]), 0xE0);

  const std::wstring wide = ToWide(product);
  EXPECT_EQ(wide, L"青梧网游加速器");
  EXPECT_EQ(FromWide(wide), product);

  // "俓" is 0x81 0x5C in GBK: its trail byte is a backslash.
  const std::string tricky = "C:\\俓\\a俓";
  EXPECT_EQ(FromWide(ToWide(tricky)), tricky);
  EXPECT_EQ(ToWide(tricky), L"C:\\俓\\a俓");
  EXPECT_EQ(CharCount(tricky), 7u);
  // The last real backslash is the one before "a", not the trail byte after it.
  EXPECT_EQ(FindLastSingleByte(tricky, '\\'), 5u);
  EXPECT_EQ(FindLastSingleByte("俓", '\\'), std::string::npos);
}

TEST(TextConversion, EmptyAndTruncatedInput) {
  EXPECT_TRUE(ToWide("").empty());
  EXPECT_EQ(ToWide("").c_str()[0], L'\0');  // the terminator alone
  EXPECT_TRUE(FromWide(L"").empty());
  // A lone lead byte at the end counts as one character and is never read past.
  const std::string cut = std::string("ab") + static_cast<char>(0xC7);
  EXPECT_EQ(CharCount(cut), 3u);
  EXPECT_EQ(ByteOffsetOfColumn(cut, 10), cut.size());
  EXPECT_EQ(ByteOffsetOfColumn("青a", 1), 2u);
  // Conversion stops at an embedded zero, like zero-terminated text.
  EXPECT_EQ(FromWide(std::wstring(L"ab\0cd", 5)), "ab");
}

TEST(Images, SignatureIsRequiredUnlessAdded) {
  gp::Image plain = ImageFromMemory(qwtest::RgbStripPng());
  ASSERT_TRUE(plain);
  EXPECT_EQ(ImageWidth(plain.get()), 4u);
  EXPECT_EQ(ImageHeight(plain.get()), 3u);

  EXPECT_FALSE(ImageFromMemory(qwtest::RgbStripPngWithoutSignature()));
  gp::Image added = ImageFromMemory(qwtest::RgbStripPngWithoutSignature(), true);
  ASSERT_TRUE(added);
  EXPECT_EQ(ImageWidth(added.get()), 4u);

  EXPECT_FALSE(ImageFromMemory({}));
  const std::uint8_t junk[] = {1, 2, 3, 4, 5};
  EXPECT_FALSE(ImageFromMemory(junk));
}

TEST(Images, CopyIsArgbAndKeepsPixels) {
  gp::Image img = ImageFromMemory(qwtest::RgbStripPng());
  ASSERT_TRUE(img);
  Gdiplus::PixelFormat format = 0;
  gp::GdipGetImagePixelFormat(img.get(), &format);
  EXPECT_EQ(format, PixelFormat32bppARGB);
  auto* bmp = reinterpret_cast<Gdiplus::GpBitmap*>(img.get());
  EXPECT_EQ(qwtest::BitmapPixel(bmp, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(qwtest::BitmapPixel(bmp, 1, 1), 0xFF00FF00u);
  EXPECT_EQ(qwtest::BitmapPixel(bmp, 2, 2), 0xFF0000FFu);
  EXPECT_EQ(AlphaOf(qwtest::BitmapPixel(bmp, 3, 0)), 128);
}

TEST(Images, KeptImageOwnsStreamAndMemory) {
  KeptImage kept = KeptImage::Decode(qwtest::RgbStripPng());
  ASSERT_TRUE(kept);
  EXPECT_EQ(ImageWidth(kept.get()), 4u);
  KeptImage moved = std::move(kept);
  EXPECT_FALSE(kept);
  EXPECT_EQ(ImageHeight(moved.get()), 3u);
  moved.reset();
  EXPECT_FALSE(moved);
  EXPECT_FALSE(KeptImage::Decode(qwtest::RgbStripPngWithoutSignature()));
}

TEST(Images, CopyToMemoryHonoursCount) {
  const std::uint8_t src[] = {1, 2, 3, 4};
  std::uint8_t dst[4] = {};
  CopyToMemory(dst, src, 2);
  EXPECT_EQ(dst[1], 2);
  EXPECT_EQ(dst[2], 0);
  CopyToMemory(dst, src, 9);  // a count beyond the array copies the array
  EXPECT_EQ(dst[3], 4);
  void* pages = AllocPages(340);
  ASSERT_NE(pages, nullptr);
  static_cast<std::uint8_t*>(pages)[339] = 7;
  FreePages(pages);
}

TEST(Fonts, UnknownFamilyFallsBackToDefaultFamily) {
  ASSERT_NE(Library().defaultFont, nullptr);
  const std::string defaultFamily = FontFamilyName(Library().defaultFont);
  ASSERT_FALSE(defaultFamily.empty());

  gp::Font font(CreateFontByName("No Such Family 123", 20.0f, Gdiplus::FontStyleBold));
  ASSERT_TRUE(font);
  EXPECT_EQ(FontFamilyName(font.get()), defaultFamily);
  Gdiplus::REAL size = 0;
  gp::GdipGetFontSize(font.get(), &size);
  EXPECT_FLOAT_EQ(size, 20.0f);
  INT style = 0;
  gp::GdipGetFontStyle(font.get(), &style);
  EXPECT_EQ(style, Gdiplus::FontStyleBold);
  EXPECT_EQ(FontFamilyName(nullptr), "");
}

TEST(Fonts, SongTiIsFoundThroughTheReplacement) {
  gp::Font font(CreateFontByName("宋体", 12.0f, 0));
  ASSERT_TRUE(font);
  Gdiplus::REAL size = 0;
  gp::GdipGetFontSize(font.get(), &size);
  EXPECT_FLOAT_EQ(size, 12.0f);
}

// Families are looked up once and shared: fonts made from them on several
// threads at once are all whole, and an unknown name keeps falling back.
TEST(Fonts, FamiliesAreSharedAcrossThreads) {
  const std::string defaultFamily = FontFamilyName(Library().defaultFont);
  ASSERT_FALSE(defaultFamily.empty());
  EXPECT_TRUE(FontFamilyExists("宋体"));
  EXPECT_FALSE(FontFamilyExists("No Such Family 456"));
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 40; ++i) {
        const bool known = (i + t) % 2 == 0;
        gp::Font font(CreateFontByName(known ? "宋体" : "No Such Family 456", 10.0f + i % 5, 0));
        if (!font || (!known && FontFamilyName(font.get()) != defaultFamily)) ++wrong;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_FALSE(FontFamilyExists("No Such Family 456"));
}

TEST(StringFormat, SettersStoreAndGettersReadBack) {
  UiStringFormat format;
  ASSERT_TRUE(format.Create(0x1000));
  ASSERT_NE(format.Handle(), nullptr);
  EXPECT_EQ(format.Flags(), 0x1000);
  EXPECT_EQ(format.Align(1), 1);
  EXPECT_EQ(format.Align(), 1);
  EXPECT_EQ(format.Trimming(3), 3);
  EXPECT_EQ(format.Trimming(), 3);
  EXPECT_EQ(format.HotkeyPrefix(1), 1);
  EXPECT_EQ(format.HotkeyPrefix(), 1);
  EXPECT_EQ(format.Flags(0x6C00), 0x6C00);
  EXPECT_EQ(format.Flags(), 0x6C00);
  // Reading does not change anything.
  EXPECT_EQ(format.Trimming(), 3);
  format.Delete();
  EXPECT_EQ(format.Handle(), nullptr);
}

TEST(RuntimeBinding, MissingFunctionFailsInsteadOfCrashing) {
  auto& table = gp::mutableTableForTest();
  ASSERT_NE(table.GdipCreateBitmapFromScan0, nullptr);
  const auto saved = table.GdipCreateBitmapFromScan0;
  table.GdipCreateBitmapFromScan0 = nullptr;
  Gdiplus::GpBitmap* bmp = nullptr;
  EXPECT_EQ(gp::GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr, &bmp),
            Gdiplus::GdiplusNotInitialized);
  EXPECT_EQ(bmp, nullptr);
  // The image helper reports the failure as a null image.
  EXPECT_FALSE(ImageFromMemory(qwtest::RgbStripPng()));
  table.GdipCreateBitmapFromScan0 = saved;
  EXPECT_TRUE(ImageFromMemory(qwtest::RgbStripPng()));
}
