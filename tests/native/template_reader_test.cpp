#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/diag_capture.h"
#include "templatewin/template_reader.h"

namespace {

// Writes template images the way a resource compiler lays them out.
struct Image {
  std::vector<uint8_t> bytes;
  std::vector<size_t> ends;  // where the header and each item end, as written
  void W16(unsigned v) {
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  }
  void W32(uint32_t v) {
    W16(v & 0xFFFF);
    W16(v >> 16);
  }
  void Text(const std::string& s) {
    for (char c : s) W16(static_cast<unsigned char>(c));
    W16(0);
  }
  void Align() {
    while (bytes.size() % 4) bytes.push_back(0xAB);  // padding is never read
  }
};

struct ItemLayout {
  std::string text;
  uint32_t id;
  int ordinal;  // -1: class by name
  std::string className;
  uint32_t style;
  int x, y, cx, cy;
};

void ExtendedHeader(Image& im, uint32_t style, unsigned count, int cx, int cy,
                    const std::string& title, bool font) {
  im.W32(TemplateExtendedMark);
  im.W32(0x11111111);  // help id: not read
  im.W32(0x22222222);  // extended style: not read
  im.W32(style);
  im.W16(count);
  im.W16(7);
  im.W16(9);
  im.W16(static_cast<unsigned>(cx));
  im.W16(static_cast<unsigned>(cy));
  im.W16(0);
  im.W16(0);
  im.Text(title);
  if (font) {
    im.W16(8);
    im.W16(700);
    im.bytes.push_back(1);
    im.bytes.push_back(2);
    im.Text("MS Sans Serif");
  }
  im.ends.push_back(im.bytes.size());
}

void ExtendedItem(Image& im, const ItemLayout& it) {
  im.Align();
  im.W32(0x33333333);
  im.W32(0x44444444);
  im.W32(it.style);
  im.W16(static_cast<unsigned>(it.x));
  im.W16(static_cast<unsigned>(it.y));
  im.W16(static_cast<unsigned>(it.cx));
  im.W16(static_cast<unsigned>(it.cy));
  im.W32(it.id);
  if (it.ordinal >= 0) {
    im.W16(0xFFFF);
    im.W16(static_cast<unsigned>(it.ordinal));
  } else {
    im.Text(it.className);
  }
  im.Text(it.text);
  im.W16(0);
  im.ends.push_back(im.bytes.size());
}

const ItemLayout kEditorItems[] = {
    {"Ok", 1, 0x80, "", 0x50010001, 55, 82, 50, 14},
    {"Cancel", 2, 0x80, "", 0x50010000, 173, 82, 50, 14},
    {"Input", 0xFFFFFFFF, 0x80, "", 0x50000007, 19, 6, 244, 31},
    {"Output", 0xFFFFFFFF, 0x80, "", 0x50000007, 19, 44, 244, 31},
    {"", 1002, 0x85, "", 0x50210042, 33, 18, 165, 67},
    {"", 1001, 0x85, "", 0x50210042, 33, 55, 165, 80},
    {"Select", 1004, 0x80, "", 0x50010000, 203, 18, 50, 14},
    {"Browse", 1003, 0x80, "", 0x50010000, 203, 55, 50, 14},
    {"Help", 9, 0x80, "", 0x50010000, 114, 82, 50, 14},
};

Image EditorImage() {
  Image im;
  ExtendedHeader(im, 0x80C800C0, 9, 280, 111, "Dialog", true);
  for (const ItemLayout& it : kEditorItems) ExtendedItem(im, it);
  return im;
}

std::string Narrow(const std::vector<uint8_t>& bytes, const TemplateText& t) {
  std::string s;
  for (size_t i = 0; i < t.length; ++i) s += static_cast<char>(bytes[t.offset + 2 * i]);
  return s;
}

TEST(TemplateReader, ReadsTheEditorLayoutInTheExtendedForm) {
  Image im = EditorImage();
  ParsedTemplate p = ReadTemplate(im.bytes.data(), im.bytes.size());
  ASSERT_EQ(p.status, TemplateStatus::Ok);
  EXPECT_TRUE(p.header.extended);
  EXPECT_EQ(p.header.style, 0x80C800C0u);
  EXPECT_EQ(p.header.cx, 280);
  EXPECT_EQ(p.header.cy, 111);
  EXPECT_EQ(Narrow(im.bytes, p.header.title), "Dialog");
  EXPECT_TRUE(p.header.hasFont);
  EXPECT_EQ(p.header.pointSize, 8);
  EXPECT_EQ(Narrow(im.bytes, p.header.faceName), "MS Sans Serif");
  ASSERT_EQ(p.items.size(), 9u);
  for (size_t i = 0; i < 9; ++i) {
    const TemplateItem& item = p.items[i];
    const ItemLayout& want = kEditorItems[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(item.start % 4, 0u);
    EXPECT_EQ(Narrow(im.bytes, item.text), want.text);
    EXPECT_EQ(item.id, want.id);
    EXPECT_TRUE(item.classIsOrdinal);
    EXPECT_EQ(item.classOrdinal, want.ordinal);
    EXPECT_EQ(item.style, want.style);
    EXPECT_EQ(item.x, want.x);
    EXPECT_EQ(item.y, want.y);
    EXPECT_EQ(item.cx, want.cx);
    EXPECT_EQ(item.cy, want.cy);
    // Only the "Input" group box ends two bytes past a multiple of 4.
    EXPECT_EQ(item.end % 4, i == 2 ? 2u : 0u);
    if (i + 1 < 9) {
      EXPECT_EQ(p.items[i + 1].start, (item.end + 3) / 4 * 4);
    }
  }
  EXPECT_EQ(p.items[3].start, p.items[2].end + 2);
  EXPECT_EQ(p.items.back().end, im.bytes.size());
}

TEST(TemplateReader, PlainFormWithNamedClassAndWithoutFont) {
  Image im;
  im.W32(0x50000000);  // style without DS_SETFONT
  im.W32(0);
  im.W16(2);
  im.W16(0);
  im.W16(0);
  im.W16(static_cast<unsigned>(-5));
  im.W16(40);
  im.W16(0);
  im.W16(0);
  im.Text("Hi!");  // 22 + 8 = 30: the first item starts at 32
  im.Align();
  const size_t first = im.bytes.size();
  im.W32(0x50810000);
  im.W32(0x55555555);
  im.W16(static_cast<unsigned>(-3));
  im.W16(2);
  im.W16(30);
  im.W16(10);
  im.W16(0xFFFF);
  im.Text("MyClass");
  im.Text("abc");
  im.W16(0);  // ends at 32 + 18 + 16 + 8 + 2 = 76
  im.Align();
  const size_t second = im.bytes.size();
  im.W32(0x50000000);
  im.W32(0);
  im.W16(1);
  im.W16(1);
  im.W16(1);
  im.W16(1);
  im.W16(0);
  im.W16(0xFFFF);
  im.W16(0x82);
  im.Text("");
  im.W16(0);
  ParsedTemplate p = ReadTemplate(im.bytes.data(), im.bytes.size());
  ASSERT_EQ(p.status, TemplateStatus::Ok);
  EXPECT_FALSE(p.header.extended);
  EXPECT_FALSE(p.header.hasFont);
  EXPECT_EQ(p.header.cx, -5);
  EXPECT_EQ(Narrow(im.bytes, p.header.title), "Hi!");
  EXPECT_EQ(p.header.firstItem, 32u);
  ASSERT_EQ(p.items.size(), 2u);
  EXPECT_EQ(p.items[0].start, first);
  EXPECT_EQ(p.items[0].id, 65535u);  // 0xFFFF stays a 16-bit number
  EXPECT_FALSE(p.items[0].classIsOrdinal);
  EXPECT_EQ(Narrow(im.bytes, p.items[0].className), "MyClass");
  EXPECT_EQ(Narrow(im.bytes, p.items[0].text), "abc");
  EXPECT_EQ(p.items[0].x, -3);
  EXPECT_EQ(p.items[0].style, 0x50810000u);
  EXPECT_EQ(p.items[1].start, second);
  EXPECT_EQ(second, 76u);
  EXPECT_EQ(p.items[1].id, 0u);
  EXPECT_EQ(p.items[1].classOrdinal, 0x82);
}

TEST(TemplateReader, MenuOrClassIsRefusedByItsBareWords) {
  Image im;
  im.W32(TemplateExtendedMark);
  im.W32(0);
  im.W32(0);
  im.W32(0x80C800C0);
  im.W16(0);
  for (int i = 0; i < 4; ++i) im.W16(0);
  im.W16(0xFFFF);  // menu by ordinal 5
  im.W16(5);
  im.Text("");
  ClearCaptured();
  ParsedTemplate p;
  EXPECT_FALSE(CheckTemplate(im.bytes.data(), im.bytes.size(), 103, &p));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, "Failure");
  EXPECT_EQ(CapturedReports()[0].text, "Menu or class of resource 103 not NULL (ffff,5 instead)");

  Image named = EditorImage();
  named.bytes[28] = 'C';  // a class name instead of the bare 0
  ClearCaptured();
  EXPECT_FALSE(CheckTemplate(named.bytes.data(), named.bytes.size(), 7, &p));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text, "Menu or class of resource 7 not NULL (0,43 instead)");
}

TEST(TemplateReader, CheckAcceptsTheEditorLayoutSilently) {
  Image im = EditorImage();
  ClearCaptured();
  ParsedTemplate p;
  EXPECT_TRUE(CheckTemplate(im.bytes.data(), im.bytes.size(), 103, &p));
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_EQ(p.items.size(), 9u);
}

TEST(TemplateReader, EveryTruncationIsRefusedAndNamesTheItem) {
  Image im = EditorImage();
  ASSERT_EQ(im.ends.size(), 10u);  // the header, then nine items
  for (size_t size = 0; size < im.bytes.size(); ++size) {
    SCOPED_TRACE(size);
    // A copy of exactly `size` bytes, so the sanitizer sees any read beyond.
    std::vector<uint8_t> cut(im.bytes.begin(), im.bytes.begin() + size);
    ClearCaptured();
    ParsedTemplate p;
    EXPECT_FALSE(CheckTemplate(cut.data(), cut.size(), 103, &p));
    ASSERT_EQ(CapturedReports().size(), 1u);
    std::string want;
    // The header's end is its face name's terminator; an item's, its creation-data size.
    if (size < im.ends[0]) {
      want = "Resource 103 is truncated in its header";
    } else {
      int item = 0;
      while (item + 1 < 9 && im.ends[item + 1] <= size) ++item;
      want = "Resource 103 is truncated at item " + std::to_string(item);
    }
    EXPECT_EQ(CapturedReports()[0].text, want);
  }
}

TEST(TemplateReader, UnknownOrdinalIsReadForTheBuilderToRefuse) {
  Image im;
  ExtendedHeader(im, 0x80C800C0, 3, 280, 111, "Dialog", true);
  ExtendedItem(im, kEditorItems[0]);
  ExtendedItem(im, kEditorItems[1]);
  ItemLayout odd = kEditorItems[2];
  odd.ordinal = 0x86;
  ExtendedItem(im, odd);
  ParsedTemplate p = ReadTemplate(im.bytes.data(), im.bytes.size());
  ASSERT_EQ(p.status, TemplateStatus::Ok);
  EXPECT_EQ(p.items[2].classOrdinal, 0x86);
  ControlClass cls;
  EXPECT_FALSE(LookupControlClass(0x86, 0, 0, &cls));
  EXPECT_FALSE(LookupControlClass(0x7F, 0, 0, &cls));
}

TEST(TemplateReader, CreationDataAndOrdinalTextsAreRefused) {
  Image im;
  ExtendedHeader(im, 0x80C800C0, 2, 280, 111, "Dialog", true);
  ExtendedItem(im, kEditorItems[0]);
  ExtendedItem(im, kEditorItems[1]);
  Image withData = im;
  withData.bytes[withData.bytes.size() - 2] = 4;  // creation-data size of item 1
  withData.W32(0);
  ClearCaptured();
  ParsedTemplate p;
  EXPECT_FALSE(CheckTemplate(withData.bytes.data(), withData.bytes.size(), 103, &p));
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].text, "Item 1 Resource 103 carries creation data, not supported");

  Image ordinalText;
  ExtendedHeader(ordinalText, 0x80C80080, 1, 280, 111, "Dialog", false);
  ordinalText.Align();
  for (int i = 0; i < 3; ++i) ordinalText.W32(0);
  for (int i = 0; i < 4; ++i) ordinalText.W16(1);
  ordinalText.W32(5);
  ordinalText.W16(0xFFFF);
  ordinalText.W16(0x82);
  const size_t textAt = ordinalText.bytes.size();
  ordinalText.W16(0xFFFF);  // text given as an icon ordinal
  ordinalText.W16(101);
  ordinalText.W16(0);
  // The ordinal's word must be there to be refused as such; one byte short is a truncation.
  struct Cut {
    size_t size;
    const char* report;
  } cuts[] = {{textAt + 6, "Item 0 Resource 55 has an ordinal text, not supported"},
              {textAt + 4, "Item 0 Resource 55 has an ordinal text, not supported"},
              {textAt + 3, "Resource 55 is truncated at item 0"},
              {textAt + 2, "Resource 55 is truncated at item 0"}};
  for (const Cut& cut : cuts) {
    SCOPED_TRACE(cut.size);
    std::vector<uint8_t> bytes(ordinalText.bytes.begin(), ordinalText.bytes.begin() + cut.size);
    ClearCaptured();
    EXPECT_FALSE(CheckTemplate(bytes.data(), bytes.size(), 55, &p));
    ASSERT_EQ(CapturedReports().size(), 1u);
    EXPECT_EQ(CapturedReports()[0].text, cut.report);
  }
}

TEST(TemplateReader, ClassTableGivesNamesStylesAndNavigableFlags) {
  ControlClass c;
  ASSERT_TRUE(LookupControlClass(0x80, 0x50000007, 0xFFFFFFFF, &c));  // group box
  EXPECT_STREQ(c.name, "BUTTON");
  EXPECT_EQ(c.navigable, 0);
  EXPECT_EQ(c.style, 0x50000007u);
  ASSERT_TRUE(LookupControlClass(0x80, 0x50000000, 1, &c));  // push button, no tab stop
  EXPECT_EQ(c.navigable, 1);
  EXPECT_EQ(c.style, 0x50000000u);  // id 1 keeps its style
  ASSERT_TRUE(LookupControlClass(0x80, 0x50010000, 2, &c));
  EXPECT_EQ(c.style, 0x50010000u);  // Cancel too: the default button follows the focus
  ASSERT_TRUE(LookupControlClass(0x80, 0x50010003, 5, &c));  // check box with tab stop
  EXPECT_EQ(c.navigable, 1);
  ASSERT_TRUE(LookupControlClass(0x81, 0x50000000, 5, &c));
  EXPECT_STREQ(c.name, "EDIT");
  EXPECT_EQ(c.exStyle, 0x200u);
  EXPECT_EQ(c.navigable, 1);
  ASSERT_TRUE(LookupControlClass(0x82, 0x50010000, 2, &c));
  EXPECT_STREQ(c.name, "STATIC");
  EXPECT_EQ(c.navigable, 0);
  EXPECT_EQ(c.style, 0x50010000u);  // no default bit outside buttons
  ASSERT_TRUE(LookupControlClass(0x83, 0x50000000, 5, &c));
  EXPECT_STREQ(c.name, "LISTBOX");
  EXPECT_EQ(c.exStyle, 0x200u);
  EXPECT_EQ(c.navigable, 0);
  ASSERT_TRUE(LookupControlClass(0x84, 0x50000005, 5, &c));
  EXPECT_STREQ(c.name, "SCROLLBAR");
  EXPECT_EQ(c.navigable, 1);
  ASSERT_TRUE(LookupControlClass(0x85, 0x50210042, 1002, &c));
  EXPECT_STREQ(c.name, "COMBOBOX");
  EXPECT_EQ(c.exStyle, 0u);
  EXPECT_EQ(c.navigable, 1);
  EXPECT_EQ(NamedClassNavigable(0x50010000), 1);
  EXPECT_EQ(NamedClassNavigable(0x50000000), 0);
}

}  // namespace
