#include "buildtools/compiler_block.h"

namespace fendrix {

namespace {

// The thirteen stored texts in their block order.
std::array<std::string*, 13> StoredTexts(CompilerInfo& info)
{
    return {&info.customBuildFile, &info.projectPath, &info.extraText1, &info.extraText3,      &info.extraText4,
            &info.extraText5,      &info.outputPath,  &info.extraText2, &info.compilerOptions, &info.assemblerOptions,
            &info.linkerOptions,   &info.extraText6,  &info.extraText7};
}

// Storing always writes the whole layout.
void Store(CompilerInfo& info, CArchive& ar)
{
    ar << info.customBuild;
    for (std::string* text : StoredTexts(info))
        ar << *text;
    {
        const uint32_t length = info.pageStateLength <= kPageStateSize ? info.pageStateLength : 0;
        ar << info.useDefaults << length;
        ar.Write(info.pageState.data(), length);
    }
    {
        ar << info.projectType << static_cast<uint32_t>(info.modules.size());
        for (const ModuleEntryPtr& entry : info.modules) {
            const ModuleEntry empty;
            const ModuleEntry& e = entry ? *entry : empty;
            ar << e.path << e.kind << e.text;
        }
    }
}

void Load(CompilerInfo& info, CArchive& ar, int version)
{
    ar >> info.customBuild;
    for (std::string* text : StoredTexts(info))
        ar >> *text;
    if (version > 1) {
        uint32_t length = 0;
        ar >> info.useDefaults >> length;
        // The page states live in the record's own 4096 bytes.
        if (length > kPageStateSize)
            throw CArchiveException(CArchiveException::badIndex, {}, ar.Offset(), "page states longer than 4096 bytes");
        std::array<uint8_t, kPageStateSize> bytes{};
        ar.ReadExact(bytes.data(), length);
        std::copy(bytes.begin(), bytes.begin() + length, info.pageState.begin());
        info.pageStateLength = length;
    }
    if (version > 3) {
        uint32_t count = 0;
        ar >> info.projectType >> count;
        if (count == 0)
            return;
        // Entries are read one by one: a count larger than the bytes left ends
        // at the end of the data, never in a large allocation.
        info.modules.clear();
        for (uint32_t i = 0; i < count; ++i) {
            auto entry = std::make_shared<ModuleEntry>();
            ar >> entry->path >> entry->kind >> entry->text;
            info.modules.push_back(std::move(entry));
        }
    }
}

}  // namespace

void CopyCompilerInfo(const CompilerInfo& from, CompilerInfo& to)
{
    if (&from == &to)
        return;
    to.customBuild = from.customBuild;
    to.customBuildFile = from.customBuildFile;
    to.projectPath = from.projectPath;
    to.extraText1 = from.extraText1;
    to.extraText2 = from.extraText2;
    to.compilerOptions = from.compilerOptions;
    to.assemblerOptions = from.assemblerOptions;
    to.linkerOptions = from.linkerOptions;
    to.extraText3 = from.extraText3;
    to.extraText4 = from.extraText4;
    to.extraText5 = from.extraText5;
    to.outputPath = from.outputPath;
    to.extraText6 = from.extraText6;
    to.extraText7 = from.extraText7;
    to.extraText8 = from.extraText8;
    to.pageStateLength = from.pageStateLength;
    to.pageState = from.pageState;
    to.modules = from.modules;
}

bool SerializeCompilerInfo(CompilerInfo& info, CArchive& ar, int version)
{
    if (ar.IsStoring()) {
        Store(info, ar);
        return true;
    }
    try {
        Load(info, ar, version);
        return true;
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {}
    return false;
}

void ResetCompilerInfo(CompilerInfo& info, const char* projectPath)
{
    if (projectPath)
        info.projectPath = projectPath;
    info.useDefaults = 1;
    info.customBuild = 0;
    info.customBuildFile.clear();
    info.pageStateLength = 0;
    info.compilerOptions = kDefaultCompilerOptions;
    info.assemblerOptions = kDefaultAssemblerOptions;
    info.linkerOptions = kDefaultLinkerOptions;
}

}  // namespace fendrix
