#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "editor/filechooser_seed.h"
#include "editor/shortcut_args.h"
#include "support/diag_capture.h"

namespace {

const char Failure[] = "Failure";

struct Composed {
  ShortcutTextResult result;
  std::string arguments;
};

// target: the updated shortcut's own target, which an ordinary shortcut's
// Input must name.
Composed Compose(const std::string& input, const std::string& old,
                 const std::string& target = "C:\\Apps\\view.exe") {
  char arguments[ShortcutTextSize];
  std::memset(arguments, 'x', sizeof arguments);
  ShortcutTextResult result =
      ComposeUpdatedArguments(input.c_str(), old.c_str(), target.c_str(), arguments);
  if (result != ShortcutTextMade) return {result, "(untouched)"};
  EXPECT_LT(std::strlen(arguments), static_cast<size_t>(ShortcutTextSize));
  return {result, arguments};
}

void ExpectOneReport(const std::string& caption, const std::string& text) {
  ASSERT_EQ(CapturedReports().size(), 1u);
  EXPECT_EQ(CapturedReports()[0].caption, caption);
  EXPECT_EQ(CapturedReports()[0].text, text);
}

struct Derived {
  ShortcutTextResult result;
  std::string icon, directory, path;
};

std::set<std::string> takenPaths;  // files that already exist

bool Taken(const char* path) { return takenPaths.count(path) != 0; }

Derived Derive(const std::string& input, const std::string& desktop) {
  NewShortcutNames names;
  std::memset(&names, 'x', sizeof names);
  ShortcutTextResult result = DeriveNewShortcut(input.c_str(), desktop.c_str(), Taken, &names);
  if (result != ShortcutTextMade) return {result, "", "", ""};
  return {result, names.iconLocation, names.workingDirectory, names.shortcutPath};
}

class ShortcutArguments : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearCaptured();
    takenPaths.clear();
  }
};

TEST_F(ShortcutArguments, PlacementShortcutKeepsItsCommandAndTakesNewCoordinates) {
  Composed c = Compose("-8,-8,1936,1056 C:\\Other\\x.exe", "0,0,800,600 C:\\Apps\\view.exe -r");
  EXPECT_EQ(c.result, ShortcutTextMade);
  EXPECT_EQ(c.arguments, "-8,-8,1936,1056 C:\\Apps\\view.exe -r");
  // The hold stays unless the Input gives one.
  EXPECT_EQ(Compose("5,6,7,8 C:\\x.exe", "1,2,3,4,600 C:\\a.exe").arguments,
            "5,6,7,8,600 C:\\a.exe");
  EXPECT_EQ(Compose("5,6,7,8,30 y", "1,2,3,4,600 C:\\a.exe").arguments, "5,6,7,8,30 C:\\a.exe");
  // The numbers as the run reads them: a blank in them can't cut the command.
  EXPECT_EQ(Compose("+5, 6,7,8 y", "1,2,3,4 C:\\a.exe").arguments, "5,6,7,8 C:\\a.exe");
  // Signs, blanks before numbers and text right after the fourth one; the
  // first space is taken even where it stands inside the coordinates.
  EXPECT_EQ(Compose("5,6,7,8 y", "+1,-2,3,4junk C:\\a.exe").arguments, "5,6,7,8 C:\\a.exe");
  EXPECT_EQ(Compose("5,6,7,8 y", "+1, -2,3,4 C:\\a.exe").arguments, "5,6,7,8 -2,3,4 C:\\a.exe");
  // The old arguments from their first space on, that space included.
  EXPECT_EQ(Compose("5,6,7,8 y", "1,2,3,4  two spaces").arguments, "5,6,7,8  two spaces");
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(ShortcutArguments, OrdinaryShortcutGetsInputTextBeforeItsArguments) {
  EXPECT_EQ(Compose("0,0,800,600 C:\\Apps\\view.exe", "-r notes.txt").arguments,
            "0,0,800,600 C:\\Apps\\view.exe -r notes.txt");
  EXPECT_EQ(Compose("0,0,800,600 C:\\Apps\\view.exe", "").arguments,
            "0,0,800,600 C:\\Apps\\view.exe ");
  // Fewer than four numbers, or a blank before a comma, is not a placement.
  EXPECT_EQ(Compose("1,1,1,1 a", "1,2,3 C:\\x.exe", "a").arguments, "1,1,1,1 a 1,2,3 C:\\x.exe");
  EXPECT_EQ(Compose("1,1,1,1 a", "1 ,2,3,4 b", "a").arguments, "1,1,1,1 a 1 ,2,3,4 b");
  EXPECT_EQ(Compose("1,1,1,1 a", "1,2,3,+ b", "a").arguments, "1,1,1,1 a 1,2,3,+ b");
  // The program is compared as the lookup compares paths, quotes and
  // arguments left out.
  EXPECT_EQ(Compose("1,1,1,1 \"c:\\APPS\\View.exe\" -x", "-r").arguments,
            "1,1,1,1 \"c:\\APPS\\View.exe\" -x -r");
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(ShortcutArguments, WhatThePlacementRunRefusesIsRefusedInItsWords) {
  const std::string invalid = "Invalid Command line.\n";
  const std::string missing =
      "Command line missing startup coords and sizes, or fill or fillwork.\n";
  struct Case {
    const char* input;
    const char* oldArguments;
    std::string report;
    ShortcutTextResult result = ShortcutInvalidCommand;
  } cases[] = {
      {"0,0,800,600", "1,2,3,4 C:\\Apps\\view.exe", invalid + "0,0,800,600"},
      {"0,0,800,600 C:\\Apps\\view.exe", "1,2,3,4", invalid + "1,2,3,4"},
      {"0,0,800,600\tC:\\a.exe", "1,2,3,4 b",
       invalid + "0,0,800,600\tC:\\a.exe"},  // a tab is no space
      {"C:\\Program Files\\Game\\game.exe", "1,2,3,4 b",
       missing + "C:\\Program Files\\Game\\game.exe"},
      {"1,2,3,4  ", "-r", invalid + "1,2,3,4  "},  // a pick without its program
      {"0,0,8,6 C:\\Other\\x.exe", "-r",
       "Input starts C:\\Other\\x.exe, but the shortcut starts C:\\Apps\\view.exe.\n"
       "The shortcut was not changed.",
       ShortcutOtherProgram},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    ClearCaptured();
    EXPECT_EQ(Compose(c.input, c.oldArguments).result, c.result);
    ExpectOneReport(Failure, c.report);
  }
}

TEST_F(ShortcutArguments, OneSurroundingPairOfQuotesIsTakenOff) {
  char quoted[] = "\"C:\\a b\\x.lnk\"", half[] = "\"C:\\x.lnk";
  RemoveSurroundingQuotes(quoted);
  RemoveSurroundingQuotes(half);
  EXPECT_STREQ(quoted, "C:\\a b\\x.lnk");
  EXPECT_STREQ(half, "\"C:\\x.lnk");
}

TEST_F(ShortcutArguments, OverlongArgumentsAreRefusedWholeNeverCut) {
  std::string input = "0,0,1,1 C:\\" + std::string(140, 'a') + ".exe";  // 155 characters
  std::string old(103, 'o');                                            // 155 + 1 + 103 = 259
  std::string program = input.substr(8);
  EXPECT_EQ(Compose(input, old, program).arguments, input + " " + old);
  EXPECT_TRUE(CapturedReports().empty());

  old += "o";  // 260
  EXPECT_EQ(Compose(input, old, program).result, ShortcutTextTooLong);
  ExpectOneReport(
      Failure, "Shortcut arguments too long (260 characters, at most 259):\n" + input + " " + old);
  ClearCaptured();

  // Placement shortcut: new coordinates plus a long old command.
  std::string oldPlacement = "1,2,3,4 " + std::string(251, 'c');  // tail from the space: 252
  EXPECT_EQ(Compose("-1000000,-2000000,3,4 x", oldPlacement).result, ShortcutTextTooLong);
  ExpectOneReport(Failure,
                  "Shortcut arguments too long (273 characters, at most 259):\n"
                  "-1000000,-2000000,3,4 " +
                      std::string(251, 'c'));
  ClearCaptured();
  EXPECT_EQ(Compose("1,1,1,1 x", oldPlacement).arguments, "1,1,1,1 " + std::string(251, 'c'));
}

TEST_F(ShortcutArguments, InputAndOutputOfAtMost259CharactersAreTakenWhole) {
  // Both lists hold up to 519 characters; the writer refuses rather than cuts.
  struct Case {
    ShortcutTextResult (*check)(const char*);
    const char* what;
  };
  for (const Case& c : {Case{CheckNewArguments, "arguments"}, Case{CheckShortcutPath, "path"}}) {
    SCOPED_TRACE(c.what);
    ClearCaptured();
    std::string text = "C:\\" + std::string(259 - 3, 'p');
    ASSERT_EQ(text.size(), 259u);
    EXPECT_EQ(c.check(text.c_str()), ShortcutTextMade);
    EXPECT_TRUE(CapturedReports().empty());
    for (size_t length : {260u, 519u}) {
      SCOPED_TRACE(length);
      ClearCaptured();
      text.resize(length, 'p');
      EXPECT_EQ(c.check(text.c_str()), ShortcutTextTooLong);
      ExpectOneReport(Failure, std::string("Shortcut ") + c.what + " too long (" +
                                   std::to_string(length) + " characters, at most 259):\n" + text);
    }
    // Counted as the system counts them: 256 CJK characters (768 bytes) make
    // 259, and one outside the basic plane counts two.
    std::string cjk = "C:\\";
    for (int i = 0; i < 256; ++i) cjk += "\xE6\x97\xA5";
    ClearCaptured();
    EXPECT_EQ(c.check(cjk.c_str()), ShortcutTextMade);
    cjk.replace(cjk.size() - 3, 3, "\xF0\x9F\x8E\xAE");
    EXPECT_EQ(c.check(cjk.c_str()), ShortcutTextTooLong);
    ExpectOneReport(Failure, std::string("Shortcut ") + c.what +
                                 " too long (260 characters, at most 259):\n" + cjk);
  }
}

TEST_F(ShortcutArguments, NewShortcutIsNamedAfterTheCommandOnTheDesktop) {
  Derived d = Derive("0,0,1280,1024 C:\\Tools\\edit.exe", "C:\\Users\\me\\Desktop");
  EXPECT_EQ(d.result, ShortcutTextMade);
  EXPECT_EQ(d.icon, "C:\\Tools\\edit.exe");
  EXPECT_EQ(d.directory, "C:\\Tools");
  EXPECT_EQ(d.path, "C:\\Users\\me\\Desktop\\Edit Tavrisol.lnk");

  // Name, folder and icon come from the program, never from its arguments:
  // up to the end of the ".exe" name, or the quoted part.
  d = Derive("0,0,1,1 C:\\windows\\notepad.exe C:\\windows\\win.ini", "C:\\D");
  EXPECT_EQ(d.icon, "C:\\windows\\notepad.exe");
  EXPECT_EQ(d.directory, "C:\\windows");
  EXPECT_EQ(d.path, "C:\\D\\Notepad Tavrisol.lnk");
  d = Derive("0,0,1,1 C:\\Program Files\\My App\\app.exe -x", "C:\\D");
  EXPECT_EQ(d.directory, "C:\\Program Files\\My App");
  d = Derive("0,0,1,1 \"C:\\P\\a.exe.d\\run.cmd\" -x", "C:\\D");
  EXPECT_EQ(d.icon, "C:\\P\\a.exe.d\\run.cmd");
  EXPECT_EQ(d.path, "C:\\D\\Run Tavrisol.lnk");
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(ShortcutArguments, NewShortcutTakesTheNextFreeName) {
  takenPaths = {"C:\\D\\Notepad Tavrisol.lnk", "C:\\D\\Notepad Tavrisol (2).lnk"};
  EXPECT_EQ(Derive("1,1,1,1 notepad.exe", "C:\\D").path, "C:\\D\\Notepad Tavrisol (3).lnk");
  for (int n = 3; n <= 99; ++n)
    takenPaths.insert("C:\\D\\Notepad Tavrisol (" + std::to_string(n) + ").lnk");
  EXPECT_EQ(Derive("1,1,1,1 notepad.exe", "C:\\D").result, ShortcutNoFreeName);
  ExpectOneReport(
      Failure, "No free shortcut name: C:\\D\\Notepad Tavrisol.lnk and 98 numbered ones are taken");
}

TEST_F(ShortcutArguments, DotInTheDesktopFolderAndFirstCharacters) {
  Derived d = Derive("0,0,1,1 C:\\Tools\\edit", "C:\\Users\\me.home\\Desktop");
  EXPECT_EQ(d.directory, "C:\\Tools");
  EXPECT_EQ(d.path, "C:\\Users\\me Tavrisol.lnk");

  // Only a to z are raised.
  EXPECT_EQ(Derive("1,1,1,1 C:\\T\\Edit.exe", "C:\\D").path, "C:\\D\\Edit Tavrisol.lnk");
  EXPECT_EQ(Derive("1,1,1,1 C:\\T\\1edit.exe", "C:\\D").path, "C:\\D\\1edit Tavrisol.lnk");
  EXPECT_EQ(Derive("1,1,1,1 C:\\T\\_x.exe", "C:\\D").path, "C:\\D\\_x Tavrisol.lnk");
  EXPECT_EQ(Derive("1,1,1,1 C:\\T\\\xe9t\xe9.exe", "C:\\D").path, "C:\\D\\\xe9t\xe9 Tavrisol.lnk");
  EXPECT_EQ(Derive("1,1,1,1 C:\\T\\zed.exe", "C:\\D").path, "C:\\D\\Zed Tavrisol.lnk");
  // A command ending in a backslash leaves an empty file name.
  d = Derive("1,1,1,1 C:\\T\\", "C:\\D");
  EXPECT_EQ(d.directory, "C:\\T");
  EXPECT_EQ(d.path, "C:\\D\\ Tavrisol.lnk");
}

TEST_F(ShortcutArguments, CommandWithoutBackslashIsAllFileName) {
  Derived d = Derive("0,0,1,1 notepad.exe", "C:\\Users\\me\\Desktop");
  EXPECT_EQ(d.result, ShortcutTextMade);
  EXPECT_EQ(d.icon, "notepad.exe");
  EXPECT_EQ(d.directory, "");
  EXPECT_EQ(d.path, "C:\\Users\\me\\Desktop\\Notepad Tavrisol.lnk");
  EXPECT_TRUE(CapturedReports().empty());
}

TEST_F(ShortcutArguments, NewShortcutRefusals) {
  Derived d = Derive("0,0,1280,1024", "C:\\D");
  EXPECT_EQ(d.result, ShortcutInvalidCommand);
  ExpectOneReport(Failure, "Invalid Command line.\n0,0,1280,1024");
  ClearCaptured();

  // 246 + "\" + "A" + " Tavrisol.lnk" = 261 characters; one shorter fits at 259.
  std::string folder = "C:\\" + std::string(243, 'd');
  d = Derive("1,1,1,1 C:\\a.exe", folder);
  EXPECT_EQ(d.result, ShortcutTextTooLong);
  ExpectOneReport(Failure, "Shortcut path too long (261 characters, at most 259):\n" + folder +
                               "\\A Tavrisol.lnk");
  ClearCaptured();
  std::string shorter = folder.substr(0, folder.size() - 2);
  d = Derive("1,1,1,1 C:\\a.exe", shorter);
  EXPECT_EQ(d.result, ShortcutTextMade);
  EXPECT_EQ(d.path, shorter + "\\A Tavrisol.lnk");
  EXPECT_EQ(d.path.size(), 259u);
  EXPECT_TRUE(CapturedReports().empty());

  // The longest texts the editor's fields can hold: a 259-character desktop
  // folder and a long command are refused and shown whole.
  std::string deepFolder = "C:\\" + std::string(256, 'e');
  std::string longCommand = "C:\\t\\" + std::string(246, 'n');
  d = Derive("1,2,3,4 " + longCommand, deepFolder);
  EXPECT_EQ(d.result, ShortcutTextTooLong);
  std::string whole = deepFolder + "\\N" + std::string(245, 'n') + " Tavrisol.lnk";
  ExpectOneReport(Failure, "Shortcut path too long (" + std::to_string(whole.size()) +
                               " characters, at most 259):\n" + whole);
}

TEST(ChooserSeed, PlaceholderFullPathAndFailures) {
  char file[ChooserTextSize], dir[ChooserTextSize];
  SplitChooserSeed("<No File Selected>", nullptr, 0, file, dir);
  EXPECT_STREQ(file, "");
  EXPECT_STREQ(dir, "C:\\");
  SplitChooserSeed("<anything", "C:\\x\\<anything", 5, file, dir);
  EXPECT_STREQ(file, "");
  EXPECT_STREQ(dir, "C:\\");

  SplitChooserSeed("C:\\Users\\me\\Desktop\\Edit Tavrisol.lnk",
                   "C:\\Users\\me\\Desktop\\Edit Tavrisol.lnk", 20, file, dir);
  EXPECT_STREQ(file, "Edit Tavrisol.lnk");
  EXPECT_STREQ(dir, "C:\\Users\\me\\Desktop\\");

  // Not resolved (an empty field): neither name nor directory.
  std::memset(file, 'x', sizeof file);
  std::memset(dir, 'x', sizeof dir);
  SplitChooserSeed("", nullptr, 0, file, dir);
  EXPECT_STREQ(file, "");
  EXPECT_STREQ(dir, "");

  // A directory: no file name, the whole path as the initial directory.
  SplitChooserSeed("C:\\Tools\\", "C:\\Tools\\", -1, file, dir);
  EXPECT_STREQ(file, "");
  EXPECT_STREQ(dir, "C:\\Tools\\");
}

TEST(ShortcutArgumentsScan, CoordinatesAreFourCommaSeparatedIntegers) {
  EXPECT_TRUE(BeginsWithCoordinates("-8,-32,1936,1119 C:\\x.exe"));
  EXPECT_TRUE(BeginsWithCoordinates("1,2,3,4"));
  EXPECT_TRUE(BeginsWithCoordinates("\t1,\n2, +3,-4x"));
  EXPECT_FALSE(BeginsWithCoordinates(""));
  EXPECT_FALSE(BeginsWithCoordinates("1,2,3"));
  EXPECT_FALSE(BeginsWithCoordinates("1,2,3 ,4"));
  EXPECT_FALSE(BeginsWithCoordinates("a1,2,3,4"));
  EXPECT_FALSE(BeginsWithCoordinates("1;2;3;4"));
}

}  // namespace

namespace {

TEST_F(ShortcutArguments, FillWordsReplaceAndAreReplacedLikeTheNumbers) {
  EXPECT_EQ(Compose("fill:2 y", "1,2,3,4,600 C:\\a.exe -r").arguments, "fill:2,600 C:\\a.exe -r");
  EXPECT_EQ(Compose("FillWork y", "fill:2 C:\\a.exe").arguments, "fillwork C:\\a.exe");
  EXPECT_EQ(Compose("5,6,7,8 y", "fillwork,30 C:\\a.exe").arguments, "5,6,7,8,30 C:\\a.exe");
  EXPECT_EQ(Derive("fill C:\\Tools\\edit.exe -n", "C:\\D").path, "C:\\D\\Edit Tavrisol.lnk");
  EXPECT_TRUE(CapturedReports().empty());
  EXPECT_EQ(CheckPlacementInput("fil C:\\x.exe"), ShortcutInvalidCommand);
}

}  // namespace
