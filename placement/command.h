// The placement command line, "left,top,width,height command", and its parsed
// form.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/commandline.h"
#include "base/request.h"

enum PlacementParse {
  PlacementParsed,
  PlacementMissingCoordinates,  // neither four numbers nor a fill word at the start
  PlacementNoCommand,           // no space after the numbers (or the word)
  PlacementBadSize,             // a width or height below 1
};

// The run's refusals of a line it cannot parse, each with the line as received;
// the editor refuses what it would write in the same words.
extern const char MissingCoordinatesMessage[];  // "...coords and sizes, or fill...\n%s"
extern const char InvalidCommandMessage[];      // "Invalid Command line.\n%s"

// Shows the parser's refusal of line, as received, in a "Failure" box; the
// run and the editor both refuse a line this way.
void ReportPlacementRefusal(PlacementParse result, const PlacementRequest& request,
                            const char* line);

// Shows that a program's file is not there, before anything is started or
// saved: "Program not found.", the command (or program) and the system's
// reason. The run and the editor both report it this way.
void ReportProgramMissing(const char* program);

// The number in [text, end) when that text is a comma and nothing but digits;
// HoldAbsent for any other text, HoldOutOfRange past HoldSecondsLimit.
enum { HoldAbsent = -1, HoldOutOfRange = -2 };
int32_t ReadHoldNumber(const char* text, const char* end);

// Reads the four numbers, or a fill word ("fill", "fillwork", either with
// ":N", and nothing else up to a comma or the space), and finds the command
// after the first space that follows them, so blanks among the numbers never
// cut it. A width or height below 1 is refused. A number from 1 to
// HoldSecondsLimit, standing alone between a comma after the fourth number
// (or the word) and that space, asks for a hold; anything else after the
// numbers is ignored, as it always was. Trailing whitespace is cut off the
// command by writing zeros over it, so commandLine loses it too. request is
// filled only when the result is PlacementParsed, and its width and height
// also for PlacementBadSize.
PlacementParse ParsePlacementCommand(char* commandLine, PlacementRequest* request);

// The program of a command, without its arguments: the quoted part, or up to
// the end of the first ".exe" that ends a word, or the whole command when its
// first word is a path (a folder may hold blanks), else that first word.
// Returns its start, sets *length and *rest (what follows it).
const char* ProgramOfCommand(const char* command, size_t* length, const char** rest);

// The command's arguments as its program receives them: what follows the
// program part (ProgramOfCommand), without the blanks at either end. Returns
// their start and sets *length (0 when there are none).
const char* ArgumentsOfCommand(const char* command, size_t* length);

// The arguments in a process's command line: what follows its program part,
// which the system splits off as the quoted part or else up to the first space
// or tab, without the blanks at either end.
const char* ArgumentsOfProcessLine(const char* line, size_t* length);

// Reads arguments one byte at a time as the system splits them for a program
// (CommandLineToArgvW after the program's name): spaces and tabs outside
// quotes part them; 2n backslashes and a quote give n backslashes, the quote
// opening or closing a quoted part, and 2n+1 give n and a literal quote; other
// backslashes stand as they are. A run of quotes is counted together with the
// quote that opened a quoted part it falls in: every third of the count is a
// literal quote, and a quoted part follows only when one is left over
// ("a""b" c gives a"b c, one argument).
struct ArgumentReader {
  const char* at;  // the next byte to read
  const char* end;
  size_t backslashes = 0;  // read, still to give
  size_t quotes = 0;       // literal quotes to give after them
  int quoting = 0;         // 1 within a quoted part
  bool inArgument = false;
};
enum { ArgumentEnd = -1, ArgumentsEnd = -2 };
// The next byte (0 to 255); ArgumentEnd after each argument, then ArgumentsEnd.
int NextArgumentUnit(ArgumentReader* reader);

// Whether a process given line runs with the command's arguments: both split
// as the program receives them, the blanks at the ends ignored, and compared
// byte for byte (both in UTF-8, so that no character is lost to a code page).
bool SameArguments(const char* command, const char* line);

// FNV-1a over 64 bits, as the marks on placed windows hash: its start, and a
// unit (a byte, or a UTF-16 unit) added.
const uint64_t HashStart = 14695981039346656037ull;
inline uint64_t HashUnit(uint64_t hash, uint32_t unit) { return (hash ^ unit) * 1099511628211ull; }
// hash with every byte of the command's arguments added as SameArguments
// splits them, a 0 after each argument; hash itself when there are none.
uint64_t HashArguments(uint64_t hash, const char* command);

// Writes the command with its program part in double quotes, then what
// follows that part as it stands, so that the program started is exactly the
// program part, blanks and all. False when it does not fit in size bytes.
bool QuoteProgramPart(const char* command, char* quoted, size_t size);

// A path that names its drive or share ("C:\\..." or "\\\\server\\..."), so it
// cannot depend on the current folder or the program search order.
bool IsAbsolutePath(const char* path);

// True when text begins with what the run reads as the window's place: four
// numbers or a fill word.
bool BeginsWithPlacementArea(const char* text);
