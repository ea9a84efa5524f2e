// Builds the frame and its controls from a dialog template resource without
// the dialog manager: the caller's window class handles the frame, and the
// control chain gives the controls their keyboard navigation.
#include "templatewin/builder.h"

#include <cstdint>

#include "diag/diag.h"
#include "diag/format.h"
#include "templatewin/chain.h"
#include "templatewin/template_geometry.h"
#include "templatewin/template_reader.h"

const char AverageWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

namespace {

enum { ConvertedTextSize = 256 };

// A UTF-16 text of the template in the ANSI code page. The reader has made sure
// its terminator lies inside the resource; a text too long for the buffer is cut.
void ConvertText(const uint8_t* bytes, const TemplateText& text, char* buffer) {
  for (int i = 0; i < ConvertedTextSize; ++i) buffer[i] = '\0';
  WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(bytes + text.offset), -1, buffer,
                      ConvertedTextSize, nullptr, nullptr);
  buffer[ConvertedTextSize - 1] = '\0';
}

// The system's text for the last error, in a 256-byte buffer.
void LastErrorInto(char* buffer) {
  buffer[0] = '\0';
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, GetLastError(), 0, buffer, ConvertedTextSize,
                 nullptr);
}

// The template font and the base units it gives; false after a report.
bool MeasureTemplateFont(HWND parent, int templateId, int pointSize, const char* face,
                         int* baseUnitX, int* baseUnitY) {
  HDC dc = GetDC(parent);
  if (!dc) {
    MessageReport(CaptionFailure, "GetDC for resource %d failed", templateId);
    return false;
  }
  LOGFONTA font = {};
  font.lfHeight = -MulDiv(pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
  font.lfWeight = FW_DONTCARE;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DRAFT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  FormatText(font.lfFaceName, LF_FACESIZE, "%s", face);  // cut to the 32-byte field
  templateFont = CreateFontIndirectA(&font);
  if (!templateFont) {
    MessageReport(CaptionFailure, "CreateFontIndirect %s of resource %d failed", face, templateId);
    ReleaseDC(parent, dc);
    return false;
  }
  HGDIOBJ previous = SelectObject(dc, templateFont);
  if (!previous) {
    MessageReport(CaptionFailure, "SelectObject %s of resource %d failed", face, templateId);
    ReleaseDC(parent, dc);
    return false;
  }
  TEXTMETRICA metrics;
  if (!GetTextMetricsA(dc, &metrics)) {
    MessageReport(CaptionFailure, "GetTextMetrics %s of resource %d failed", face, templateId);
    SelectObject(dc, previous);
    ReleaseDC(parent, dc);
    return false;
  }
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, AverageWidthSample, 62, &extent);
  *baseUnitX = extent.cx / 62;
  *baseUnitY = metrics.tmHeight;
  SelectObject(dc, previous);
  ReleaseDC(parent, dc);
  return true;
}

}  // namespace

HWND BuildWindowFromTemplate(HWND parent, int templateId, HINSTANCE instance, const char* className,
                             int widen) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
  if (!resource) {
    MessageReport(CaptionFailure, "Failed to find Dialog resource %d", templateId);
    return nullptr;
  }
  HGLOBAL loaded = LoadResource(nullptr, resource);
  if (!loaded) {
    MessageReport(CaptionFailure, "Failed to load Dialog resource %d", templateId);
    return nullptr;
  }
  const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(loaded));
  if (!bytes) {
    MessageReport(CaptionFailure, "Failed to lock Dialog resource %d", templateId);
    return nullptr;
  }
  // The whole template is read, within the resource's size, before any window
  // is made: a template that can't be read builds nothing.
  ParsedTemplate parsed;
  if (!CheckTemplate(bytes, SizeofResource(nullptr, resource), templateId, &parsed)) return nullptr;
  const TemplateHeader& header = parsed.header;

  char title[ConvertedTextSize];
  ConvertText(bytes, header.title, title);

  int baseUnitX, baseUnitY;
  if (header.hasFont) {
    char face[ConvertedTextSize];
    ConvertText(bytes, header.faceName, face);
    if (!MeasureTemplateFont(parent, templateId, header.pointSize, face, &baseUnitX, &baseUnitY))
      return nullptr;
  } else {
    templateFont = nullptr;
    baseUnitX = LOWORD(GetDialogBaseUnits());
    baseUnitY = HIWORD(GetDialogBaseUnits());
  }

  // A parent that is not a window gives no rectangle: centre on an empty one.
  RECT rect = {0, 0, 0, 0};
  if (!GetClientRect(parent, &rect)) rect = RECT{0, 0, 0, 0};
  baseUnitX = WidenBaseUnitX(header.cx, baseUnitX, rect.right - rect.left, widen);
  const FrameMetrics metrics{GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYEDGE),
                             GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYFRAME),
                             GetSystemMetrics(SM_CYCAPTION)};
  const FrameGeometry frameAt =
      ComputeFrame(header.cx, header.cy, baseUnitX, baseUnitY, rect.right, rect.bottom, metrics);

  // WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX
  HWND frame =
      CreateWindowExA(0, className, title, 0x90CB0000, frameAt.x, frameAt.y, frameAt.outerWidth,
                      frameAt.outerHeight, parent, nullptr, instance, nullptr);
  if (!frame) {
    char reason[ConvertedTextSize];
    LastErrorInto(reason);
    MessageReport(CaptionFailure, "Failed to make background of resource %d\n%s", templateId,
                  reason);
    return nullptr;
  }

  for (size_t i = 0; i < parsed.items.size(); ++i) {
    const TemplateItem& item = parsed.items[i];
    const int number = static_cast<int>(i);
    ControlClass cls;
    char controlClass[ConvertedTextSize];
    if (item.classIsOrdinal) {
      if (!LookupControlClass(item.classOrdinal, item.style, item.id, &cls)) {
        MessageReport(CaptionFailure, "Item %d Resource %d unknown ordinal value %x", number,
                      templateId, item.classOrdinal);
        return nullptr;
      }
    } else {
      ConvertText(bytes, item.className, controlClass);
      cls.name = controlClass;
      cls.exStyle = 0;
      cls.navigable = NamedClassNavigable(item.style);
      cls.style = item.style;
    }
    char text[ConvertedTextSize];
    ConvertText(bytes, item.text, text);
    HWND control = CreateWindowExA(
        cls.exStyle, cls.name, text, cls.style, DialogUnitsToPixelsX(item.x, baseUnitX),
        DialogUnitsToPixelsY(item.y, baseUnitY), DialogUnitsToPixelsX(item.cx, baseUnitX),
        DialogUnitsToPixelsY(item.cy, baseUnitY), frame,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance, nullptr);
    if (!control) {
      char reason[ConvertedTextSize];
      LastErrorInto(reason);
      MessageReport(CaptionFailure, "Failed to make item %d of resource %d\n%s", number, templateId,
                    reason);
      return nullptr;
    }
    ChainNode* node = AppendChainNode(&chainHead, sizeof(ChainNode));
    if (!node) {
      MessageReport(CaptionFailure, "Failed to add item %d to list of hwnds for resource %d",
                    number, templateId);
      return nullptr;
    }
    // The window goes into the node first, so the first message that reaches
    // chainedCtl_Proc finds it.
    node->window = control;
    node->savedProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chainedCtl_Proc)));
    node->navigable = cls.navigable;
    SubclassComboEdit(control);
    if (templateFont) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(templateFont), 1);
  }

  // Close the ring of back links; the next links stay a list.
  ChainNode* previous = nullptr;
  for (ChainNode* node = chainHead; node; node = node->next) {
    node->back = previous;
    previous = node;
  }
  if (chainHead) chainHead->back = previous;

  SendMessageA(frame, WM_INITDIALOG, 0, 0);
  return frame;
}
