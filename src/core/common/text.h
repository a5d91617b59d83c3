#pragma once
// ASCII text helpers: the file formats and windows compare names and units without regard to
// letter case ("Kbps", " fps", " X "), and numeric fields accept what a user types.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

char toLowerAscii(char c);
std::string toLower(std::string_view s);
std::string toUpper(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
bool istartsWith(std::string_view s, std::string_view prefix);
// Position of needle in hay from `from`, ignoring ASCII case; npos when absent.
std::size_t ifind(std::string_view hay, std::string_view needle, std::size_t from = 0);
// Every occurrence replaced, ignoring ASCII case.
std::string ireplace(std::string_view s, std::string_view from, std::string_view to);
// Only the first occurrence, with exact case.
std::string replaceFirst(std::string_view s, std::string_view from, std::string_view to);
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);
// Pieces between delimiters (the delimiter matched ignoring case); an empty text gives one piece.
std::vector<std::string> isplit(std::string_view s, std::string_view delim);
std::string trim(std::string_view s);

// A four-character code as people can read it: printable ASCII as it is, any other byte as \xNN
// (a zero compression field shows as \x00\x00\x00\x00, never as NUL bytes that end a C string).
std::string printableCode(std::string_view code);
// Text from a file as the windows show it: up to the first NUL, control characters (escape
// sequences, bells, line ends) as blanks, other bytes as they are (UTF-8 stays UTF-8).
std::string displayText(std::string_view bytes);
// Bytes as valid UTF-8: well-formed sequences as they are, every other byte read as Latin-1 (a
// file name from an older system stays readable, and a JSON or Qt string stays well formed).
std::string validUtf8(std::string_view bytes);

// Text for a terminal: every byte a terminal would take as a command (control characters but tab,
// line feed and CR LF; DEL; the C1 controls; bytes that are not UTF-8) shown as '?', so that a
// name or a title from a file prints but cannot move the cursor, retitle or recolour the
// terminal. The bytes come in the pieces a stream writes; a sequence cut between two pieces is
// held back until the next one completes it.
class TerminalText {
public:
    std::string feed(std::string_view bytes);
    // What a sequence left unfinished at the end shows as.
    std::string finish();

private:
    std::string pending_;
};

// The numeric-text rule of the windows' field guards: optional surrounding blanks, optional sign,
// digits with at most one decimal separator ("." or ","), optional exponent; at least one digit.
bool isNumeric(std::string_view s);
// The value of a numeric text, or nothing when the text is not numeric.
std::optional<double> parseNumber(std::string_view s);
// A field's text read as a number where an empty or non-numeric field counts as 0.
double numberOr0(std::string_view s);

}  // namespace fw
