#include "peri_model.h"

#include <cstdio>
#include <cstring>

#include "emu_messages.h"
#include "field_rules.h"
#include "halvek.h"
#include "platform/paths.h"

namespace halvek {
namespace {

uint16_t Swap16(uint16_t v)
{
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}

uint32_t Swap32(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

}  // namespace

bool UsesPeripheralCalls(uint32_t family)
{
    return family == 1 || family == 2 || family == 4 || family == 5;
}

bool PassesOffsetFromBase(const std::string& cpuType)
{
    return cpuType == "ARM7TDMI" || cpuType == "MPC8260";
}

bool HasModuleBaseRegister(const std::string& processorName)
{
    for (const char* name : {"PPC860", "PPC603E", "PPC821", "MC68340", "MC68330", "MC68360"})
        if (platform::EqualNoCase(processorName, name))
            return true;
    return false;
}

bool PlainWidth(int width)
{
    return width == 1 || width == 2 || width == 4;
}

int PeriModel::PeripheralOffset(const Register& r) const
{
    if (!PassesOffsetFromBase(processor_.cpuType))
        return static_cast<int>(r.offset & 0xFFFF);
    const Group& g = d_.groups[r.group];
    return static_cast<int>(g.offset + g.start + r.offset);
}

uint32_t PeriModel::Read(Register& r)
{
    r.stale = false;
    if (r.writeOnly)
        return 0;
    uint32_t status = 0;
    if (UsesPeripheralCalls(processor_.family)) {
        if (r.buffer) {
            // Unit by unit of the register's width, as a buffer is written.
            const size_t unit = PlainWidth(r.width) ? static_cast<size_t>(r.width) : 1;
            for (size_t i = 0; status == 0 && i + unit <= r.shadow.size(); i += unit) {
                int value = 0;
                status = static_cast<uint32_t>(
                    target_.GetIntReg(PeripheralOffset(r) + static_cast<int>(i), static_cast<int>(unit), &value));
                for (size_t k = 0; status == 0 && k < unit; ++k)
                    r.shadow[i + k] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * k));
            }
        } else if (!PlainWidth(r.width)) {
            status = PERI_STRUCTURE;  // never more than a word into the value
        } else {
            int value = 0;
            status = static_cast<uint32_t>(target_.GetIntReg(PeripheralOffset(r), r.width, &value));
            if (status == 0)
                r.value = static_cast<uint32_t>(value);
        }
    } else {
        if (!d_.rangesComputed)
            return PERI_RANGES_NOT_READY;
        if (r.buffer) {
            // Exactly the shadow's bytes.
            status = static_cast<uint32_t>(
                target_.ReadBlock(r.address, r.shadow.data(), static_cast<uint32_t>(r.shadow.size())));
        } else if (!PlainWidth(r.width)) {
            status = PERI_STRUCTURE;
        } else {
            uint8_t bytes[4] = {};
            status = static_cast<uint32_t>(target_.ReadBlock(r.address, bytes, static_cast<uint32_t>(r.width)));
            if (status == 0) {
                uint16_t h;
                uint32_t w;
                std::memcpy(&h, bytes, 2);
                std::memcpy(&w, bytes, 4);
                r.value = r.width == 1 ? bytes[0] : r.width == 2 ? Swap16(h) : Swap32(w);
            }
        }
    }
    r.unreadable = status != 0;
    if (status == 0)
        WorkOutFields(r);
    return status;
}

uint32_t PeriModel::Write(Register& r, uint32_t value)
{
    if (r.readOnly || r.buffer || !PlainWidth(r.width))
        return PERI_STRUCTURE;
    int status;
    if (UsesPeripheralCalls(processor_.family)) {
        // At the offset the register is read from.
        status = target_.SetIntReg(PeripheralOffset(r), r.width, static_cast<int>(value));
    } else {
        // Target order as the read brings it into host order.
        uint8_t bytes[4];
        const uint16_t h = Swap16(static_cast<uint16_t>(value));
        const uint32_t w = Swap32(value);
        if (r.width == 1)
            bytes[0] = static_cast<uint8_t>(value);
        else if (r.width == 2)
            std::memcpy(bytes, &h, 2);
        else
            std::memcpy(bytes, &w, 4);
        status = target_.WriteBlock(r.address, bytes, static_cast<uint32_t>(r.width), r.width);
    }
    AfterWrite(r, status == 0, value);
    target_.UpdateViews(DVK_MEMORY1, -1);
    target_.UpdateViews(DVK_WATCH, 0);
    target_.UpdateViews(DVK_CALL_STACK, 0);
    return static_cast<uint32_t>(status);
}

uint32_t PeriModel::WriteBuffer(Register& r)
{
    if (r.readOnly || !r.buffer)
        return PERI_STRUCTURE;
    int status = 0;
    if (UsesPeripheralCalls(processor_.family)) {
        // Unit by unit of the register's width.
        const int unit = PlainWidth(r.width) ? r.width : 1;
        const int base = PeripheralOffset(r);
        for (size_t i = 0; status == 0 && i + unit <= r.shadow.size(); i += unit) {
            uint32_t v = 0;
            for (int k = unit - 1; k >= 0; --k)
                v = (v << 8) | r.shadow[i + k];
            status = target_.SetIntReg(base + static_cast<int>(i), unit, static_cast<int>(v));
        }
    } else if (!d_.rangesComputed) {
        status = static_cast<int>(PERI_RANGES_NOT_READY);
    } else {
        status = target_.WriteBlock(r.address, r.shadow.data(), static_cast<uint32_t>(r.shadow.size()), 1);
    }
    r.unreadable = status != 0;
    target_.UpdateViews(DVK_MEMORY1, -1);
    target_.UpdateViews(DVK_WATCH, 0);
    return static_cast<uint32_t>(status);
}

void PeriModel::AfterWrite(Register& r, bool ok, uint32_t value)
{
    if (!ok) {
        r.unreadable = true;
        return;
    }
    r.value = value;
    r.unreadable = false;
    WorkOutFields(r);
}

std::string PeriModel::BaseText() const
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", d_.currentBase);
    return text;
}

void PeriModel::SetNewBase(uint32_t base)
{
    target_.SetBase(base, d_.fileBase, 1, 0x3FF0000u);
    d_.currentBase = base;
    d_.ComputeRanges();
    ++redraws_;
}

void PeriModel::UpdateBlockLocation()
{
    d_.ComputeRanges();
    for (Group& g : d_.groups)
        for (Register& r : g.registers)
            r.stale = true;
}

const Register* PeriModel::FindRegister(const std::string& name) const
{
    for (const Group& g : d_.groups)
        for (const Register& r : g.registers)
            if (platform::EqualNoCase(r.name, name))
                return &r;
    return nullptr;
}

}  // namespace halvek
