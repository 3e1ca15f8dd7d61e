#include "buildtools/option_pages.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "buildtools/options.h"

namespace fendrix {

namespace {

std::vector<CheckSwitch> Table(std::initializer_list<std::pair<const char*, const char*>> rows)
{
    std::vector<CheckSwitch> checks;
    for (const auto& [label, option] : rows)
        checks.push_back({label, option, 0, true});
    return checks;
}

// Exact, case-sensitive whole-word search: "-s" is neither "-S" nor part of "-static".
size_t ExactWordAt(const std::string& line, const std::string& word)
{
    for (size_t at = line.find(word); at != std::string::npos; at = line.find(word, at + 1)) {
        const size_t end = at + word.size();
        if ((at == 0 || line[at - 1] == ' ') && (end == line.size() || line[end] == ' '))
            return at;
    }
    return std::string::npos;
}

bool IsExact(const std::string& option)
{
    return option == "-s" || option == "-S";
}

bool Exists(const std::string& path, bool folder)
{
    std::error_code ec;
    return folder ? std::filesystem::is_directory(path, ec) : std::filesystem::is_regular_file(path, ec);
}

}  // namespace

bool IsHexValue(const std::string& text)
{
    size_t at = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') ? 2 : 0;
    const size_t digits = text.size() - at;
    if (digits == 0 || digits > 8)
        return false;
    for (; at < text.size(); ++at)
        if (!std::isxdigit(static_cast<unsigned char>(text[at])))
            return false;
    return true;
}

// General ------------------------------------------------------------------

CPageTAC::CPageTAC(const ModuleState& state)
    : CBasePropertyPage(118, "General"), outputName(state.outputName), outputDir(state.outputDir),
      useBatch(state.customBuild ? 1 : 0)
{}

std::string CPageTAC::Validate() const
{
    if (outputName.empty())
        return "You must enter a file name!";
    if (outputDir.empty())
        return "You must Enter a path!";
    if (!Exists(outputDir, true))
        return "You must enter an existed path";
    if (useBatch && batchFile.empty())
        return "You must enter an file name!";
    if (useBatch && !Exists(batchFile, false))
        return "You must enter an existed batch file";
    return {};
}

void CPageTAC::Apply(PageTexts&, ModuleState& state)
{
    state.outputName = outputName;
    state.outputDir = outputDir;
    state.customBuild = useBatch != 0;
}

void CPageTAC::StoreFields(PageWriter& out) const
{
    out.Word(static_cast<uint32_t>(projectType));
    out.Text(outputName);
    out.Text(outputDir);
    out.Text(buildExtension);
    out.Word(static_cast<uint32_t>(useBatch));
    out.Text(batchFile);
}

bool CPageTAC::LoadFields(PageReader& in, uint32_t, ModuleState&)
{
    uint32_t type = 0;
    int32_t batch = 0;
    std::string name, dir, ext, file;
    if (!in.Word(type) || type >= std::size(kProjectTypes) || !in.Text(name) || !in.Text(dir) || !in.Text(ext) ||
        !in.Flag(batch) || !in.Text(file))
        return false;
    projectType = static_cast<int32_t>(type);
    outputName = std::move(name);
    outputDir = std::move(dir);
    buildExtension = std::move(ext);
    useBatch = batch;
    batchFile = std::move(file);
    return true;
}

// Assembler ----------------------------------------------------------------

CPageAs::CPageAs() : CBasePropertyPage(119, "Assembler")
{
    checks_ = Table({{"Generate Listing file", "-Wa,-a"},
                     {"MRI compatible", "-Wa,-M"},
                     {"Generate Stabs information", "-Wa,--gstabs"},
                     {"APCS32", "-Wa,-mapcs-32"},
                     {"APCS26", "-Wa,-mapcs-26"},
                     {"Reentrant", "-Wa,-mapcs-reentrant"},
                     {"Local Symbol", "-Wa,-L"},
                     {"Strip local symbol", "-Wa,--strip-local-absolute"}});
    radios_ = {{{"Thumb", "Thumb Interwork", "All type"}, {"-Wa,-mthumb", "-Wa,-mthumb-interwork", "-Wa,-mall"}, 2}};
    Check("Generate Stabs information")->flag = 1;
    text_ = "-x assembler-with-cpp";
    BuildText();
}

void CPageAs::UpdateEnabled()
{
    SetEnabled("APCS32", !Flag("APCS26"));
    SetEnabled("APCS26", !Flag("APCS32"));
}

void CPageAs::Apply(PageTexts& texts, ModuleState&)
{
    BuildText();
    texts.assembler = text_;
}

// Float Point and Warning ----------------------------------------------------

CPageAsWarn::CPageAsWarn() : CBasePropertyPage(120, "Float Point and Warning")
{
    checks_ = Table({{"Fpa10 architecture", "-Wa,-mfpa10"},
                     {"Fpa11 architecture", "-Wa,-mfpa11"},
                     {"No floatiing point multiple instructions", "-Wa,-mfpe-old"},
                     {"No floating point instructions", "-Wa,-mno-fpu"},
                     {"No warning", "-Wa,-W"},
                     {"Suppress warning of signed overflow", "-Wa,-J"},
                     {"Warn differences altered for long displacements", "-Wa,-K"}});
}

void CPageAsWarn::UpdateEnabled()
{
    SetEnabled("Fpa10 architecture", !Flag("Fpa11 architecture"));
    SetEnabled("Fpa11 architecture", !Flag("Fpa10 architecture"));
    SetEnabled("No floatiing point multiple instructions", !Flag("No floating point instructions"));
    SetEnabled("No floating point instructions", !Flag("No floatiing point multiple instructions"));
    const bool quiet = Flag("No warning") != 0;
    for (const char* label :
         {"Suppress warning of signed overflow", "Warn differences altered for long displacements"}) {
        if (quiet)
            Check(label)->flag = 0;
        SetEnabled(label, !quiet);
    }
}

void CPageAsWarn::Apply(PageTexts& texts, ModuleState&)
{
    BuildText();
    texts.asmWarn = text_;
}

// Compiler -----------------------------------------------------------------

CPageAtpcsC::CPageAtpcsC() : CBasePropertyPage(108, "Compiler")
{
    checks_ = Table({{"Stack frame compliant with APCS", "-mapcs-frame"},
                     {"Output containing floating point instructions", "-msoft-float"},
                     {"Output containing library for floating pointer", "-mhard-float"},
                     {"Generate 26-bit code", "-mapcs-26"},
                     {"Use unaligned word loads to load half-word", "-mshort-load-bytes"}});
    radios_ = {{{"Little Endian(Default)", "Big Endian"}, {"", "-mbig-endian"}, 0}};
}

void CPageAtpcsC::UpdateEnabled()
{
    SetEnabled("Output containing floating point instructions",
               !Flag("Output containing library for floating pointer"));
    SetEnabled("Output containing library for floating pointer",
               !Flag("Output containing floating point instructions"));
}

void CPageAtpcsC::Apply(PageTexts& texts, ModuleState& state)
{
    BuildText();
    texts.compiler = text_;
    state.bigEndian = radios_[0].index == 1;
}

// Warning ------------------------------------------------------------------

CPageWarningC::CPageWarningC() : CBasePropertyPage(109, "Warning")
{
    checks_ = Table({{"No Warning", "-w"},
                     {"Any trigraphs encounted", "-Wtrigraphs"},
                     {"ANSI C extension", "-pedantic"},
                     {"Variable without initialize ", "-Winitialized"},
                     {"Unused declarations", "-Wunused"},
                     {"Traditinal  Ansi C warning", "-Wtraditional"},
                     {"variable shadow another", "-Wshadow"},
                     {"Bad function cast", "-Wbad-function-cast"},
                     {"Pointer to remove type", "-Wcast-qual"},
                     {"Alignment increased", "-Wcast-align"},
                     {"function cannot be inlined", "-Winline"},
                     {"Missing Declarations", "-Wmissing-declarations"},
                     {"conversion when absent of prototype", "-Wconversion"},
                     {"Implicit Virtual", "-Woverloaded-virtual"},
                     {"Warn for all conditions", "-Wall"}});
    Check("No Warning")->flag = 1;
    BuildText();
}

void CPageWarningC::UpdateEnabled()
{
    const bool quiet = Flag("No Warning") != 0;
    for (CheckSwitch& c : checks_)
        if (c.label != "No Warning")
            c.enabled = !quiet;
}

void CPageWarningC::Apply(PageTexts& texts, ModuleState&)
{
    BuildText();
    texts.warning = text_;
}

// Debug/Optimisation ---------------------------------------------------------

CPageDebugOptC::CPageDebugOptC() : CBasePropertyPage(110, "Debug/Optimisation")
{
    checks_ = Table({{"Enable debug table generation", "-g"},
                     {"Produce info in DWARF format ", "-gdwarf"},
                     {"Produce info in DWARF2 format", "-gdwarf-2"},
                     {"Produce info in STABS format", "-gstabs"},
                     {"target uses the same floating point format", "-fpretend-float"}});
    radios_ = {{{"No Optimize", "General Optimize", "Most optimize", "All Optimize"}, {"-O0", "-O1", "-O2", "-O3"}, 0}};
    Check("Enable debug table generation")->flag = 1;
    Check("Produce info in DWARF2 format")->flag = 1;
    text_ = "-O0";
    BuildText();
}

void CPageDebugOptC::UpdateEnabled()
{
    const char* formats[] = {"Produce info in DWARF format ", "Produce info in DWARF2 format",
                             "Produce info in STABS format"};
    for (const char* label : formats) {
        bool other = false;
        for (const char* o : formats)
            other = other || (o != label && Flag(o));
        SetEnabled(label, !other);
    }
}

void CPageDebugOptC::Apply(PageTexts& texts, ModuleState&)
{
    BuildText();
    texts.debugOpt = text_;
}

// Preprocessor ---------------------------------------------------------------

CPagePreC::CPagePreC() : CBasePropertyPage(111, "Preprocessor") {}

std::string CPagePreC::AddPath(const std::string& path)
{
    if (std::find(includes.begin(), includes.end(), path) != includes.end())
        return "Already Exists";
    if (!TrimLeadingBlanks(path).empty())
        includes.push_back(path);
    return {};
}

void CPagePreC::DeletePath(size_t index)
{
    if (index < includes.size())
        includes.erase(includes.begin() + static_cast<std::ptrdiff_t>(index));
}

void CPagePreC::Apply(PageTexts& texts, ModuleState& state)
{
    texts.preprocessor = text_;
    state.definitions = text_;
    state.includeDirs = includes;
}

// Code Generation ------------------------------------------------------------

CPageCodeGenC::CPageCodeGenC() : CBasePropertyPage(113, "Code Generation")
{
    checks_ = Table({{"Allocate enum bytes they used exactly", "-fshort-enums"},
                     {"Same size for double as for float", "-fshort-double"},
                     {"Generate position-independent-code", "-fpic"},
                     {"Assume all pointers contain unaligned address", "-funaligned-pointers"},
                     {"global variable in bss section", "-fno-common"}});
}

void CPageCodeGenC::Apply(PageTexts& texts, ModuleState&)
{
    BuildText();
    texts.codeGen = text_;
}

// Link Options ---------------------------------------------------------------

CPageLinkOption::CPageLinkOption() : CBasePropertyPage(115, "Link Options")
{
    checks_ = Table({{"All symbol", "-s"},
                     {"Debugger symbol", "-S"},
                     {"All local symbols", "-x"},
                     {"Warn if global constructor are used", "-warn-constructor"},
                     {"Warn if a common symbol combined with another ", "-warn-common"},
                     {"Warn for undefined symbol once", "-warn-once"},
                     {"Give progress info", "-verbose"},
                     {"Do not link against shared libraries", "-static"}});
    radios_ = {{{"Little endian", "Big endian"}, {"-EL", "-EB"}, 0}};
    BuildText();
}

namespace {

// The entry word: "-e" and a symbol (never "-EL" or "-EB", whose 'E' is upper case).
size_t EntryAt(const std::string& line)
{
    for (size_t at = line.find("-e"); at != std::string::npos; at = line.find("-e", at + 1))
        if ((at == 0 || line[at - 1] == ' ') && at + 2 < line.size() && line[at + 2] != ' ')
            return at;
    return std::string::npos;
}

size_t WordEnd(const std::string& line, size_t at)
{
    const size_t end = line.find(' ', at);
    return end == std::string::npos ? line.size() : end;
}

}  // namespace

void CPageLinkOption::SetEntry(const std::string& symbol)
{
    entry = symbol;
    BuildText();
    text_ = CollapseBlanks(text_);
}

bool CPageLinkOption::Found(const CheckSwitch& check) const
{
    if (IsExact(check.option))
        return ExactWordAt(text_, check.option) != std::string::npos;
    return CBasePropertyPage::Found(check);
}

void CPageLinkOption::Remove(const CheckSwitch& check)
{
    if (!IsExact(check.option))
        return CBasePropertyPage::Remove(check);
    const size_t at = ExactWordAt(text_, check.option);
    if (at != std::string::npos)
        text_ = RemoveWord(text_, at, check.option.size());
}

void CPageLinkOption::BuildText()
{
    // The radio group's "-EL"/"-EB" goes first, then the entry word.
    CBasePropertyPage::BuildText();
    const std::string word = "-e" + entry;
    const size_t at = EntryAt(text_);
    if (at != std::string::npos) {
        const size_t end = WordEnd(text_, at);
        text_ = entry.empty() ? RemoveWord(text_, at, end - at) : text_.replace(at, end - at, word);
    } else if (!entry.empty() && entry.find(' ') == std::string::npos) {
        AppendOption(text_, word);
    }
}

void CPageLinkOption::ParseText()
{
    CBasePropertyPage::ParseText();
    const size_t at = EntryAt(text_);
    if (at != std::string::npos)
        entry = text_.substr(at + 2, WordEnd(text_, at) - at - 2);
}

void CPageLinkOption::Apply(PageTexts& texts, ModuleState&)
{
    BuildText();
    texts.linkOptions = text_;
}

void CPageLinkOption::StoreFields(PageWriter& out) const
{
    out.Text(entry);
}

bool CPageLinkOption::LoadFields(PageReader& in, uint32_t, ModuleState&)
{
    return in.Text(entry);
}

// Library and Linking --------------------------------------------------------

CPageLinkLayout::CPageLinkLayout() : CBasePropertyPage(116, "Library and Linking")
{
    checks_ = Table({{"No startup files", "-nostartupfiles"},
                     {"No default libs", "-nodefaultlibs"},
                     {"No standards library", "-nostdlib"},
                     {"No dynamic linking", "-static"},
                     {"Remove symbol info", "-s"}});
    Check("No dynamic linking")->flag = 1;
    BuildText();
}

bool CPageLinkLayout::Found(const CheckSwitch& check) const
{
    if (IsExact(check.option))
        return ExactWordAt(text_, check.option) != std::string::npos;
    return CBasePropertyPage::Found(check);
}

void CPageLinkLayout::Remove(const CheckSwitch& check)
{
    if (!IsExact(check.option))
        return CBasePropertyPage::Remove(check);
    const size_t at = ExactWordAt(text_, check.option);
    if (at != std::string::npos)
        text_ = RemoveWord(text_, at, check.option.size());
}

void CPageLinkLayout::Apply(PageTexts& texts, ModuleState& state)
{
    BuildText();
    texts.libLink = text_;
    std::string libraries;
    if (!libraryDir.empty())
        AppendOption(libraries, "-L" + libraryDir);
    AppendOption(libraries, libraryFile);
    state.libraries = libraries;
}

void CPageLinkLayout::StoreFields(PageWriter& out) const
{
    out.Text(libraryDir);
    out.Text(libraryFile);
}

bool CPageLinkLayout::LoadFields(PageReader& in, uint32_t, ModuleState&)
{
    std::string dir, file;
    if (!in.Text(dir) || !in.Text(file))
        return false;
    libraryDir = std::move(dir);
    libraryFile = std::move(file);
    return true;
}

// Link Listings ----------------------------------------------------------------

CPageLinkListing::CPageLinkListing() : CBasePropertyPage(117, "Link Listings") {}

std::string CPageLinkListing::Validate() const
{
    const std::pair<const std::string*, const char*> fields[] = {
        {&textSection, "Read-only base must be \na hexadecimal value"},
        {&dataSection, "Read-write base must be \na hexadecimal value"},
        {&bssSection, "Origin must be \na hexadecimal value"},
        {&groupLink, "Length must be \na hexadecimal value"},
        {&stackTop, "Stack top must be \na hexadecimal value"},
        {&rwBase, "Read-write base must be \na hexadecimal value"}};
    for (const auto& [field, message] : fields) {
        const bool optional = field == &groupLink || field == &rwBase;
        if (!(optional && field->empty()) && !IsHexValue(*field))
            return message;
    }
    if (userLd && ldPath.empty())
        return "You must enter a file name";
    return {};
}

void CPageLinkListing::Apply(PageTexts&, ModuleState& state)
{
    state.textAddress = textSection;
    state.dataAddress = dataSection;
    state.bssAddress = bssSection;
    state.topOfMemory = stackTop;
    state.userLinkScript = userLd != 0;
    state.userLinkScriptPath = ldPath;
}

void CPageLinkListing::StoreFields(PageWriter& out) const
{
    out.Word(static_cast<uint32_t>(generateMap));
    for (const std::string* t : {&textSection, &dataSection, &bssSection, &groupLink, &stackTop, &rwBase})
        out.Text(*t);
    out.Word(static_cast<uint32_t>(userLd));
    out.Text(ldPath);
    out.List(includeDirs);
}

bool CPageLinkListing::LoadFields(PageReader& in, uint32_t, ModuleState& state)
{
    int32_t map = 0, user = 0;
    std::string t[6], path;
    std::vector<std::string> dirs;
    if (!in.Flag(map))
        return false;
    for (std::string& s : t)
        if (!in.Text(s))
            return false;
    if (!in.Flag(user) || !in.Text(path) || !in.List(dirs))
        return false;
    generateMap = map;
    textSection = t[0], dataSection = t[1], bssSection = t[2], groupLink = t[3], stackTop = t[4], rwBase = t[5];
    userLd = user;
    ldPath = std::move(path);
    includeDirs = dirs;
    state.includeDirs = std::move(dirs);
    return true;
}

}  // namespace fendrix
