#include "arm_listings.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host_tools.h"

namespace zk::test {

namespace {

void Store(ObjdumpImage& image, uint32_t address, uint32_t value, unsigned width)
{
    for (unsigned i = 0; i < width; ++i)
        image.memory[address + i] = static_cast<uint8_t>(value >> (8 * (image.bigEndian ? width - 1 - i : i)));
}

}  // namespace

std::string ToolOutput(const std::vector<std::string>& argv)
{
    const ProcessResult r = RunProcess(argv, "", std::chrono::seconds(60));
    EXPECT_EQ(r.exitStatus, 0) << argv[0] << ": " << r.err;
    return r.out;
}

ObjdumpImage ReadObjdump(const std::string& path)
{
    ObjdumpImage image;
    image.bigEndian = ToolOutput({"arm-none-eabi-objdump", "-f", path}).find("bigarm") != std::string::npos;
    std::istringstream in(ToolOutput({"arm-none-eabi-objdump", "-d", path}));
    std::string function;
    for (std::string line; std::getline(in, line);) {
        // "00000080 <add>:"
        if (!line.empty() && line.back() == ':' && line.find(" <") != std::string::npos) {
            function = line.substr(line.find(" <") + 2, line.size() - line.find(" <") - 4);
            continue;
        }
        // "  e8:\tf7ff ffca \tbl\t80 <add>"
        const size_t colon = line.find(":\t");
        if (colon == std::string::npos || line.find_first_not_of(' ') == colon)
            continue;
        const size_t rawEnd = line.find('\t', colon + 2);
        if (rawEnd == std::string::npos)
            continue;
        ObjdumpLine l;
        l.address = static_cast<uint32_t>(std::stoul(line.substr(0, colon), nullptr, 16));
        l.function = function;
        std::istringstream raw(line.substr(colon + 2, rawEnd - colon - 2));
        uint32_t at = l.address;
        for (std::string piece; raw >> piece;) {
            const auto value = static_cast<uint32_t>(std::stoul(piece, nullptr, 16));
            const auto width = static_cast<unsigned>(piece.size() / 2);
            Store(image, at, value, width);
            at += width;
            l.thumb = width == 2;
        }
        l.length = at - l.address;
        const std::string text = line.substr(rawEnd + 1);
        const size_t tab = text.find('\t');
        l.mnemonic = text.substr(0, tab);
        l.operands = tab == std::string::npos ? "" : text.substr(tab + 1);
        if (const size_t comment = l.operands.find('@'); comment != std::string::npos)
            l.operands.erase(comment);
        l.data = l.mnemonic.empty() || l.mnemonic[0] == '.';
        image.lines.push_back(l);
    }
    return image;
}

std::vector<DecodedRow> ReadDecodedLines(const std::string& path)
{
    std::vector<DecodedRow> rows;
    // "step_program.c   10   0x80   x": file, line ("-" ends a sequence),
    // address, then a view number and the statement mark when given.
    std::istringstream in(ToolOutput({"arm-none-eabi-readelf", "--debug-dump=decodedline", path}));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string file, number, address;
        if (!(words >> file >> number >> address) || address.compare(0, 2, "0x") != 0)
            continue;
        DecodedRow row;
        row.file = file;
        row.endOfSequence = number == "-";
        if (!row.endOfSequence) {
            if (number.find_first_not_of("0123456789") != std::string::npos)
                continue;
            row.line = static_cast<uint32_t>(std::stoul(number));
        }
        row.address = static_cast<uint32_t>(std::stoul(address, nullptr, 16));
        rows.push_back(row);
    }
    return rows;
}

}  // namespace zk::test
