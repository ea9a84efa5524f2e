#include "templatewin/viewer_logic.h"

#include "diag/diag.h"
#include "templatewin/template_reader.h"

// Byte image of the viewer's template (plain form, little-endian words).
alignas(4) const uint16_t viewerTemplate[] = {
    // Header: style 0x90C800C4, extended style 0, 4 items, 0, 0, 301 x 158,
    // no menu, no class, empty title, 8 points "MS Sans Serif".
    0x00C4, 0x90C8, 0, 0, 4, 0, 0, 301, 158, 0, 0, 0, 8,  //
    'M', 'S', ' ', 'S', 'a', 'n', 's', ' ', 'S', 'e', 'r', 'i', 'f', 0,
    0,  // padding to a DWORD
    // "OK", id 1, button, push button with tab stop, centred.
    0x0300, 0x5001, 0, 0, 95, 136, 50, 14, 1, 0xFFFF, 0x0080, 'O', 'K', 0, 0,  //
    0,
    // The text field, id 101, static, bordered and sunken.
    0x1000, 0x5080, 0, 0, 14, 9, 263, 118, 101, 0xFFFF, 0x0082, 0, 0,  //
    0,
    // The scroll bar, id 102, vertical, right-aligned.
    0x0005, 0x5000, 0, 0, 276, 8, 11, 118, 102, 0xFFFF, 0x0084, 0, 0,  //
    0,
    // "Copy", id 103, as "OK".
    0x0300, 0x5001, 0, 0, 155, 136, 50, 14, 103, 0xFFFF, 0x0080, 'C', 'o', 'p', 'y', 0, 0};

const size_t viewerTemplateSize = sizeof viewerTemplate;
static_assert(sizeof viewerTemplate <= ViewerTemplateRoom, "the copy has no room for the template");

int MeasureWidestLine(const char* text, int average, MeasureLineFn measure, void* context) {
  int widest = ViewerInitialWidest;
  const char* at = text;
  while (*at) {
    if (*at == '\n') {
      ++at;
      continue;
    }
    const char* line = at;
    int tabs = 0;
    while (*at && *at != '\n') {
      if (*at == '\t') ++tabs;
      ++at;
    }
    int width = 0;
    if (!measure(context, line, static_cast<int>(at - line), &width)) {
      TraceLine("GetTextExtentPoint32 failed\n");
      break;
    }
    width += 5 * average * tabs;
    if (width > widest) widest = width;
  }
  return widest;
}

int ViewerAverageWidth(int sampleExtent, int fallback) {
  int average = sampleExtent / 62;
  if (average <= 0) average = fallback;
  return average > 0 ? average : 1;
}

int ViewerTextWidth(int widest, int average) { return ((widest / 20 + widest) * 4) / average; }

namespace {

void Add16(uint8_t* field, int amount) {
  uint16_t value = static_cast<uint16_t>(field[0] | (field[1] << 8));
  value = static_cast<uint16_t>(value + amount);  // wraps like the 16-bit field it is
  field[0] = static_cast<uint8_t>(value & 0xFF);
  field[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

bool RewriteViewerTemplate(uint8_t* bytes, size_t size, int newWidth) {
  ParsedTemplate parsed = ReadTemplate(bytes, size);
  if (parsed.status != TemplateStatus::Ok || parsed.header.extended || parsed.items.size() != 4)
    return false;
  const size_t ok = parsed.items[0].start, field = parsed.items[1].start;
  const size_t scroll = parsed.items[2].start, copy = parsed.items[3].start;
  // Plain form: header cx at 14; an item's x at 8 and cx at 12.
  const int difference = newWidth - parsed.items[1].cx;
  Add16(bytes + 14, difference);
  Add16(bytes + scroll + 8, difference);
  Add16(bytes + field + 12, difference);
  const int half = difference / 2;
  Add16(bytes + ok + 8, half);
  Add16(bytes + copy + 8, half);
  return true;
}

int ViewerLineCount(const char* text) {
  int lines = 1;
  for (; *text; ++text)
    if (*text == '\n') ++lines;
  return lines;
}

int ViewerScrollPosition(int request, int thumb, int position, int page, int maximum) {
  int next = position;
  switch (request) {
    case 0:
      next = position - 1;
      break;  // SB_LINEUP
    case 1:
      next = position + 1;
      break;  // SB_LINEDOWN
    case 2:
      next = position - page;
      break;  // SB_PAGEUP
    case 3:
      next = position + page;
      break;  // SB_PAGEDOWN
    case 4:   // SB_THUMBPOSITION
    case 5:
      next = thumb;
      break;  // SB_THUMBTRACK
    case 6:
      next = 0;
      break;  // SB_TOP
    case 7:
      next = maximum;
      break;  // SB_BOTTOM
    default:
      break;
  }
  if (next > maximum - page + 1) next = maximum - page + 1;
  if (next < 0) next = 0;
  return next;
}

int ViewerInputRequest(unsigned message, uintptr_t wParam, int* count) {
  *count = 1;
  if (message == 0x020A) {  // WM_MOUSEWHEEL: lines per notch, up for a positive turn
    const int turn = static_cast<int16_t>(wParam >> 16);
    *count = (turn < 0 ? -turn : turn) * ViewerWheelLines / 120;
    return turn > 0 ? 0 : 1;  // SB_LINEUP, SB_LINEDOWN
  }
  // VK_PRIOR, VK_NEXT, VK_END, VK_HOME: SB_PAGEUP, SB_PAGEDOWN, SB_BOTTOM, SB_TOP.
  static const int requests[] = {2, 3, 7, 6};
  if (message != 0x0100 || wParam < 0x21 || wParam > 0x24) return -1;  // WM_KEYDOWN
  return requests[wParam - 0x21];
}

const char* SkipLines(int count, const char* text) {
  for (int i = 0; i < count; ++i) {
    if (*text == '\0') break;
    while (*text && *text != '\n') ++text;
    if (*text == '\n') ++text;
  }
  return text;
}
