// The text viewer's template and the arithmetic around it, free of the
// platform: measuring the widest line, fitting the template to it, scrolling
// by lines.
#pragma once
#include <cstddef>
#include <cstdint>

// Plain-form dialog template of the viewer, DWORD-aligned; a copy of it is
// fitted to each text before the box is shown.
extern const uint16_t viewerTemplate[];
extern const size_t viewerTemplateSize;  // in bytes
enum { ViewerTemplateRoom = 256 };       // bytes a copy needs at most

enum {
  ViewerPage = 8,           // lines per scroll page
  ViewerWheelLines = 3,     // lines per notch of the mouse wheel
  ViewerInitialWidest = 20  // pixels: the narrowest a text can make the field
};

// Measures `length` characters of `line` in pixels into *width; false on failure.
typedef bool (*MeasureLineFn)(void* context, const char* line, int length, int* width);

// Widest line of text in pixels, from 20 up: each line's measured width plus
// 5 average widths per tab. A failed measurement is traced and ends the walk.
int MeasureWidestLine(const char* text, int average, MeasureLineFn measure, void* context);

// Average character width from the extent of the 62-character sample; when it
// comes out 0 (nothing could be measured) the fallback is used, and never less than 1.
int ViewerAverageWidth(int sampleExtent, int fallback);

// Field width in dialog units for the widest line: the line plus a twentieth.
int ViewerTextWidth(int widest, int average);

// Sets the field's width to newWidth and moves the box's width, the scroll bar
// and the buttons with it (16-bit wrap). False when the image is not a
// four-item template.
bool RewriteViewerTemplate(uint8_t* bytes, size_t size, int newWidth);

// 1 plus the number of line feeds.
int ViewerLineCount(const char* text);

// New scroll position for a WM_VSCROLL request, limited to [0, maximum - page + 1].
int ViewerScrollPosition(int request, int thumb, int position, int page, int maximum);

// The scroll request (as WM_VSCROLL has it) for a key (Page Up, Page Down,
// Home, End) or a turn of the mouse wheel, whatever control has the focus, and
// how many times to make it; -1 for any other message.
int ViewerInputRequest(unsigned message, uintptr_t wParam, int* count);

// Start of line `count` (from 0), or the terminator when the text has fewer lines.
const char* SkipLines(int count, const char* text);
