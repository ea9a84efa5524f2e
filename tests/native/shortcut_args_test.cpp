#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <strings.h>

#include "editor/filechooser_seed.h"
#include "editor/shortcut_args.h"
#include "support/diag_capture.h"

namespace {

const char Desktop[] = "C:\\Users\\me\\Desktop";
const char Tav[] = "C:\\Tools\\tavrisol.exe";
const std::string OtherProgram = "Input starts ";
const std::string NotChanged = ".\nThe shortcut was not changed.";

// The system as the plan sees it: folders, shortcuts (by path) and other files.
struct FakeSystem {
  std::string desktop = Desktop;
  std::set<std::string> folders = {Desktop, "C:\\D", "C:\\Users\\first.last\\Desktop"};
  std::map<std::string, OldShortcut> shortcuts;
  std::set<std::string> files;
};

std::string WithoutTrailingSeparator(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

void DesktopOf(void* context, char* folder) {
  std::snprintf(folder, ShortcutTextSize, "%s", static_cast<FakeSystem*>(context)->desktop.c_str());
}

PathKind KindOf(void* context, const char* path) {
  auto* system = static_cast<FakeSystem*>(context);
  if (system->folders.count(WithoutTrailingSeparator(path))) return PathFolder;
  if (system->shortcuts.count(path) || system->files.count(path)) return PathFile;
  return PathMissing;
}

// The run's comparison as far as these rows need it: A-Z folded.
bool SameText(const char* a, const char* b) { return strcasecmp(a, b) == 0; }
bool NotGone(const char* program) { return std::strstr(program, "gone") == nullptr; }

ShortcutLoad Load(void* context, const char* path, OldShortcut* old) {
  auto* system = static_cast<FakeSystem*>(context);
  auto it = system->shortcuts.find(path);
  if (it == system->shortcuts.end()) return ShortcutNotLoadable;
  *old = it->second;
  return ShortcutLoaded;
}

OldShortcut Old(const std::string& arguments, const std::string& target,
                const std::string& icon = "") {
  OldShortcut old;
  std::memset(&old, 'x', sizeof old);
  std::snprintf(old.arguments, sizeof old.arguments, "%s", arguments.c_str());
  std::snprintf(old.target, sizeof old.target, "%s", target.c_str());
  std::snprintf(old.iconLocation, sizeof old.iconLocation, "%s", icon.c_str());
  old.iconIndex = 0;
  return old;
}

// What a plan says, as one text per field; the report for a refusal.
struct Planned {
  ShortcutPlanKind kind;
  std::string path, arguments, icon, directory, input, report;
};

Planned Plan(FakeSystem& system, const std::string& input, const std::string& output) {
  ClearCaptured();
  ShortcutPlanOps ops = {&system, DesktopOf, KindOf, Load, SameText, NotGone};
  ShortcutPlan plan;
  std::memset(&plan, 'x', sizeof plan);
  PlanShortcut(ops, input.c_str(), output.c_str(), &plan);
  Planned p{plan.kind, "", "", "", "", "", ""};
  if (!CapturedReports().empty())
    p.report = CapturedReports()[0].caption + ": " + CapturedReports()[0].text;
  EXPECT_LE(CapturedReports().size(), 1u);
  if (plan.kind == PlanRefused) {
    EXPECT_EQ(CapturedReports().size(), 1u) << "a refusal is reported once";
    return p;
  }
  p.path = plan.path;
  p.arguments = plan.arguments;
  if (plan.setIcon) p.icon = std::string(plan.iconLocation) + "," + std::to_string(plan.iconIndex);
  p.directory = plan.workingDirectory;
  p.input = plan.input;
  return p;
}

// One row: Input, Output, the shortcut that stands at the Output path (when
// oldArguments is given) and the plan expected. For a refusal, path holds the
// report ("Failure: ...").
struct Row {
  const char* what;
  std::string input, output;
  const char* oldArguments;
  std::string oldTarget, oldIcon;
  ShortcutPlanKind kind;
  std::string path, arguments = "", icon = "", directory = "";
};

const std::string D = std::string(Desktop) + "\\";
const std::string Notepad = "C:\\windows\\notepad.exe";
const std::string Invalid = "Failure: Invalid Command line.\n";
const std::string Missing =
    "Failure: Command line missing startup coords and sizes, or fill or fillwork.\n";

const Row rows[] = {
    // First use: no lists yet, an empty Output is a new shortcut on the desktop.
    {"first use", "10,20,640,480 " + Notepad, "", nullptr, "", "", PlanNewShortcut,
     D + "Notepad Tavrisol.lnk", "10,20,640,480 " + Notepad, Notepad + ",0", "C:\\windows"},
    // Second use: Output still names the first shortcut; another program is refused.
    {"second use, other program", "300,300,640,480 C:\\windows\\regedit.exe",
     D + "Notepad Tavrisol.lnk", "10,20,640,480 C:\\windows\\notepad.exe", Tav, "", PlanRefused,
     "Failure: " + OtherProgram + "C:\\windows\\regedit.exe, but the shortcut starts " + Notepad +
         NotChanged},
    {"plain numbers", "+0100,-0,0800,600  " + Notepad + "  ", "", nullptr, "", "", PlanNewShortcut,
     D + "Notepad Tavrisol.lnk", "100,0,800,600 " + Notepad, Notepad + ",0", "C:\\windows"},
    {"quoted program", "0,0,800,600 \"C:\\Program Files\\My App\\app.exe\"", "", nullptr, "", "",
     PlanNewShortcut, D + "App Tavrisol.lnk", "0,0,800,600 C:\\Program Files\\My App\\app.exe",
     "C:\\Program Files\\My App\\app.exe,0", "C:\\Program Files\\My App"},
    {"quoted program with arguments keeps its quotes", "0,0,1,1 \"C:\\P\\a.exe.d\\run.cmd\" -x", "",
     nullptr, "", "", PlanNewShortcut, D + "Run Tavrisol.lnk",
     "0,0,1,1 \"C:\\P\\a.exe.d\\run.cmd\" -x", "C:\\P\\a.exe.d\\run.cmd,0", "C:\\P\\a.exe.d"},
    {"arguments are not the program", "0,0,1,1 " + Notepad + " C:\\windows\\win.ini", "", nullptr,
     "", "", PlanNewShortcut, D + "Notepad Tavrisol.lnk",
     "0,0,1,1 " + Notepad + " C:\\windows\\win.ini", Notepad + ",0", "C:\\windows"},
    {"a program that is no path: its first word", "0,0,1,1 notepad C:\\docs\\a.txt", "", nullptr,
     "", "", PlanNewShortcut, D + "Notepad Tavrisol.lnk", "0,0,1,1 notepad C:\\docs\\a.txt", "",
     ""},
    {"/ read as \\, characters no file name holds replaced", "1,2,3,4 C:/windows/zz*b?.exe", "",
     nullptr, "", "", PlanNewShortcut, D + "Zz_b_ Tavrisol.lnk", "1,2,3,4 C:/windows/zz*b?.exe",
     "C:/windows/zz*b?.exe,0", "C:/windows"},
    {"a dot in the program's folder stays", "1,2,3,4 C:\\my.tools\\edit", "", nullptr, "", "",
     PlanNewShortcut, D + "Edit Tavrisol.lnk", "1,2,3,4 C:\\my.tools\\edit", "C:\\my.tools\\edit,0",
     "C:\\my.tools"},
    {"a drive's root keeps its backslash", "1,2,3,4 c:\\x.exe", "", nullptr, "", "",
     PlanNewShortcut, D + "X Tavrisol.lnk", "1,2,3,4 c:\\x.exe", "c:\\x.exe,0", "c:\\"},
    // Output says where the shortcut goes.
    {"a new path ending in .LNK", "1,2,3,4 " + Notepad, "C:\\D\\mine.LNK", nullptr, "", "",
     PlanNewShortcut, "C:\\D\\mine.LNK", "1,2,3,4 " + Notepad, Notepad + ",0", "C:\\windows"},
    {"a new path without .lnk, in quotes", "1,2,3,4 " + Notepad, " \"C:\\D\\mine\" ", nullptr, "",
     "", PlanNewShortcut, "C:\\D\\mine.lnk", "1,2,3,4 " + Notepad, Notepad + ",0", "C:\\windows"},
    {"a bare name lies on the desktop", "1,2,3,4 " + Notepad, "mine", nullptr, "", "",
     PlanNewShortcut, D + "mine.lnk", "1,2,3,4 " + Notepad, Notepad + ",0", "C:\\windows"},
    {"a folder takes the derived name", "1,2,3,4 " + Notepad, "C:\\D\\", nullptr, "", "",
     PlanNewShortcut, "C:\\D\\Notepad Tavrisol.lnk", "1,2,3,4 " + Notepad, Notepad + ",0",
     "C:\\windows"},
    {"a dot in the folder is never cut", "0,0,800,600 notepad", "C:\\Users\\first.last\\Desktop",
     nullptr, "", "", PlanNewShortcut, "C:\\Users\\first.last\\Desktop\\Notepad Tavrisol.lnk",
     "0,0,800,600 notepad"},
    {"a folder that does not exist", "1,2,3,4 " + Notepad, "C:\\Nowhere\\a.lnk", nullptr, "", "",
     PlanRefused, "Failure: No such folder:\nC:\\Nowhere\\"},
    {"a file that is no shortcut", "1,2,3,4 " + Notepad, "C:\\D\\text.lnk", nullptr, "", "",
     PlanRefused, "Failure: Not a shortcut:\nC:\\D\\text.lnk"},
    // Updates of placement shortcuts: the numbers and hold for the same program.
    {"placement: the old command stays", "-8,-8,1936,1056 C:\\Apps\\view.exe", "C:\\D\\v.lnk",
     "0,0,800,600 C:\\Apps\\view.exe -r", Tav, "", PlanUpdate, "C:\\D\\v.lnk",
     "-8,-8,1936,1056 C:\\Apps\\view.exe -r", "", ""},
    {"placement: Input's own arguments", "1,1,2,2 C:\\Apps\\VIEW.exe -n", "C:\\D\\v.lnk",
     "0,0,800,600 C:\\Apps\\view.exe -r", Tav, "", PlanUpdate, "C:\\D\\v.lnk",
     "1,1,2,2 C:\\Apps\\VIEW.exe -n", "", ""},
    {"placement: the hold stays", "5,6,7,8 C:\\a.exe", "C:\\D\\v.lnk", "1,2,3,4,600 C:\\a.exe", Tav,
     "", PlanUpdate, "C:\\D\\v.lnk", "5,6,7,8,600 C:\\a.exe", "", ""},
    {"placement: a new hold", "5, 6,7,8,30 C:\\a.exe", "C:\\D\\v.lnk", "1,2,3,4,600 C:\\a.exe", Tav,
     "", PlanUpdate, "C:\\D\\v.lnk", "5,6,7,8,30 C:\\a.exe", "", ""},
    {"placement: a fifth number 0 removes the hold", "5,6,7,8,0 C:\\a.exe", "C:\\D\\v.lnk",
     "1,2,3,4,600 C:\\a.exe", Tav, "", PlanUpdate, "C:\\D\\v.lnk", "5,6,7,8 C:\\a.exe", "", ""},
    // Fill words replace, and are replaced by, the numbers as the run reads them.
    {"fill word: the hold and command stay", "fill:2 C:\\a.exe", "C:\\D\\v.lnk",
     "1,2,3,4,600 C:\\a.exe -r", Tav, "", PlanUpdate, "C:\\D\\v.lnk", "fill:2,600 C:\\a.exe -r", "",
     ""},
    {"fill word in another case, over a fill word", "FillWork C:\\a.exe", "C:\\D\\v.lnk",
     "fill:2 C:\\a.exe", Tav, "", PlanUpdate, "C:\\D\\v.lnk", "fillwork C:\\a.exe", "", ""},
    {"numbers over a fill word keep its hold", "5,6,7,8 C:\\a.exe", "C:\\D\\v.lnk",
     "fillwork,30 C:\\a.exe", Tav, "", PlanUpdate, "C:\\D\\v.lnk", "5,6,7,8,30 C:\\a.exe", "", ""},
    {"a new fill shortcut is named after the program", "fill,0 C:\\Tools\\edit.exe -n", "", nullptr,
     "", "", PlanNewShortcut, D + "Edit Tavrisol.lnk", "fill C:\\Tools\\edit.exe -n",
     "C:\\Tools\\edit.exe,0", "C:\\Tools"},
    {"placement without a command", "0,0,800,600 C:\\Apps\\view.exe", "C:\\D\\v.lnk", "1,2,3,4",
     Tav, "", PlanRefused, Invalid + "1,2,3,4"},
    // Updates of ordinary shortcuts keep the program and its icon.
    {"ordinary without an icon gets its program's", "0,0,800,600 C:\\Apps\\view.exe",
     "C:\\D\\o.lnk", "-r notes.txt", "C:\\Apps\\view.exe", "", PlanUpdate, "C:\\D\\o.lnk",
     "0,0,800,600 C:\\Apps\\view.exe -r notes.txt", "C:\\Apps\\view.exe,0", ""},
    {"ordinary with an icon keeps it", "0,0,8,6 \"C:\\Apps\\view.exe\"", "C:\\D\\o.lnk", "",
     "C:\\Apps\\view.exe", "C:\\i.ico", PlanUpdate, "C:\\D\\o.lnk", "0,0,8,6 C:\\Apps\\view.exe ",
     "", ""},
    {"fewer than four old numbers are ordinary arguments", "1,1,1,1 C:\\a.exe", "C:\\D\\o.lnk",
     "1,2,3 C:\\x.exe", "C:\\a.exe", "C:\\a.exe", PlanUpdate, "C:\\D\\o.lnk",
     "1,1,1,1 C:\\a.exe 1,2,3 C:\\x.exe", "", ""},
    {"ordinary of another program", "0,0,8,6 C:\\Other\\x.exe", "C:\\D\\o.lnk", "-r",
     "C:\\Apps\\view.exe", "", PlanRefused,
     "Failure: " + OtherProgram + "C:\\Other\\x.exe, but the shortcut starts C:\\Apps\\view.exe" +
         NotChanged},
    // What the run would not read is refused in its words.
    {"no command", "0,0,1280,1024", "", nullptr, "", "", PlanRefused, Invalid + "0,0,1280,1024"},
    {"a tab is no space", "0,0,800,600\tC:\\a.exe", "", nullptr, "", "", PlanRefused,
     Invalid + "0,0,800,600\tC:\\a.exe"},
    {"no numbers", "C:\\Program Files\\Game\\game.exe", "", nullptr, "", "", PlanRefused,
     Missing + "C:\\Program Files\\Game\\game.exe"},
    {"a pick without its program", "1,2,3,4  ", "", nullptr, "", "", PlanRefused,
     Invalid + "1,2,3,4  "},
    {"a space only among the numbers", "1, 2,3,4", "", nullptr, "", "", PlanRefused,
     Invalid + "1, 2,3,4"},
    {"a height below 1, in the parser's words", "1,2,3,0 C:\\a.exe", "", nullptr, "", "",
     PlanRefused, "Failure: Size 3x0: width and height must be 1 or more.\n1,2,3,0 C:\\a.exe"},
    {"a program that is not there, named", "1,2,3,4 \"C:\\gone.exe\" -x", "", nullptr, "", "",
     PlanRefused, "Failure: Program not found.\nC:\\gone.exe\nsystem text 2"},
    {"a hold out of range", "1,2,3,4,86401 C:\\a.exe", "", nullptr, "", "", PlanRefused,
     "Failure: Hold seconds out of range (0 to 86400):\n1,2,3,4,86401 C:\\a.exe"},
};

TEST(ShortcutPlan, EachCaseOfOk) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakeSystem system;
    system.files.insert("C:\\D\\text.lnk");
    if (row.oldArguments)
      system.shortcuts[row.output] = Old(row.oldArguments, row.oldTarget, row.oldIcon);
    Planned p = Plan(system, row.input, row.output);
    EXPECT_EQ(p.kind, row.kind);
    if (row.kind == PlanRefused) {
      EXPECT_EQ(p.report, row.path);
      continue;
    }
    EXPECT_EQ(p.report, "");
    EXPECT_EQ(p.path, row.path);
    EXPECT_EQ(p.arguments, row.arguments);
    EXPECT_EQ(p.icon, row.icon);
    EXPECT_EQ(p.directory, row.directory);
    if (row.kind == PlanNewShortcut) {
      EXPECT_EQ(p.input, row.arguments);
    }
  }
}

TEST(ShortcutPlan, NewShortcutTakesTheNextFreeName) {
  FakeSystem system;
  system.files = {D + "Notepad Tavrisol.lnk", D + "Notepad Tavrisol (2).lnk"};
  EXPECT_EQ(Plan(system, "1,1,1,1 notepad.exe", "").path, D + "Notepad Tavrisol (3).lnk");
  for (int n = 3; n <= 98; ++n)
    system.files.insert(D + "Notepad Tavrisol (" + std::to_string(n) + ").lnk");
  EXPECT_EQ(Plan(system, "1,1,1,1 notepad.exe", "").path, D + "Notepad Tavrisol (99).lnk");
  system.files.insert(D + "Notepad Tavrisol (99).lnk");
  Planned p = Plan(system, "1,1,1,1 notepad.exe", "");
  EXPECT_EQ(p.kind, PlanRefused);
  EXPECT_EQ(p.report, "Failure: No free shortcut name: " + D +
                          "Notepad Tavrisol.lnk and 98 numbered ones are taken");
}

TEST(ShortcutPlan, OverlongTextsAreRefusedWholeNeverCut) {
  FakeSystem system;
  std::string input = "0,0,1,1 C:\\" + std::string(140, 'a') + ".exe";  // 155 characters
  std::string program = input.substr(8);
  std::string old(103, 'o');  // 155 + 1 + 103 = 259
  system.shortcuts["C:\\D\\o.lnk"] = Old(old, program);
  EXPECT_EQ(Plan(system, input, "C:\\D\\o.lnk").arguments, input + " " + old);
  old += "o";
  system.shortcuts["C:\\D\\o.lnk"] = Old(old, program);
  EXPECT_EQ(
      Plan(system, input, "C:\\D\\o.lnk").report,
      "Failure: Shortcut arguments too long (260 characters, at most 259):\n" + input + " " + old);

  // Counted as the system counts them: 255 CJK characters (765 bytes) and
  // "1,1,1,1 " make 263.
  std::string cjk = "1,1,1,1 ";
  for (int i = 0; i < 251; ++i) cjk += "\xE6\x97\xA5";
  EXPECT_EQ(Plan(system, cjk, "C:\\D\\x").kind, PlanNewShortcut);
  cjk += "\xF0\x9F\x8E\xAE";
  EXPECT_EQ(Plan(system, cjk, "C:\\D\\x").report,
            "Failure: Shortcut arguments too long (261 characters, at most 259):\n" + cjk);

  // A deep desktop: the derived path is refused whole.
  system.desktop = "C:\\" + std::string(243, 'd');
  system.folders.insert(system.desktop);
  EXPECT_EQ(Plan(system, "1,1,1,1 C:\\a.exe", "").report,
            "Failure: Shortcut path too long (261 characters, at most 259):\n" + system.desktop +
                "\\A Tavrisol.lnk");
  system.desktop.resize(system.desktop.size() - 2);
  system.folders.insert(system.desktop);
  EXPECT_EQ(Plan(system, "1,1,1,1 C:\\a.exe", "").path.size(), 259u);
}

TEST(ShortcutPlan, OneSurroundingPairOfQuotesIsTakenOff) {
  char quoted[] = "\"C:\\a b\\x.lnk\"", half[] = "\"C:\\x.lnk";
  RemoveSurroundingQuotes(quoted);
  RemoveSurroundingQuotes(half);
  EXPECT_STREQ(quoted, "C:\\a b\\x.lnk");
  EXPECT_STREQ(half, "\"C:\\x.lnk");
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

}  // namespace
