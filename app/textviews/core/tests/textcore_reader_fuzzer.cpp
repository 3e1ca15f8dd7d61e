// Any bytes cut into lines in batches: the lines join back to the same bytes
// (CR LF line breaks read as LF), and to the bytes themselves when every break
// was CR LF.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text_line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace textcore;
    if (size < 1)
        return 0;
    const std::size_t batch = 1 + data[0] % 7;
    auto bytes = std::make_shared<const std::string>(reinterpret_cast<const char*>(data) + 1, size - 1);
    TextBuffer buffer;
    TextLineReader reader(bytes);
    while (!reader.AtEnd()) {
        if (reader.ReadLines(buffer, batch) == 0)
            std::abort();
    }
    std::string expected;
    bool allCrLf = true;
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        if ((*bytes)[i] == '\r' && i + 1 < bytes->size() && (*bytes)[i + 1] == '\n')
            continue;
        if ((*bytes)[i] == '\n' && (i == 0 || (*bytes)[i - 1] != '\r'))
            allCrLf = false;
        expected.push_back((*bytes)[i]);
    }
    const bool ended = reader.EndedWithLineBreak();
    if (buffer.Join("\n", ended) != expected)
        std::abort();
    if (allCrLf && bytes->find('\n') != std::string::npos && buffer.Join("\r\n", ended) != *bytes)
        std::abort();
    if (SplitTextIntoLines(*bytes).size() != buffer.LineCount())
        std::abort();
    return 0;
}
