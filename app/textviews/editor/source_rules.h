// The small rules of source documents that need no document: the language of
// a path, the colouring mode a language gives its view, the line-number
// format of a line count and the name a Save As proposes.
#pragma once

#include <cstddef>
#include <string>

#include "text_colour.h"

namespace editor {

// `SourceLanguageCode`.
enum SourceLanguage : int {
    LANG_C = 1,
    LANG_CPP = 2,
    LANG_MIXED = 3,
    LANG_DISASSEMBLY = 4,
    LANG_MACRO = 5,
    LANG_ASSEMBLER = 6,
    LANG_PLM = 7,
    LANG_OTHER = 8,
};

// From the text after the last '.' of the whole path, without regard to case
// (a '.' that lies in a folder name still counts, as the system does).
int LanguageOfPath(const std::string& path);
// The colouring mode of a view of a document in that language.
TextColourMode ColourModeOfLanguage(int language);
// "%1d" for up to 9 lines, "%2d" for up to 99, ... growing past "%6d".
std::string LineNumberFormat(std::size_t lineCount);
// The file name a Save As proposes: the title cut at the first of " #%;/\",
// every '*' replaced by '0', and the template's extension cut at the first
// of " ;,:".
std::string ProposedFileName(const std::string& title, const std::string& extension);

}  // namespace editor
