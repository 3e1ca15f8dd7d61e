#include "buildtools/makefile_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>

#include "buildtools/options.h"
#include "buildtools/paths.h"

namespace fendrix {

namespace {

struct ToolLine {
    const char* name;
    const char* tool;
};

// Debian has one tool chain for ARM and Thumb code alike.
constexpr ToolLine kTools[] = {{"CC", "arm-none-eabi-gcc"},
                               {"CXX", "arm-none-eabi-g++"},
                               {"OBJCOPY", "arm-none-eabi-objcopy"},
                               {"AR", "arm-none-eabi-ar"},
                               {"LD", "arm-none-eabi-ld"}};

bool IsLibrary(int32_t projectType)
{
    return projectType == 1 || projectType == 3;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Extension from the last '.' of the file name, with its dot; "" when none.
std::string LastExtension(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

enum class Compile { none, c, assembler, cxx };

Compile CompileOf(const std::string& path)
{
    const std::string ext = Lower(LastExtension(path));
    if (ext == ".c")
        return Compile::c;
    if (ext == ".s" || ext == ".asm")
        return Compile::assembler;
    if (ext == ".cpp" || ext == ".cxx")
        return Compile::cxx;
    return Compile::none;
}

// A source with a compile command makes <name>.o in the project folder (the
// compiler replaces only the final extension); other files keep their name.
std::string ObjectName(const std::string& path)
{
    const std::string name = FileNameOf(path);
    if (CompileOf(path) == Compile::none)
        return name;
    return name.substr(0, name.rfind('.')) + ".o";
}

// A name as make reads it in a rule or a list: '$' doubled; blanks, '#',
// ':' and '\' escaped with a backslash.
std::string MakeWord(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '$')
            out += "$$";
        else if (c == ' ' || c == '#' || c == ':' || c == '\\' || c == '%')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out;
}

// A text inside the shell's double quotes of a makefile variable: what the
// shell acts on there gets a backslash, '$' is doubled for make and '#' is
// escaped so make does not take it for a comment.
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '$')
            out += "\\$$";
        else if (c == '`' || c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '#')
            out += "\\#";
        else
            out += c;
    }
    return out + "\"";
}

// A source path in a recipe: as it stands when it holds nothing the shell
// or make acts on, else in single quotes.
std::string ShellWord(const std::string& text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '/' || c == '-' || c == '+';
    });
    if (plain)
        return text;
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else if (c == '$')
            out += "$$";
        else
            out += c;
    }
    return out + "'";
}

// A source path as the build sees it from the project folder: relative when
// it lies below the project folder.
std::string SourcePath(const std::string& path, const std::string& projectDir)
{
    std::string p = Slashed(path);
    if (!projectDir.empty() && p.size() > projectDir.size() + 1 && p.compare(0, projectDir.size(), projectDir) == 0 &&
        p[projectDir.size()] == '/')
        p = p.substr(projectDir.size() + 1);
    return p;
}

// Items of a ";"-ended list; a last item without its ";" counts too.
std::vector<std::string> ListItems(const std::string& text)
{
    std::vector<std::string> items;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(';', at);
        if (end == std::string::npos)
            end = text.size();
        items.push_back(Slashed(text.substr(at, end - at)));
        at = end + 1;
    }
    return items;
}

// "0x8000" is written "8000" (ld reads -Ttext as hexadecimal); "0x0" keeps one digit.
std::string AddressText(const std::string& text)
{
    if (text.compare(0, 2, "0x") != 0)
        return text;
    const size_t first = text.find_first_not_of("0x");
    return first == std::string::npos ? std::string("0") : text.substr(first);
}

std::string TimeLine()
{
    char buffer[128] = {};
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    strftime(buffer, sizeof buffer, "%c", &local);
    return buffer;
}

}  // namespace

std::string MakefilePath(const CompilerInfo& info)
{
    return WithExtension(info.projectPath, "mak");
}

std::string MakefileText(const CompilerInfo& info, const ModuleState& state, const std::string& timeText)
{
    const std::string projectDir = FolderOf(info.projectPath);
    std::vector<std::string> notes;
    const std::string compilerOptions = TranslateOptions(info.compilerOptions, state.bigEndian, notes);
    const std::string assemblerOptions = TranslateOptions(info.assemblerOptions, state.bigEndian, notes);
    const std::string linkerOptions = TranslateOptions(info.linkerOptions, state.bigEndian, notes);

    std::string mk;
    const std::string projectName = FileNameOf(WithExtension(info.projectPath, "x"));
    mk += "# " + projectName.substr(0, projectName.size() - 2) + " Makefile\n";
    mk += "# This is a generated file-do not edit\n";
    mk += "# " + timeText + "\n";
    for (const std::string& note : notes)
        mk += "# " + note + "\n";
    mk += "\n";

    // Source lists by kind; only an interwork project keeps them apart.
    std::vector<std::string> lists[3];
    for (const ModuleEntryPtr& entry : info.modules)
        if (entry && entry->kind >= 0 && entry->kind <= 2)
            lists[entry->kind].push_back(SourcePath(entry->path, projectDir));
    const bool interwork = info.projectType == 4;
    if (!interwork) {
        lists[0].insert(lists[0].end(), lists[2].begin(), lists[2].end());
        lists[0].insert(lists[0].end(), lists[1].begin(), lists[1].end());
        lists[1].clear();
        lists[2].clear();
    }
    std::vector<std::string> all = lists[0];
    all.insert(all.end(), lists[1].begin(), lists[1].end());
    all.insert(all.end(), lists[2].begin(), lists[2].end());

    for (const ToolLine& tool : kTools)
        mk += std::string(tool.name) + ":= " + tool.tool + "\n";

    mk += "OUTPUT_DIR:= " + MakeWord(Slashed(state.outputDir)) + " \n";
    std::string outputName = FileNameOf(info.outputPath);
    std::string relative = RelativeFolder(projectDir, FolderOf(info.outputPath));
    if (outputName.empty()) {
        // No output path yet: the module's name, in the project folder.
        outputName = state.outputName.empty() ? FileNameOf(WithExtension(info.projectPath, "elf")) : state.outputName;
        relative = "./";
    }
    mk += "OUTPUT_NAME:= " + MakeWord(relative + outputName) + " \n";

    const std::vector<std::string> libraryDirs = ListItems(info.extraText7);
    if (libraryDirs.size() >= 1)
        mk += "LIB:= " + Quoted(libraryDirs[0]) + "\n";
    if (libraryDirs.size() >= 2)
        mk += "GCCLIB:= " + Quoted(libraryDirs[1]) + "\n\n";

    mk += "TEXT =   " + AddressText(state.textAddress) + "\n";
    mk += "BSS =   " + AddressText(state.bssAddress) + "\n";
    mk += "DATA =   " + AddressText(state.dataAddress) + "\n\n";

    mk += "INC_PATH:= ";
    if (!state.includeDirs.empty()) {
        for (const std::string& dir : state.includeDirs) {
            std::string d = Slashed(dir);
            if (d.size() > 1 && d.back() == '/')
                d.pop_back();
            mk += "-I" + Quoted(d) + " ";
        }
        mk += "\\\n";
    }
    for (const std::string& item : ListItems(info.extraText1))
        if (!item.empty())
            mk += "-I" + Quoted(item) + " ";
    mk += "\n";

    // Definitions: empty words (double blanks) are skipped, never a bare -D.
    std::vector<std::string> words;
    for (size_t at = 0; at < state.definitions.size();) {
        size_t end = state.definitions.find(' ', at);
        if (end == std::string::npos)
            end = state.definitions.size();
        if (end > at)
            words.push_back(state.definitions.substr(at, end - at));
        at = end + 1;
    }
    mk += "DEFINE := \t";
    for (size_t i = 0; i < words.size(); ++i)
        mk += "-D" + MakeWord(words[i]) + (i + 1 < words.size() ? "\\\n\t\t" : "");
    mk += "\n";

    if (state.bigEndian)
        mk += "ENDIAN_AS := -Wa,-EB\nENDIANFLAG := -mbig-endian  -A 'endian(big)'\n";
    else
        mk += "ENDIAN_AS := -Wa,-EL\nENDIANFLAG := -mlittle-endian  -A 'endian(little)'\n";

    std::string flags = "-fno-rtti -DMACHINE_TYPE_ARM " + compilerOptions;
    if (info.projectType == 2 || info.projectType == 3)
        AppendUnlessFound(flags, "-mthumb");
    flags = TrimLeadingBlanks(flags);
    if (interwork) {
        AppendUnlessFound(flags, "-marm");
        AppendUnlessFound(flags, "-mthumb-interwork");
    }
    const std::string flagsHead = "$(INC_PATH) $(DEFINE) $(ENDIANFLAG) ";
    mk += "CFLAGS:= " + flagsHead + flags + "\n";
    if (interwork) {
        std::string thumb = flags;
        AppendUnlessFound(thumb, "-mthumb");
        AppendUnlessFound(thumb, "-mthumb-interwork");
        mk += "CFLAGS_THUMB:= " + flagsHead + thumb + "\n";
    }
    std::string asFlags = TrimLeadingBlanks("-x assembler-with-cpp " + assemblerOptions);
    AppendOption(asFlags, "$(ENDIAN_AS)");
    mk += "ASFLAGS:= " + asFlags + "\n";
    if (!TrimLeadingBlanks(linkerOptions).empty())
        mk += "LDFLAGS:=" + TrimLeadingBlanks(linkerOptions) + "\n";

    if (!state.userLinkScript) {
        const std::string script = WithExtension(info.projectPath, "ld");
        mk += "LINK_DIR:= " + Quoted(FolderOf(script)) + "\n";
        mk += "LINK_SCRIPT:= " + Quoted(script) + "\n";
    } else {
        mk += "LINK_DIR:= " + Quoted(FolderOf(state.userLinkScriptPath)) + "\n";
        mk += "LINK_SCRIPT:= " + Quoted(FileNameOf(state.userLinkScriptPath)) + "\n";
    }

    std::string libs = Slashed(state.libraries);
    if (libraryDirs.size() >= 2) {
        AppendOption(libs, "$(LIB)/libc.a");
        AppendOption(libs, "$(GCCLIB)/libgcc.a");
    }
    mk += "LIBS:= " + libs + "\n\n";

    mk += "SOURCES= ";
    for (const std::string& path : all) {
        const std::string ext = Lower(LastExtension(path));
        if (ext == ".c" || ext == ".s")
            mk += MakeWord(path) + " ";
    }
    mk += "\n";

    mk += "OBJECTS:= ";
    for (const std::string& path : all)
        mk += MakeWord(ObjectName(path)) + " ";
    mk += "\n\n";

    // `all` comes before the dependency files so that it stays the default goal.
    mk += "all: $(OBJECTS) $(OUTPUT_NAME) \n\n";
    mk += "ifneq ($(wildcard *.d), )\ninclude $(wildcard *.d) \nendif\n\n";

    auto rule = [&](const std::string& path, bool thumb) {
        const std::string cflags = thumb ? "$(CFLAGS_THUMB)" : "$(CFLAGS)";
        mk += MakeWord(ObjectName(path)) + ": " + MakeWord(path) + "\n\t";
        switch (CompileOf(path)) {
        case Compile::c: mk += "$(CC) -c " + cflags + " " + ShellWord(path) + "\n"; break;
        case Compile::assembler: mk += "$(CC) -c " + cflags + " $(ASFLAGS) " + ShellWord(path) + "\n"; break;
        case Compile::cxx: mk += "$(CXX) -c " + cflags + " " + ShellWord(path) + "\n"; break;
        case Compile::none: mk += "\n"; break;
        }
    };
    for (const std::string& path : lists[0])
        rule(path, false);
    for (const std::string& path : lists[2])
        rule(path, false);
    for (const std::string& path : lists[1])
        rule(path, true);

    // Objects follow the makefile: changed options or addresses rebuild them.
    mk += "$(OBJECTS): " + MakeWord(FileNameOf(MakefilePath(info))) + "\n";
    if (IsLibrary(info.projectType)) {
        mk += "$(OUTPUT_NAME): $(OBJECTS)\n\t$(AR) rcs $(OUTPUT_NAME) $(OBJECTS)\n\n";
    } else if (!state.userLinkScript) {
        mk += "$(OUTPUT_NAME): $(OBJECTS) \n\t$(LD) -Ttext $(TEXT) -Tdata $(DATA) -Tbss $(BSS) $(LDFLAGS) "
              "-L$(LINK_DIR) -T$(LINK_SCRIPT) -o $@ $^ $(LIBS) \n\n";
    } else {
        mk += "$(OUTPUT_NAME): $(OBJECTS) \n\t$(LD) -Ttext $(TEXT) -Tdata $(DATA) -Tbss $(BSS) $(LDFLAGS) "
              "-L$(LINK_DIR) -T$(LINK_SCRIPT) -o $@ $^ $(LIBS)\n\n";
    }
    mk += ".PHONY: clean\nclean:\n\trm -f *.o \n\trm -f $(OUTPUT_NAME) \n\t\n\n# End Of File\n";
    return mk;
}

bool ReplaceFile(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    unlink(temporary.c_str());
    return false;
}

namespace {

// The makefile without its third line (the time it was written).
std::string WithoutTimeLine(const std::string& text)
{
    size_t start = 0;
    for (int line = 0; line < 2 && start != std::string::npos; ++line) {
        start = text.find('\n', start);
        if (start != std::string::npos)
            ++start;
    }
    if (start == std::string::npos)
        return text;
    const size_t end = text.find('\n', start);
    return end == std::string::npos ? text.substr(0, start) : text.substr(0, start) + text.substr(end + 1);
}

std::string FileText(const std::string& path)
{
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

}  // namespace

bool WriteMakefile(const CompilerInfo& info, const ModuleState& state)
{
    if (info.projectPath.empty())
        return false;
    const std::string path = MakefilePath(info);
    const std::string text = MakefileText(info, state, TimeLine());
    // The objects depend on the makefile: an unchanged one keeps its time, so
    // writing it again does not force a full rebuild.
    const std::string old = FileText(path);
    if (!old.empty() && WithoutTimeLine(old) == WithoutTimeLine(text))
        return true;
    return ReplaceFile(path, text);
}

}  // namespace fendrix
