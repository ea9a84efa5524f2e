#include "editor/help_text.h"

#include "version.h"

const char HelpTitle[] = "About Tavrisol " TAVRISOL_VERSION_TEXT;

const char HelpText[] =
    "Tavrisol version " TAVRISOL_VERSION_TEXT
    ", 06/01/18\n"
    "\n"
    "Tavrisol starts an application and moves and resizes its window to the coordinates\n"
    "\tyou give. When the process is already running, its window is only moved and\n"
    "\tresized; a minimised window is first maximised, then moved and resized.\n"
    "When the process hangs, Tavrisol kills it and starts it again.\n"
    "\n"
    "It was written to run the operating system's media centre application in a window\n"
    "larger than the screen, which gives a full-screen experience inside a window.\n"
    "\n"
    "To fill Input, click Select and then click on the application's window.\n"
    "\n"
    "Output is optional: select a shortcut to update it, or leave Output blank and a\n"
    "new shortcut is created on the desktop.\n"
    "\n"
    "Example: on a 1920x1080 screen the coordinates -8,-32,1936,1119 put the window's\n"
    "left edge 8 pixels left of the screen and its top 32 pixels above it, make it 16\n"
    "pixels wider than the screen, and give it more height than it needs, because the\n"
    "media centre application sets its height from its width. That leaves a blank row\n"
    "at the bottom where an automatically hidden task bar can pop up, which matters\n"
    "because the window's title bar is off the screen.\n"
    "On a 1366x768 screen the coordinates are -8,-32,1382,807.\n"
    "\n"
    "Minimising the media centre application moves its window back onto the screen, so\n"
    "run Tavrisol again to put it back in place. Since version 6.0 Tavrisol can also\n"
    "just maximise and move it.\n"
    "\n"
    "Tip: pin the shortcut that Tavrisol made to the task bar. To reposition the window,\n"
    "right-click the pinned entry and choose the application's link.\n";
