// Column arithmetic of the text views. A column is a byte index into a line;
// the caret and the selection ends stand on character boundaries, where a
// character is one UTF-8 sequence, or one byte that starts none (an invalid
// byte is a character of its own). Every character takes one cell on the
// screen; a tab advances to the next multiple of 4 cells.
#pragma once

#include <cstddef>
#include <string_view>

namespace textcore {

inline constexpr int kTabWidth = 4;
inline constexpr int kMaxLineLength = 255;  // characters a typed line may hold
inline constexpr int kMaxLines = 32767;     // lines text with line breaks may be inserted into
inline constexpr int kScrollColumns = 256;  // the horizontal scroll range

// Bytes of the character at `pos` (1 for an invalid byte, 0 at the end).
std::size_t CharLength(std::string_view text, std::size_t pos);
// The boundary after / before `pos` (clamped to the text).
std::size_t NextCharPos(std::string_view text, std::size_t pos);
std::size_t PrevCharPos(std::string_view text, std::size_t pos);
// Moves `pos` back onto the start of the character that holds it.
std::size_t AlignToChar(std::string_view text, std::size_t pos);
// Byte column <-> count of characters in front of it.
int ColumnToCharCount(std::string_view text, int column);
int CharCountToColumn(std::string_view text, int count);
// Number of characters in the text.
int CharCount(std::string_view text);

// `GetLineLength` of a given text: bytes before the first CR, LF or NUL.
int TextLength(std::string_view text);
// `ColumnAfterText`: from `column`, each character adds 1 and a tab goes to the
// next multiple of 4; stops at CR, LF or NUL.
int ColumnAfterText(std::string_view text, int column);
// `TabbedWidth`: each character counts 1, a tab 4 (no alignment).
int TabbedWidth(std::string_view text);
// The display cell of byte column `column` (tabs aligned to multiples of 4 from
// the line start).
int CellOfColumn(std::string_view text, int column);

// `GetClosingPair`: the character that closes an opening one, else 0.
char GetClosingPair(int ch);
// Letters, digits and '_' (the whole-word test and the word before an edit).
bool IsWordChar(unsigned char ch);

}  // namespace textcore
