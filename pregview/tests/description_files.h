// The hand-written description fixtures in memory, opened by name the way
// the library opens them ('\' as '/', case ignored), so a test can change
// one line of one file.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "description_reader.h"
#include "platform/paths.h"

namespace halvek::test {

struct DescriptionFiles {
    std::map<std::string, std::string> files;  // "PCF/NAME" -> content
    struct BaseCall {
        uint32_t current, reset;
        int flag;
        uint32_t mask;
    };
    std::vector<BaseCall> baseCalls;

    static DescriptionFiles Fixtures()
    {
        DescriptionFiles f;
        for (const auto& e : std::filesystem::directory_iterator(std::string(HALVEK_FIXTURES) + "/PCF")) {
            std::ifstream in(e.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            f.files["PCF/" + e.path().filename().string()] = bytes.str();
        }
        return f;
    }
    std::string& File(const std::string& name)
    {
        for (auto& [key, content] : files)
            if (platform::EqualPathsNoCase(key, name))
                return content;
        return files[name];
    }
    // Replaces the first occurrence; false when the text is not there.
    bool Replace(const std::string& name, const std::string& from, const std::string& to)
    {
        std::string& content = File(name);
        const size_t at = content.find(from);
        if (at == std::string::npos)
            return false;
        content.replace(at, from.size(), to);
        return true;
    }
    LoadContext Context(const std::string& processor)
    {
        LoadContext c;
        c.processorName = processor;
        c.cfgName = "PCF\\PERI" + processor + ".CFG";
        c.open = [this](const std::string& name, std::string& content) {
            for (const auto& [key, text] : files)
                if (platform::EqualPathsNoCase(key, name)) {
                    content = text;
                    return true;
                }
            return false;
        };
        c.setBase = [this](uint32_t current, uint32_t reset, int flag, uint32_t mask) {
            baseCalls.push_back({current, reset, flag, mask});
        };
        return c;
    }
};

}  // namespace halvek::test
