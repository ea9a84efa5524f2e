// The editor window's button commands.
#include <windows.h>

#include "editor/commands.h"
#include "editor/filechooser.h"
#include "editor/help_text.h"
#include "editor/picker.h"
#include "editor/shortcut.h"
#include "resources/resource.h"
#include "templatewin/viewer.h"

// Ok: the editor closes once the shortcut is saved, and stays open after a
// refusal or failure.
static void OkCommand(HWND window) {
  if (WriteShortcut(window)) DestroyWindow(window);
}

static const char LinkFilter[] = "Links\0*.lnk\0All Files\0*.*\0";

void EditorCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDC_OK:
      OkCommand(window);
      break;
    case IDC_CANCEL:
      // Escape (not the Cancel button) first disarms an armed picker.
      if (reinterpret_cast<HWND>(lParam) != GetDlgItem(window, IDC_CANCEL) && PickerDisarm(window))
        break;
      DestroyWindow(window);
      break;
    case IDC_INPUT:
      // Editing Input by hand disarms the picker, which would overwrite it.
      if (HIWORD(wParam) == CBN_EDITCHANGE || HIWORD(wParam) == CBN_SELCHANGE) PickerDisarm(window);
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
