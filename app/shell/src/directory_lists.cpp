#include "shell/directory_lists.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace shell {
namespace {

std::string Normal(const std::string& folder)
{
    std::string s = std::filesystem::path(folder).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

std::string FolderOfFile(const std::string& file)
{
    return Normal(std::filesystem::path(file).parent_path().string());
}

// The standard output of a command, or nothing when it can't run.
std::string Run(const std::string& command)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
        out.append(buffer, n);
    pclose(p);
    return out;
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    size_t e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

void AddOnce(CStringArray& list, const std::string& folder)
{
    if (folder.empty())
        return;
    for (const auto& f : list)
        if (f == folder)
            return;
    list.push_back(folder);
}

}  // namespace

void LoadDirectoryLists(DirectoryLists& lists, const std::string& keyPath)
{
    RegKey key;
    if (!key.Open(keyPath))
        return;
    key.Read("INCLUDE", lists.include);
    key.Read("LIB", lists.lib);
    key.Read("BIN", lists.bin);
    key.Read("SRC", lists.src);
    key.Read("EXT", lists.ext);
    key.Read("MACRO", lists.macroFiles);
    key.Read("LoadMacroOnStart", lists.loadMacroOnStart);
}

void SaveDirectoryLists(const DirectoryLists& lists, const std::string& keyPath)
{
    RegKey key;
    if (!key.OpenOrCreate(keyPath))
        return;
    key.Write("INCLUDE", lists.include);
    key.Write("Lib", lists.lib);
    key.Write("BIN", lists.bin);
    key.Write("SRC", lists.src);
    key.Write("EXT", lists.ext);
}

void SaveMacroSettings(const DirectoryLists& lists, const std::string& keyPath)
{
    RegKey key;
    if (!key.OpenOrCreate(keyPath))
        return;
    key.Write("Macro", lists.macroFiles);
    key.Write("LoadMacroOnStart", lists.loadMacroOnStart);
}

std::string FindOnPath(const std::string& program, const std::string& path)
{
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty())
            continue;
        std::string file = folder + "/" + program;
        if (access(file.c_str(), X_OK) == 0 && std::filesystem::is_regular_file(file))
            return Normal(folder);
    }
    return {};
}

ToolChainAnswers AskToolChain(const std::string& path)
{
    ToolChainAnswers answers;
    std::string gccFolder = FindOnPath(kArmCompiler, path);
    std::string makeFolder = FindOnPath("make", path);
    if (gccFolder.empty() || makeFolder.empty())
        return answers;
    answers.found = true;
    AddOnce(answers.bin, gccFolder);
    AddOnce(answers.bin, makeFolder);
    std::string gcc = Quote(gccFolder + "/" + kArmCompiler);

    // "gcc -v" lists the search folders between these two lines.
    std::stringstream lines(Run(gcc + " -xc -E -v /dev/null 2>&1 >/dev/null"));
    std::string line;
    bool inList = false;
    while (std::getline(lines, line)) {
        if (line.rfind("#include <...> search starts here:", 0) == 0)
            inList = true;
        else if (line.rfind("End of search list.", 0) == 0)
            inList = false;
        else if (inList && !line.empty() && line[0] == ' ')
            AddOnce(answers.include, Normal(Trim(line)));
    }
    std::string libc = Trim(Run(gcc + " -print-file-name=libc.a 2>/dev/null"));
    std::string libgcc = Trim(Run(gcc + " -print-libgcc-file-name 2>/dev/null"));
    // A library the compiler doesn't know comes back as its bare name.
    if (libc.find('/') != std::string::npos)
        AddOnce(answers.lib, FolderOfFile(libc));
    if (libgcc.find('/') != std::string::npos)
        AddOnce(answers.lib, FolderOfFile(libgcc));
    return answers;
}

bool AddToolChainDefaults(DirectoryLists& lists, const std::string& path)
{
    if (!lists.include.empty() || !lists.lib.empty() || !lists.bin.empty())
        return false;
    ToolChainAnswers answers = AskToolChain(path);
    if (!answers.found)
        return false;
    lists.bin = answers.bin;
    lists.include = answers.include;
    lists.lib = answers.lib;
    return true;
}

}  // namespace shell
