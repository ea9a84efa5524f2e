// The code page texts are in, in a file of its own: the library formats
// names with the diagnostics' formatter and needs none of the reports.
#include <windows.h>

#include "diag/text.h"

unsigned TextCodePage() { return GetACP(); }
