#include "mirobel/flash_record.h"

#include <cstdio>
#include <cstring>

namespace mirobel {

namespace {

using Words = std::array<uint32_t, FLASH_INFO_WORDS>;

Words WordsOf(const FlashInfo& info)
{
    Words words{};
    std::memcpy(words.data(), &info, sizeof info);
    return words;
}

FlashInfo RecordOf(const Words& words)
{
    FlashInfo info;
    std::memcpy(static_cast<void*>(&info), words.data(), sizeof info);
    return info;
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

uint32_t Position(int index)
{
    return index < 0 ? 0 : static_cast<uint32_t>(index);
}

}  // namespace

FlashBytes ToFileBytes(const FlashInfo& info)
{
    const Words words = WordsOf(info);
    FlashBytes bytes{};
    for (size_t w = 0; w < words.size(); ++w)
        for (size_t b = 0; b < 4; ++b)
            bytes[4 * w + b] = static_cast<uint8_t>(words[w] >> (8 * b));
    return bytes;
}

FlashInfo FromFileBytes(const FlashBytes& bytes)
{
    Words words{};
    for (size_t w = 0; w < words.size(); ++w)
        for (size_t b = 0; b < 4; ++b)
            words[w] |= uint32_t{bytes[4 * w + b]} << (8 * b);
    return RecordOf(words);
}

std::array<uint8_t, 4> ToTargetWord(uint32_t value)
{
    return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value)};
}

uint32_t FromTargetWord(const uint8_t bytes[4])
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

FlashBytes ToTargetBlock(const FlashInfo& info)
{
    const Words words = WordsOf(info);
    FlashBytes bytes{};
    for (size_t w = 0; w < words.size(); ++w) {
        const std::array<uint8_t, 4> word = ToTargetWord(words[w]);
        std::memcpy(&bytes[4 * w], word.data(), 4);
    }
    return bytes;
}

FlashControls ControlsFromRecord(const FlashInfo& info)
{
    FlashControls c;
    c.maker = static_cast<int>(FlashMakerIndex(info.device));
    c.device = static_cast<int>(FlashDeviceIndex(info.device));
    c.portSize = static_cast<int>(info.portSize);
    c.flashStart = Hex(info.flashStart);
    c.flashSize = Hex(info.flashSize);
    c.flashOffset = Hex(info.flashOffset);
    c.ramStart = Hex(info.ramStart);
    c.ramEnd = Hex(info.ramEnd);
    return c;
}

bool ParseHexField(const std::string& text, uint32_t& value)
{
    size_t i = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    if (i == std::string::npos)
        return false;
    if (end - i >= 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    uint64_t v = 0;
    if (i > end)
        return false;
    for (; i <= end; ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return false;
        v = v << 4 | static_cast<uint64_t>(digit);
        if (v > 0xFFFFFFFFu)
            return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

bool RecordFromControls(const FlashControls& controls, FlashInfo& info, std::string* badField)
{
    const struct {
        const std::string& text;
        uint32_t FlashInfo::*word;
        const char* name;
    } fields[] = {
        {controls.flashStart, &FlashInfo::flashStart, "Flash start:"},
        {controls.flashSize, &FlashInfo::flashSize, "Flash size:"},
        {controls.flashOffset, &FlashInfo::flashOffset, "Flash Offset:"},
        {controls.ramStart, &FlashInfo::ramStart, "RAM Range:"},
        {controls.ramEnd, &FlashInfo::ramEnd, "to:"},
    };
    FlashInfo next = info;
    for (const auto& f : fields) {
        if (!ParseHexField(f.text, next.*f.word)) {
            if (badField)
                *badField = f.name;
            return false;
        }
    }
    next.device = FlashDeviceWord(Position(controls.maker), Position(controls.device));
    next.portSize = Position(controls.portSize);
    info = next;
    return true;
}

}  // namespace mirobel
