// Whether two texts name the same program, as the run compares a command with
// the path of a running process.
#pragma once

// True when a and b are the same path once "/" is read as "\" and the letters
// A-Z as a-z; no other byte is folded.
bool SameProgramPath(const char* a, const char* b);
