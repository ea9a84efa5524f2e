// The editor window's button commands.
#include <windows.h>

#include "editor/commands.h"
#include "editor/filechooser.h"
#include "editor/help_text.h"
#include "editor/picker.h"
#include "editor/recent.h"
#include "editor/shortcut.h"
#include "resources/resource.h"
#include "templatewin/viewer.h"

// Ok: both texts go to the top of their recent lists, then the shortcut is
// written; a refused text or a refused update keeps the window open.
static void OkCommand(HWND window) {
  if (!StoreRecentList(window, IDC_INPUT, INPUT_LIST_KEY)) return;
  if (!StoreRecentList(window, IDC_OUTPUT, OUTPUT_LIST_KEY)) return;
  BOOL keepOpen = WriteShortcut(window);
  if (!keepOpen) DestroyWindow(window);
}

static const char LinkFilter[] = "Links\0*.lnk\0All Files\0*.*\0";

void EditorCommand(HWND window, unsigned controlId) {
  switch (controlId) {
    case IDC_OK:
      OkCommand(window);
      break;
    case IDC_CANCEL:
      DestroyWindow(window);
      break;
    case IDC_HELPBUTTON:
      ShowTextViewer(window, HelpText, HelpTitle);
      break;
    case IDC_BROWSE:
      ChooseFile(GetSaveFileNameA, window, IDC_OUTPUT, LinkFilter, "Select Output File",
                 OFN_EXPLORER, "lnk");
      break;
    case IDC_SELECT:
      PickerSelect(window);
      break;
    default:
      break;
  }
}
