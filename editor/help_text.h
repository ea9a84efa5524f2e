// The help text and its title, shown by the editor's Help button.
#pragma once

extern const char HelpTitle[];  // "About Tavrisol " and the project's version
// Paragraphs separated by blank lines; lines end in a single line feed.
extern const char HelpText[];
