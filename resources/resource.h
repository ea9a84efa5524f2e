// Resource and control ids, one range per kind.
#pragma once

// Icons (100s)
#define IDI_TAVRISOL 101

// Dialog templates (100s)
#define IDD_EDITOR 103

// Editor controls: the standard buttons, then the 1000s
#define IDC_OK 1
#define IDC_CANCEL 2
#define IDC_HELPBUTTON 9
#define IDC_OUTPUT 1001
#define IDC_INPUT 1002
#define IDC_BROWSE 1003
#define IDC_SELECT 1004

// Text viewer controls (100s)
#define IDC_VIEWER_TEXT 101
#define IDC_VIEWER_SCROLL 102
#define IDC_VIEWER_COPY 103
