#include "templatewin/template_reader.h"

#include "diag/diag.h"

namespace {

// Little-endian reads; each checks that the whole field lies inside the image.
bool Read16(const uint8_t* bytes, size_t size, size_t offset, uint16_t* value) {
  if (offset > size || size - offset < 2) return false;
  *value = static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
  return true;
}

bool Read32(const uint8_t* bytes, size_t size, size_t offset, uint32_t* value) {
  uint16_t low, high;
  if (!Read16(bytes, size, offset, &low) || !Read16(bytes, size, offset + 2, &high)) return false;
  *value = low | (static_cast<uint32_t>(high) << 16);
  return true;
}

bool ReadSigned16(const uint8_t* bytes, size_t size, size_t offset, int16_t* value) {
  uint16_t raw;
  if (!Read16(bytes, size, offset, &raw)) return false;
  *value = static_cast<int16_t>(raw);
  return true;
}

// A zero-terminated UTF-16 string; false when its terminator is not inside.
bool ReadText(const uint8_t* bytes, size_t size, size_t offset, TemplateText* text, size_t* end) {
  size_t at = offset;
  for (;;) {
    uint16_t unit;
    if (!Read16(bytes, size, at, &unit)) return false;
    at += 2;
    if (unit == 0) break;
  }
  text->offset = offset;
  text->length = (at - offset) / 2 - 1;
  *end = at;
  return true;
}

}  // namespace

size_t AlignTemplateOffset(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

TemplateStatus ReadTemplateHeader(const uint8_t* bytes, size_t size, TemplateHeader* header) {
  *header = TemplateHeader{};
  uint32_t first;
  if (!Read32(bytes, size, 0, &first)) return TemplateStatus::HeaderTruncated;
  header->extended = first == TemplateExtendedMark;
  const size_t styleAt = header->extended ? 12 : 0;
  const size_t countAt = header->extended ? 16 : 8;
  const size_t menuAt = header->extended ? 26 : 18;
  if (!Read32(bytes, size, styleAt, &header->style) ||
      !Read16(bytes, size, countAt, &header->itemCount) ||
      !ReadSigned16(bytes, size, countAt + 6, &header->cx) ||
      !ReadSigned16(bytes, size, countAt + 8, &header->cy) ||
      !Read16(bytes, size, menuAt, &header->menuWord) ||
      !Read16(bytes, size, menuAt + 2, &header->classWord))
    return TemplateStatus::HeaderTruncated;
  // Only the two bare words are looked at: any menu or class is refused.
  if (header->menuWord != 0 || header->classWord != 0) return TemplateStatus::MenuOrClass;
  size_t end;
  if (!ReadText(bytes, size, menuAt + 4, &header->title, &end))
    return TemplateStatus::HeaderTruncated;
  header->hasFont = (header->style & TemplateSetFont) != 0;
  if (header->hasFont) {
    if (!Read16(bytes, size, end, &header->pointSize)) return TemplateStatus::HeaderTruncated;
    // The extended form has weight, italic and character set after the size.
    const size_t faceAt = end + (header->extended ? 6 : 2);
    if (!ReadText(bytes, size, faceAt, &header->faceName, &end))
      return TemplateStatus::HeaderTruncated;
  }
  header->firstItem = AlignTemplateOffset(end);
  return TemplateStatus::Ok;
}

TemplateStatus ReadTemplateItem(const uint8_t* bytes, size_t size, size_t offset, bool extended,
                                TemplateItem* item) {
  *item = TemplateItem{};
  item->start = offset;
  const size_t styleAt = offset + (extended ? 8 : 0);
  const size_t posAt = offset + (extended ? 12 : 8);
  size_t at;
  if (!Read32(bytes, size, styleAt, &item->style) || !ReadSigned16(bytes, size, posAt, &item->x) ||
      !ReadSigned16(bytes, size, posAt + 2, &item->y) ||
      !ReadSigned16(bytes, size, posAt + 4, &item->cx) ||
      !ReadSigned16(bytes, size, posAt + 6, &item->cy))
    return TemplateStatus::ItemTruncated;
  if (extended) {
    if (!Read32(bytes, size, offset + 20, &item->id)) return TemplateStatus::ItemTruncated;
    at = offset + 24;
  } else {
    uint16_t id;
    if (!Read16(bytes, size, offset + 16, &id)) return TemplateStatus::ItemTruncated;
    item->id = id;
    at = offset + 18;
  }

  uint16_t word;
  if (!Read16(bytes, size, at, &word)) return TemplateStatus::ItemTruncated;
  if (word == 0xFFFF) {
    if (!Read16(bytes, size, at + 2, &item->classOrdinal)) return TemplateStatus::ItemTruncated;
    item->classIsOrdinal = true;
    at += 4;
  } else if (!ReadText(bytes, size, at, &item->className, &at)) {
    return TemplateStatus::ItemTruncated;
  }

  if (!Read16(bytes, size, at, &word)) return TemplateStatus::ItemTruncated;
  if (word == 0xFFFF) {
    item->textIsOrdinal = true;
    if (size - at < 4) return TemplateStatus::ItemTruncated;
    return TemplateStatus::OrdinalText;
  }
  if (!ReadText(bytes, size, at, &item->text, &at)) return TemplateStatus::ItemTruncated;

  if (!Read16(bytes, size, at, &item->creationDataSize)) return TemplateStatus::ItemTruncated;
  item->end = at + 2;
  if (item->creationDataSize != 0) return TemplateStatus::CreationData;
  return TemplateStatus::Ok;
}

ParsedTemplate ReadTemplate(const uint8_t* bytes, size_t size) {
  ParsedTemplate parsed{};
  parsed.failedItem = -1;
  parsed.status = ReadTemplateHeader(bytes, size, &parsed.header);
  if (parsed.status != TemplateStatus::Ok) return parsed;
  if (parsed.header.itemCount > 0) {
    parsed.items.data =
        static_cast<TemplateItem*>(calloc(parsed.header.itemCount, sizeof(TemplateItem)));
    if (!parsed.items.data) {
      parsed.status = TemplateStatus::NoMemory;
      return parsed;
    }
  }
  size_t offset = parsed.header.firstItem;
  for (int i = 0; i < parsed.header.itemCount; ++i) {
    TemplateItem item;
    TemplateStatus status = ReadTemplateItem(bytes, size, offset, parsed.header.extended, &item);
    if (status != TemplateStatus::Ok) {
      parsed.status = status;
      parsed.failedItem = i;
      return parsed;
    }
    parsed.items.data[parsed.items.count++] = item;
    offset = AlignTemplateOffset(item.end);
  }
  return parsed;
}

bool CheckTemplate(const uint8_t* bytes, size_t size, int templateId, ParsedTemplate* parsed) {
  *parsed = ReadTemplate(bytes, size);
  switch (parsed->status) {
    case TemplateStatus::Ok:
      return true;
    case TemplateStatus::HeaderTruncated:
      MessageReport(CaptionFailure, "Resource %d is truncated in its header", templateId);
      break;
    case TemplateStatus::MenuOrClass:
      MessageReport(CaptionFailure, "Menu or class of resource %d not NULL (%x,%x instead)",
                    templateId, parsed->header.menuWord, parsed->header.classWord);
      break;
    case TemplateStatus::ItemTruncated:
      MessageReport(CaptionFailure, "Resource %d is truncated at item %d", templateId,
                    parsed->failedItem);
      break;
    case TemplateStatus::CreationData:
      MessageReport(CaptionFailure, "Item %d Resource %d carries creation data, not supported",
                    parsed->failedItem, templateId);
      break;
    case TemplateStatus::OrdinalText:
      MessageReport(CaptionFailure, "Item %d Resource %d has an ordinal text, not supported",
                    parsed->failedItem, templateId);
      break;
    case TemplateStatus::NoMemory:
      MessageReport(CaptionError, "Error building table, element size %d",
                    static_cast<int>(sizeof(TemplateItem)));
      break;
  }
  return false;
}

// The id no longer matters: the one default button follows the focus (chain).
bool LookupControlClass(uint16_t ordinal, uint32_t style, uint32_t, ControlClass* cls) {
  const uint32_t tabStop = (style & 0x00010000u) ? 1 : 0;  // WS_TABSTOP
  cls->style = style;
  cls->exStyle = 0;
  switch (ordinal) {
    case 0x0080:
      cls->name = "BUTTON";
      // A plain push button is always reachable; other buttons by their tab stop.
      cls->navigable = (style & 0x7u) == 0 ? 1 : static_cast<int>(tabStop);
      return true;
    case 0x0081:
      cls->name = "EDIT";
      cls->exStyle = 0x200u;  // WS_EX_CLIENTEDGE
      cls->navigable = 1;
      return true;
    case 0x0082:
      cls->name = "STATIC";
      cls->navigable = 0;
      return true;
    case 0x0083:
      cls->name = "LISTBOX";
      cls->exStyle = 0x200u;
      cls->navigable = static_cast<int>(tabStop);
      return true;
    case 0x0084:
      cls->name = "SCROLLBAR";
      cls->navigable = 1;
      return true;
    case 0x0085:
      cls->name = "COMBOBOX";
      cls->navigable = 1;
      return true;
    default:
      return false;
  }
}

int NamedClassNavigable(uint32_t style) { return (style & 0x00010000u) ? 1 : 0; }
