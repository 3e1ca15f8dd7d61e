// A CFG and a PCF file from the input bytes (the first byte says where they
// part, and whether each gets a valid head so that the rows are reached):
// a status and a message of at most 255 characters, never a crash or a
// hang; the rows of whatever was read are formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "description_reader.h"
#include "field_rules.h"
#include "row_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t cut = bytes.size() * data[0] / 255;
    std::string cfg = bytes.substr(0, cut);
    std::string pcf = bytes.substr(cut);
    if (data[0] & 1)
        cfg = "FUZZ\nbegin_cfg\nversion 1\nBase 0x1000\n" + cfg;
    if (data[0] & 2)
        pcf = "begin_peripheral\nversion 1\n" + pcf;

    halvek::LoadContext context;
    context.processorName = "FUZZ";
    context.cfgName = "PCF\\PERIFUZZ.CFG";
    context.open = [&](const std::string& name, std::string& content) {
        content = name == context.cfgName ? cfg : pcf;
        return true;
    };
    halvek::Description d;
    const uint32_t status = halvek::LoadDescription(d, context);
    if (d.errorText.size() > 255 || (status == 0) != d.loaded)
        std::abort();
    halvek::SetAllExpanded(d, true);
    const size_t rows = halvek::RecountRows(d);
    for (size_t row = 0; row < rows && row < 4096; ++row)
        halvek::RowText(d, row, [](uint32_t address) { return std::to_string(address); });
    for (halvek::Group& g : d.groups)
        for (halvek::Register& r : g.registers) {
            r.value = 0xFFFFFFFF;
            halvek::WorkOutFields(r);
            for (const halvek::Field& f : r.fields) {
                halvek::ComposeValue(r.value, f, f.mx, r.implemented);
                halvek::SpanText(f);
                halvek::ValueText(f, f.value);
            }
        }
    return 0;
}
