// Reads dialog templates (plain and extended form) from a byte image of known
// size, without the platform. Offsets are counted from the template's start;
// texts stay UTF-16 in the image and are converted by the caller.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>

enum : uint32_t {
  TemplateExtendedMark = 0xFFFF0001u,  // version 1, signature 0xFFFF
  TemplateSetFont = 0x40u,             // DS_SETFONT
};

// A zero-terminated UTF-16 string inside the image: offset of its first unit
// and its length in units, terminator not counted.
struct TemplateText {
  size_t offset;
  size_t length;
};

struct TemplateHeader {
  bool extended;
  uint32_t style;
  uint16_t itemCount;
  int16_t cx, cy;
  uint16_t menuWord, classWord;
  TemplateText title;
  bool hasFont;
  uint16_t pointSize;
  TemplateText faceName;
  size_t firstItem;  // aligned offset of the first item
};

struct TemplateItem {
  size_t start;
  uint32_t style;
  int16_t x, y, cx, cy;
  uint32_t id;             // 32 bits in the extended form, 16 bits in the plain one
  bool classIsOrdinal;     // 0xFFFF and a predefined class ordinal
  uint16_t classOrdinal;   // valid when classIsOrdinal
  TemplateText className;  // valid otherwise
  TemplateText text;
  bool textIsOrdinal;  // the text field is 0xFFFF and a number
  uint16_t creationDataSize;
  size_t end;  // just past the creation-data size field
};

enum class TemplateStatus {
  Ok,
  HeaderTruncated,  // the header's fields run past the end
  MenuOrClass,      // menu or class word not 0
  ItemTruncated,    // an item's fields run past the end
  CreationData,     // an item carries creation data
  OrdinalText,      // an item's text is an ordinal
  NoMemory,         // no room for the item table
};

// The items read so far, in template order, in one zero-filled block sized for
// the header's item count. Its parsed template owns it: moved, never copied.
struct TemplateItems {
  TemplateItem* data = nullptr;
  size_t count = 0;

  TemplateItems() = default;
  TemplateItems(const TemplateItems&) = delete;
  TemplateItems& operator=(const TemplateItems&) = delete;
  TemplateItems(TemplateItems&& other) : data(other.data), count(other.count) {
    other.data = nullptr;
    other.count = 0;
  }
  TemplateItems& operator=(TemplateItems&& other) {
    if (this != &other) {
      free(data);
      data = other.data;
      count = other.count;
      other.data = nullptr;
      other.count = 0;
    }
    return *this;
  }
  ~TemplateItems() { free(data); }

  size_t size() const { return count; }
  const TemplateItem& operator[](size_t i) const { return data[i]; }
  const TemplateItem& back() const { return data[count - 1]; }
  const TemplateItem* begin() const { return data; }
  const TemplateItem* end() const { return data + count; }
};

struct ParsedTemplate {
  TemplateHeader header;
  TemplateItems items;
  TemplateStatus status;
  int failedItem;  // the item that stopped the reading, else -1
};

// The first multiple of 4 at or after offset.
size_t AlignTemplateOffset(size_t offset);

// Reads the header; status Ok, HeaderTruncated or MenuOrClass. The menu and
// class words are filled whenever they lie inside the image.
TemplateStatus ReadTemplateHeader(const uint8_t* bytes, size_t size, TemplateHeader* header);

// Reads the item at offset; status Ok, ItemTruncated, CreationData or
// OrdinalText (the item's fields are filled as far as they were read).
TemplateStatus ReadTemplateItem(const uint8_t* bytes, size_t size, size_t offset, bool extended,
                                TemplateItem* item);

// Reads the header and every item, stopping at the first fault. Never reads
// outside [bytes, bytes + size).
ParsedTemplate ReadTemplate(const uint8_t* bytes, size_t size);

// Reads the whole template and reports, with caption "Failure", why it can't
// be built (naming templateId and the item). True when it can be built.
bool CheckTemplate(const uint8_t* bytes, size_t size, int templateId, ParsedTemplate* parsed);

// A predefined control class, by ordinal.
struct ControlClass {
  const char* name;  // class name for the window functions
  uint32_t exStyle;  // extended style the control is given
  int navigable;     // 1 when the focus may move onto it
  uint32_t style;    // the item's style
};

// Fills cls for ordinals 0x80..0x85; false for any other.
bool LookupControlClass(uint16_t ordinal, uint32_t style, uint32_t id, ControlClass* cls);

// Navigable flag of a control whose class is given by name: its WS_TABSTOP bit.
int NamedClassNavigable(uint32_t style);
