#include "description_reader.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "halvek.h"
#include "platform/paths.h"
#include "text_lines.h"

namespace halvek {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[256];  // the error text holds at most 255 characters
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// One file being read, with the status and message of its failure.
class FileParse {
public:
    FileParse(Description& d, std::string name, std::string content)
        : d_(d), name_(std::move(name)), lines_(std::move(content))
    {}

    uint32_t Fail(uint32_t status, std::string message)
    {
        d_.errorText = std::move(message);
        return status;
    }
    // "line %d (field %d) of %s": the line reached and the columns read of
    // the row being read.
    uint32_t FailAtLine(int line)
    {
        return Fail(PERI_STRUCTURE, Format("line %d (field %d) of %s", line, columns_, name()));
    }
    uint32_t FailHere() { return FailAtLine(lines_.LineCount()); }

    const char* name() const { return name_.c_str(); }
    LineReader& lines() { return lines_; }

    // The row's columns one by one; false when the next one is missing.
    void StartRow(std::vector<std::string> tokens)
    {
        row_ = std::move(tokens);
        columns_ = 0;
    }
    bool NextColumn(std::string& column)
    {
        if (static_cast<size_t>(columns_) >= row_.size())
            return false;
        column = row_[columns_++];
        return true;
    }
    bool NextUnsigned(uint32_t& value)
    {
        std::string column;
        if (!NextColumn(column))
            return false;
        value = UnsignedNumber(column);
        return true;
    }
    bool NextSigned(int& value, long low, long high)
    {
        std::string column;
        if (!NextColumn(column))
            return false;
        const long v = SignedNumber(column);
        if (v < low || v > high)
            return false;
        value = static_cast<int>(v);
        return true;
    }

protected:
    Description& d_;
    std::string name_;
    LineReader lines_;
    std::vector<std::string> row_;
    int columns_ = 0;
};

// "version" and a number of at most 1.
enum class VersionLine { Ok, NoKeyword, BadNumber };
VersionLine CheckVersion(const std::string& line)
{
    const std::vector<std::string> tokens = Tokens(line);
    if (tokens.empty() || !MatchesKeyword(tokens[0], "version"))
        return VersionLine::NoKeyword;
    if (tokens.size() < 2 || UnsignedNumber(tokens[1]) > 1)
        return VersionLine::BadNumber;
    return VersionLine::Ok;
}

class CfgParse : public FileParse {
public:
    using FileParse::FileParse;

    uint32_t Run(const LoadContext& context)
    {
        std::string word;
        if (!lines_.ReadWord(word))
            return Fail(PERI_BAD_PROCESSOR, Format("Could not read file %s.", name()));
        if (!platform::EqualNoCase(word, context.processorName))
            return Fail(PERI_BAD_PROCESSOR,
                        Format("Could not read processor %s name from %s.", context.processorName.c_str(), name()));
        std::string line;
        if (lines_.ReadContentLine(line) || !LineBeginsWith(line, "begin_cfg"))
            return NotFound("begin_cfg");
        if (lines_.ReadContentLine(line))
            return NotFound("version");
        switch (CheckVersion(line)) {
        case VersionLine::NoKeyword: return NotFound("version");
        case VersionLine::BadNumber: return NotFound("version", PERI_BAD_VERSION);
        case VersionLine::Ok: break;
        }
        if (lines_.ReadContentLine(line) || !LineBeginsWith(line, "Base"))
            return NotFound("Base");
        const std::vector<std::string> base = Tokens(line);
        if (base.size() < 2)
            return NotFound("Base", PERI_BAD_VERSION);
        d_.currentBase = d_.fileBase = UnsignedNumber(base[1]);
        const bool at91 = context.processorName.rfind("AT91", 0) == 0;
        if (context.setBase)
            context.setBase(d_.fileBase, d_.fileBase, at91 ? 0 : 1, at91 ? 0 : 0x3FF0000u);
        // The count is the next word; comment lines are not skipped here.
        if (lines_.ReadNonBlankLine(line))
            return Fail(PERI_STRUCTURE, Format("Could not find number of groups in file %s.", name()));
        const unsigned count = static_cast<unsigned>(std::strtoul(Tokens(line)[0].c_str(), nullptr, 10) % 65536);
        for (unsigned i = 0; i < count; ++i) {
            if (const uint32_t status = ReadGroup()) {
                d_.groups.clear();
                return status;
            }
        }
        return 0;
    }

private:
    uint32_t NotFound(const char* what, uint32_t status = PERI_STRUCTURE)
    {
        return Fail(status, Format("Could not find '%s' in file %s.", what, name()));
    }

    uint32_t ReadGroup()
    {
        const uint16_t before = lines_.LineCount();
        std::string line;
        StartRow({});
        if (lines_.ReadContentLine(line))
            return FailAtLine(static_cast<uint16_t>(lines_.LineCount() - before));
        StartRow(Tokens(line));
        Group g;
        g.status = PERI_NO_PCF_VERSION;
        std::string groupName, file;
        if (!NextUnsigned(g.index) || !NextColumn(groupName) || !NextUnsigned(g.offset) || !NextUnsigned(g.start) ||
            !NextUnsigned(g.end) || !NextColumn(file))
            return FailAtLine(static_cast<uint16_t>(lines_.LineCount() - before));
        g.name = Cut(groupName, kNameLength);
        g.file = Cut(file, kNameLength);
        g.status = 0;
        d_.groups.push_back(std::move(g));
        return 0;
    }
};

class PcfParse : public FileParse {
public:
    using FileParse::FileParse;

    // Reads the file of the group listed `listed`-th (from 0).
    uint32_t Run(uint32_t listed)
    {
        std::string line;
        if (lines_.ReadContentLine(line))
            return Fail(PERI_STRUCTURE, Format("Could not find '%s' in file %s.", "begin_peripheral", name()));
        if (!LineBeginsWith(line, "begin_peripheral"))
            return Fail(PERI_STRUCTURE,
                        Format("Expected \"%s\" on line %d of %s", "begin_peripheral", lines_.LineCount(), name()));
        const int headerLine = lines_.LineCount();
        if (lines_.ReadContentLine(line))
            return Fail(PERI_STRUCTURE, Format("Unexpected EOF after line %d of %s", headerLine, name()));
        if (CheckVersion(line) != VersionLine::Ok)
            return Fail(PERI_NO_PCF_VERSION,
                        Format("Expected \"%s %d\" on line %d of %s", "version", 1, lines_.LineCount(), name()));
        bool skipping = false;
        for (;;) {
            if (lines_.ReadContentLine(line))
                return Fail(PERI_STRUCTURE,
                            Format("Could not find '%s' or '%s' in file %s.", "begin_reg", "end_peripheral", name()));
            if (LineBeginsWith(line, "end_peripheral"))
                break;
            if (LineBeginsWith(line, "begin_reg")) {
                skipping = false;
                if (const uint32_t status = ReadRegister(listed))
                    return status;
                continue;
            }
            // A stray line: noted, skipped with what follows up to a keyword.
            if (!skipping)
                d_.errorText = Format("Expected \"%s\" or \"%s\" on line %d of %s", "begin_reg", "end_peripheral",
                                      lines_.LineCount(), name());
            skipping = true;
        }
        return 0;
    }

private:
    uint32_t ReadRegister(uint32_t listed)
    {
        Register r;
        r.status = PERI_REG_INCOMPLETE;
        std::string line;
        StartRow({});
        if (lines_.ReadContentLine(line))
            return FailHere();
        StartRow(Tokens(line));
        std::string regName;
        uint32_t mw = 0, buffer = 0;
        if (!NextColumn(regName) || !NextUnsigned(r.offset) || !NextSigned(r.width, 0, 256) ||
            !NextSigned(r.count, 0, 256) || !NextUnsigned(r.implemented) || !NextUnsigned(mw) ||
            !NextUnsigned(r.mwbm) || !NextUnsigned(buffer))
            return FailHere();
        r.name = Cut(regName, kNameLength);
        r.mw = mw != 0;
        r.buffer = buffer != 0;
        uint32_t flag = 0;
        r.writeOnly = NextUnsigned(flag) && flag != 0;
        flag = 0;
        r.readOnly = NextUnsigned(flag) && flag != 0;
        if (r.buffer)
            r.shadow.assign(static_cast<size_t>(r.count), 0);
        if (lines_.ReadContentLine(line))
            return FailHere();
        QuotedText(line, r.title);
        if (lines_.ReadContentLine(line))
            return FailHere();
        QuotedText(line, r.description);
        if (!r.buffer && r.count > 0) {
            if (lines_.ReadContentLine(line) || !LineBeginsWith(line, "start_fields"))
                return FailHere();
            for (int i = 0; i < r.count; ++i) {
                Field f;
                if (const uint32_t status = ReadField(f))
                    return status;
                r.fields.push_back(std::move(f));
            }
        }
        if (lines_.ReadContentLine(line) || !LineBeginsWith(line, "end_reg"))
            return FailHere();
        r.status = 0;
        auto group =
            std::find_if(d_.groups.begin(), d_.groups.end(), [&](const Group& g) { return g.index == listed; });
        if (group == d_.groups.end())
            return Fail(PERI_STRUCTURE,
                        Format("Could not find %s on line %d in file %s.", "reg address", lines_.LineCount(), name()));
        r.group = static_cast<size_t>(group - d_.groups.begin());
        r.address = group->first + r.offset;
        group->registers.push_back(std::move(r));
        return 0;
    }

    uint32_t ReadField(Field& f)
    {
        f.status = PERI_FIELD_INCOMPLETE;
        std::string line;
        if (lines_.ReadContentLine(line) || !LineBeginsWith(line, "begin_f"))
            return FailHere();
        StartRow({});
        if (lines_.ReadContentLine(line))
            return FailHere();
        StartRow(Tokens(line));
        std::string fieldName;
        uint32_t av = 0, mw = 0;
        if (!NextColumn(fieldName) || !NextSigned(f.sz, 1, 256) || !NextSigned(f.loc, 0, 256) || !NextUnsigned(f.mn) ||
            !NextUnsigned(f.mx) || !NextUnsigned(av) || !NextUnsigned(mw))
            return FailHere();
        f.name = Cut(fieldName, kNameLength);
        f.av = av != 0;
        f.mw = mw != 0;
        if (lines_.ReadContentLine(line))
            return FailHere();
        if (QuotedText(line, f.title))
            f.title = Cut(f.title, kFieldTitleLength);
        if (lines_.ReadContentLine(line))
            return FailHere();
        const std::vector<std::string> count = Tokens(line);
        if (count.empty())
            return FailHere();
        const uint32_t n = UnsignedNumber(count[0]);
        for (uint32_t i = 0; i < n; ++i) {
            if (lines_.ReadContentLine(line))
                return FailHere();
            AddValueText(f, line);
        }
        if (lines_.ReadContentLine(line) || !LineBeginsWith(line, "end_f"))
            return FailHere();
        f.status = 0;
        return 0;
    }

    // A value and its text: from the first non-blank character after the
    // value (an opening quote skipped) to the next quote.
    static void AddValueText(Field& f, const std::string& line)
    {
        size_t i = 0;
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsSeparator(line[i]))
            ++i;
        const uint32_t value = UnsignedNumber(line.substr(start, i - start));
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        if (i < line.size() && line[i] == '"')
            ++i;
        const size_t end = line.find('"', i);
        f.texts[static_cast<uint16_t>(value)] = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
    }
};

void SortByOffset(Group& g)
{
    std::stable_sort(g.registers.begin(), g.registers.end(),
                     [](const Register& a, const Register& b) { return a.offset < b.offset; });
}

}  // namespace

std::string Cut(const std::string& text, size_t n)
{
    return text.size() > n ? text.substr(0, n) : text;
}

void Description::ComputeRanges()
{
    for (Group& g : groups) {
        g.first = currentBase + g.offset + g.start;
        g.last = currentBase + g.offset + g.end;
        for (Register& r : g.registers)
            r.address = g.first + r.offset;
    }
    rangesComputed = true;
}

uint32_t LoadDescription(Description& d, const LoadContext& context)
{
    d.Clear();
    if (context.cfgName.empty())
        return PERI_NO_CFG_NAME;
    std::string content;
    if (!context.open || !context.open(context.cfgName, content)) {
        d.errorText = Cut(context.cfgName, 255);
        return PERI_FILE_NOT_FOUND;
    }
    if (const uint32_t status = CfgParse(d, context.cfgName, std::move(content)).Run(context))
        return status;
    d.ComputeRanges();
    for (size_t n = 0; n < d.groups.size(); ++n) {
        const std::string file = d.groups[n].file;
        if (!context.open(file, content)) {
            d.errorText = Cut(file, 255);
            return PERI_FILE_NOT_FOUND;
        }
        if (const uint32_t status = PcfParse(d, file, std::move(content)).Run(static_cast<uint32_t>(n)))
            return status;
        for (Group& g : d.groups)
            SortByOffset(g);
    }
    d.loaded = true;
    return 0;
}

}  // namespace halvek
