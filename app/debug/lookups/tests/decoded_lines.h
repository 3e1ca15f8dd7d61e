// The lowest address of each line of one source file in readelf's decoded
// line table of an image ("<file> <line> <address> ..." rows).
#pragma once

#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include "host_tools.h"

namespace lookups::test {

// Empty when readelf fails.
inline std::map<int, uint32_t> LowestLineAddresses(const std::string& elf, const std::string& fileName)
{
    std::map<int, uint32_t> lowest;
    auto r = zk::test::RunProcess({"arm-none-eabi-readelf", "--debug-dump=decodedline", elf});
    if (r.exitStatus != 0)
        return lowest;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string file, number, address;
        if (!(words >> file >> number >> address) || file.find(fileName) == std::string::npos ||
            address.rfind("0x", 0) != 0 || number.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const int n = std::stoi(number);
        const uint32_t a = static_cast<uint32_t>(std::stoul(address, nullptr, 16));
        auto it = lowest.find(n);
        if (it == lowest.end() || a < it->second)
            lowest[n] = a;
    }
    return lowest;
}

}  // namespace lookups::test
