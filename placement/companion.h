// The companion library, for the editor's picker and the run's exact moves.
#pragma once

// Loads tavrisolhelper.dll (tavrisolhelper32.dll in a 32-bit program) from the program's own
// folder, never from the current folder or PATH; the module handle, or null with the thread's last
// error telling why.
void* LoadCompanionLibrary();
