#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "editor/filechooser.h"
#include "editor/filechooser_seed.h"

#ifndef _WIN64
static_assert(OPENFILENAME_SIZE_VERSION_400A == 76, "the dialog record without its 5.0 fields");
#endif

BOOL ChooseFile(FileDialogProc dialog, HWND window, int controlId, const char* filter,
                const char* title, DWORD flags, const char* defaultExtension) {
  char seed[ChooserTextSize] = "";
  char fileName[ChooserTextSize];
  char initialDir[ChooserTextSize];
  GetDlgItemTextA(window, controlId, seed, sizeof seed);
  seed[ChooserTextSize - 1] = '\0';

  // The seed resolved against the current directory; a result of 0 or one
  // that does not fit the buffer leaves no name and no directory.
  char fullPath[ChooserTextSize];
  const char* resolved = nullptr;
  int fileOffset = -1;
  if (!IsChooserPlaceholder(seed)) {
    char* filePart = nullptr;
    DWORD length = GetFullPathNameA(seed, sizeof fullPath, fullPath, &filePart);
    if (length != 0 && length < sizeof fullPath) {
      resolved = fullPath;
      if (filePart) fileOffset = static_cast<int>(filePart - fullPath);
    }
  }
  SplitChooserSeed(seed, resolved, fileOffset, fileName, initialDir);

  OPENFILENAMEA request;
  std::memset(&request, 0, sizeof request);
  request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  request.hwndOwner = window;
  request.lpstrFilter = filter;
  request.nFilterIndex = 1;
  request.lpstrFile = fileName;
  request.nMaxFile = sizeof fileName;
  request.lpstrInitialDir = initialDir;
  request.lpstrTitle = title;
  request.Flags = flags | OFN_HIDEREADONLY;
  request.lpstrDefExt = defaultExtension;
  if (!dialog(&request)) return FALSE;  // cancelled or failed: the field stays

  fileName[ChooserTextSize - 1] = '\0';
  SetDlgItemTextA(window, controlId, fileName);
  return TRUE;
}
