#include "mirobel/device_table.h"

namespace mirobel {

const std::vector<std::string>& DeviceTable::DevicesOf(int maker) const
{
    static const std::vector<std::string> none;
    return maker >= 0 && static_cast<size_t>(maker) < makers.size() ? makers[static_cast<size_t>(maker)].devices : none;
}

std::string DeviceTable::DeviceAt(int maker, int device) const
{
    const std::vector<std::string>& devices = DevicesOf(maker);
    return device >= 0 && static_cast<size_t>(device) < devices.size() ? devices[static_cast<size_t>(device)]
                                                                       : std::string();
}

namespace {

void ReadLine(std::string_view line, DeviceTable& table)
{
    line = line.substr(0, line.find('\0'));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return;
    line.remove_prefix(start);
    if (line.substr(0, 2) == "//")
        return;
    if (line.front() == '[') {
        const size_t close = line.find(']');
        if (close != std::string_view::npos)
            table.makers.push_back({std::string(line.substr(1, close - 1)), {}});
        return;
    }
    if (table.makers.empty())
        return;
    std::vector<std::string>& devices = table.makers.back().devices;
    while (!line.empty()) {
        const size_t comma = line.find(',');
        const std::string_view item = line.substr(0, comma);
        if (!item.empty())
            devices.emplace_back(item);
        line.remove_prefix(comma == std::string_view::npos ? line.size() : comma + 1);
    }
}

}  // namespace

DeviceTable ParseDeviceTable(std::string_view text)
{
    DeviceTable table;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        ReadLine(text.substr(0, end), table);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return table;
}

}  // namespace mirobel
