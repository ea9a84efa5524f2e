// The text viewer: a dialog-manager box built from a copy of viewerTemplate,
// fitted to the text before each showing.
#include "templatewin/viewer.h"

#include <cstdint>
#include <cstring>

#include "diag/diag.h"
#include "resources/resource.h"
#include "templatewin/builder.h"
#include "templatewin/chain.h"
#include "templatewin/template_reader.h"
#include "templatewin/viewer_logic.h"

namespace {

struct ViewerParams {
  const char* text;
  const char* title;
};

// The text being shown, for scrolling and Copy; it outlives the box.
const char* viewerText = nullptr;

bool MeasureLine(void* context, const char* line, int length, int* width) {
  SIZE extent = {0, 0};
  if (!GetTextExtentPoint32A(static_cast<HDC>(context), line, length, &extent)) return false;
  *width = extent.cx;
  return true;
}

// Fits a copy of viewerTemplate to the text's widest line, measured in the
// box's font.
void FitTemplateToText(HWND owner, const char* text, uint8_t* image) {
  HDC dc = GetDC(owner);
  if (!dc) TraceLine("GetDC failed\n");

  TemplateHeader header;
  ReadTemplateHeader(image, viewerTemplateSize, &header);
  char face[32] = {};
  if (!WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(image + header.faceName.offset), -1,
                           face, sizeof face, nullptr, nullptr)) {
    char* reason = LastErrorText();
    TraceLine("WideCharToMultiByte failed: %s", reason);
    LocalFree(reason);
    face[sizeof face - 1] = '\0';
  }

  HFONT font = CreateFontA(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0,
                           0, DEFAULT_CHARSET, 0, 0, DRAFT_QUALITY, 0, face);
  if (!font) TraceLine("CreateFont failed\n");
  HGDIOBJ previous = SelectObject(dc, font);
  if (previous == HGDI_ERROR || !previous) TraceLine("SelectObject failed\n");

  SIZE sample = {0, 0};
  GetTextExtentPoint32A(dc, AverageWidthSample, 62, &sample);
  // Nothing measured (no device context or font): the dialog base unit keeps
  // the conversion from dividing by zero.
  const int average = ViewerAverageWidth(sample.cx, LOWORD(GetDialogBaseUnits()));
  const int widest = MeasureWidestLine(text, average, MeasureLine, dc);
  RewriteViewerTemplate(image, viewerTemplateSize, ViewerTextWidth(widest, average));

  if (previous && previous != HGDI_ERROR) SelectObject(dc, previous);
  if (font) DeleteObject(font);
  if (dc) ReleaseDC(owner, dc);
}

void CopyTextToClipboard(HWND dialog) {
  const size_t size = strlen(viewerText) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, size);
  if (!block) {
    MessageReport(CaptionFailure, "textboxDlg_Proc: GlobalAlloc failed -- maybe out of memory");
    return;
  }
  void* memory = GlobalLock(block);
  if (!memory) {
    MessageReport(CaptionFailure, "textboxDlg_Proc: GlobalLock failed");
    GlobalFree(block);
    return;
  }
  memcpy(memory, viewerText, size);
  GlobalUnlock(block);
  if (!OpenClipboard(dialog)) {
    GlobalFree(block);
    return;
  }
  EmptyClipboard();
  const bool copied = SetClipboardData(CF_TEXT, block) != nullptr;
  if (!copied) {
    MessageReport(CaptionError, "textboxDlg_Proc: SetClipboardData failed");
    GlobalFree(block);
  }
  CloseClipboard();
  if (copied) MessageReport(CaptionSuccess, "Text copied to ClipBoard.");
}

// The box being shown, for its keys and wheel.
HWND viewerDialog = nullptr;

void ScrollText(HWND dialog, WPARAM wParam) {
  HWND bar = GetDlgItem(dialog, IDC_VIEWER_SCROLL);
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  GetScrollInfo(bar, SB_CTL, &info);
  const int position = ViewerScrollPosition(LOWORD(wParam), HIWORD(wParam), info.nPos,
                                            static_cast<int>(info.nPage), info.nMax);
  SetDlgItemTextA(dialog, IDC_VIEWER_TEXT, SkipLines(position, viewerText));
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

// The dialog manager's loop hands every message of the box here first: Page
// Up, Page Down, Home, End and the wheel scroll the text whatever has the focus.
LRESULT CALLBACK viewerKeys_Proc(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  int count;
  const int request = ViewerInputRequest(msg->message, msg->wParam, &count);
  if (code == MSGF_DIALOGBOX && request >= 0 && viewerDialog &&
      (msg->hwnd == viewerDialog || IsChild(viewerDialog, msg->hwnd))) {
    while (count-- > 0) ScrollText(viewerDialog, static_cast<WPARAM>(request));
    return TRUE;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void InitViewer(HWND dialog, const ViewerParams* params) {
  viewerDialog = dialog;
  viewerText = params->text;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = ViewerLineCount(viewerText);
  info.nPage = ViewerPage;
  info.nPos = 0;
  SetScrollInfo(GetDlgItem(dialog, IDC_VIEWER_SCROLL), SB_CTL, &info, TRUE);
  CenterOnDesktop(dialog);
  SetDlgItemTextA(dialog, IDC_VIEWER_TEXT, viewerText);
  SetWindowTextA(dialog, params->title);
}

INT_PTR ViewerCommand(HWND dialog, unsigned id) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_VIEWER_COPY:
      CopyTextToClipboard(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK textboxDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitViewer(dialog, reinterpret_cast<const ViewerParams*>(lParam));
      return TRUE;
    case WM_COMMAND:
      return ViewerCommand(dialog, LOWORD(wParam));
    case WM_VSCROLL:
      ScrollText(dialog, wParam);
      return FALSE;
    default:
      return FALSE;
  }
}

void ShowTextViewer(HWND owner, const char* text, const char* title) {
  alignas(4) uint8_t image[ViewerTemplateRoom];
  CopyMemory(image, viewerTemplate, viewerTemplateSize);
  FitTemplateToText(owner, text, image);
  ViewerParams params = {text, title};
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
  HHOOK keys = SetWindowsHookExA(WH_MSGFILTER, viewerKeys_Proc, nullptr, GetCurrentThreadId());
  INT_PTR result =
      DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(image), owner,
                              textboxDlg_Proc, reinterpret_cast<LPARAM>(&params));
  if (keys) UnhookWindowsHookEx(keys);
  viewerDialog = nullptr;
  if (result == -1) {
    char* reason = LastErrorText();
    MessageReport(CaptionError, "DialogBoxIndirectParam failed:\n%s", reason);
    LocalFree(reason);
  }
}
