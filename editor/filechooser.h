// The common file dialog on behalf of one of the editor's text fields.
#pragma once
#include <windows.h>
#include <commdlg.h>

typedef BOOL(APIENTRY* FileDialogProc)(LPOPENFILENAMEA);

BOOL ChooseFile(FileDialogProc dialog, HWND window, int controlId, const char* filter,
                const char* title, DWORD flags, const char* defaultExtension);
