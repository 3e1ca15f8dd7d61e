// Macro files (".mac"): VBScript text whose procedures the macro dialog
// lists and runs. CMacroFileReader finds the procedures line by line:
// a line that starts (after blanks) with "Sub " opens one, named by the
// rest of the line ("Sub Main()" gives "Main()"); a line whose first word
// is "End" followed by a word beginning "Sub" closes it. Matching is
// case-sensitive. A file that ends inside a procedure is reported (32826).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shell {

// One procedure of a macro file.
struct MacroSub {
    std::string name;
};

class CMacroFileReader {
public:
    // Opens the file for reading only (it is never written); a file that
    // cannot be opened or read raises CFileException.
    explicit CMacroFileReader(const std::string& path);
    // A reader over text already in memory.
    static CMacroFileReader FromText(std::string text);

    // From the start of the file: 1 with the first procedure, else 0.
    int FirstSub(MacroSub& record);
    // The next procedure: 1, or 0 at the end of the file (reporting 32826
    // when the file ends inside a procedure).
    int NextSub(MacroSub& record);
    // Whether the last NextSub ended inside an unterminated procedure.
    bool EndedInsideSub() const { return unterminated_; }

private:
    CMacroFileReader() = default;
    bool ReadString(std::string_view& line);
    std::string text_;
    size_t pos_ = 0;
    bool inside_ = false;
    bool unterminated_ = false;
};

// Every procedure of one reader, in file order.
std::vector<std::string> MacroProcedures(CMacroFileReader& reader);

// What loading the macro files gives: their texts joined, in list order,
// for the script server, and the procedure names of every file (they
// accumulate: a macro button of an earlier file keeps its procedure).
struct MacroLoad {
    bool ok = true;  // false: a file could not be read (reported with 32856)
    std::string script;
    std::vector<std::string> procedures;
};
MacroLoad ReadMacroFiles(const std::vector<std::string>& files);

// The name the macro dialog shows for a file: after the last backslash (or
// slash), cut before the first dot.
std::string MacroFileTitle(const std::string& path);

}  // namespace shell
