// The command handlers: what each command reads of its packet, does on the
// current family and answers from reply byte 4 on.
#include <cstring>
#include <vector>

#include "call.h"
#include "server.h"

namespace pellitons {

namespace {

size_t CountOf(uint8_t byte)
{
    return byte == 0 ? 256 : byte;
}

bool StopsAroundFamily(uint16_t family)
{
    return family == kPelFamilyCpu32 || family == kPelFamilyPpc8xx || family == kPelFamilyPpc403;
}

}  // namespace

template <typename F>
void ProbeServer::StopAround(F access)
{
    TargetFamily* layer = Layer();
    if (!layer)
        return;
    const bool restart = StopsAroundFamily(family_) && layer->StopsAround() && layer->Running();
    if (restart)
        layer->Stop();
    access(*layer);
    if (restart)
        layer->Go();
}

void ProbeServer::Dispatch(Call& c)
{
    const uint8_t* p = c.packet;
    TargetFamily* layer = Layer();
    switch (c.Code()) {
    case 0:
    case 2:
    case 254:
    case 255: break;
    case 1: Version(c); break;
    case 16: InitializeTarget(c); break;
    case 17: SetSpeed(c); break;
    case 20: functionCode_ = p[2]; break;
    case 21:
        if (p[2] & 0x80)
            targetCheckOff_ = true;
        break;
    case 22: SetRegisterBuffer(c); break;
    case 25: family403_.Core().SetRunControlByte(p[2]); break;
    case 26: SelectTemplate(c); break;
    case 32:
        if (layer)
            layer->Go();
        break;
    case 33:
        if (layer) {
            layer->WritePc(c.U32(2));
            layer->Go();
        }
        break;
    case 34:
        if (layer)
            layer->Stop();
        break;
    case 35:
        if (layer)
            layer->ResetAndRun();
        break;
    case 36:
        if (layer)
            layer->ResetAndHalt();
        break;
    case 37: SingleStep(c, false, 1); break;
    case 60: SingleStep(c, true, 1); break;
    case 72: SingleStep(c, true, c.U16(2)); break;
    case 48: ReadRegisterRange(c); break;
    case 49: WriteRegisters(c); break;
    case 50: ReadMemory(c, 0); break;
    case 54: ReadMemory(c, 1); break;
    case 51: WriteMemory(c, 0); break;
    case 55: WriteMemory(c, 1); break;
    case 64: WriteMemory(c, 2); break;
    case 65: ReadMemory(c, 2); break;
    case 52: FillMemory(c); break;
    case 53: c.notServed = true; break;
    case 56: ReadState(c); break;
    case 57: SetScatter(c); break;
    case 58: ReadRegisters(c, scatter_); break;
    case 59: WriteScatter(c); break;
    case 224: Misc(c); break;
    case 240: SetConnection(c); break;
    case 241: SetLogging(c); break;
    case 242: Identity(c); break;
    default: c.notServed = true; break;
    }
}

void ProbeServer::Version(Call& c)
{
    c.Put16(0x0021);
    c.Put16(0x001D);
    for (int i = 0; i < 6; ++i)
        c.Put8(0);
}

void ProbeServer::Identity(Call& c)
{
    c.Put8(2);
    c.Put8(0);
    for (const char* text : {"Parallel Pelliton", "OCD Parallel Box"}) {
        for (const char* s = text; *s; ++s)
            c.Put8(uint8_t(*s));
        c.Put8(0);
    }
    c.reply[5] = uint8_t(c.length - 1);
}

void ProbeServer::SendTemplateSelector()
{
    const uint8_t packet[16] = {0x55, 240, selector_, uint8_t(16 - selector_)};
    uint8_t reply[kPelMaxReply + 1] = {};
    libs_.templateCommand(packet, reply);
}

void ProbeServer::InitializeTarget(Call& c)
{
    const uint16_t parameter = c.U16(2);
    uint16_t family = c.packet[4];
    family_ = family;
    if (family == kPelFamilyCpu32 || family == kPelFamilyColdFire) {
        c.Status(PEL_INIT_FAILED);  // no background-debug layer is built
        return;
    }
    if (!FamilyReady(family) && family != kPelFamilyPpc8xx) {
        c.Status(NotReadyStatus(family));
        return;
    }
    if (family == kPelFamilyPpc8xx && !devPort_) {
        c.Status(PEL_NOT_SET_UP);
        return;
    }
    bool ok = true;
    if (TemplateFamily(family)) {
        if (selector_ == 0) {
            c.Status(PEL_INIT_FAILED);
            return;
        }
        SendTemplateSelector();
        uint8_t packet[16];
        std::memcpy(packet, c.packet, sizeof packet);
        if (packet[4] == 100)
            packet[4] = 3;
        Call forwarded{packet, c.reply};
        Forward(forwarded, libs_.templateCommand, PEL_NO_TEMPLATE, false);
        c.length = forwarded.length;
    } else if (family == kPelFamilyPpc403 || family == kPelFamilyPpc8xx || family == kPelFamilySerialIce) {
        ok = SetUpFamily(c, family, family == kPelFamilySerialIce ? selector_ : port_, parameter);
    } else if (family == kPelFamilyCpu32 || family == kPelFamilyColdFire) {
        ok = false;  // no background-debug layer is built
    }
    if (mode_ == 0) {
        Connection& entry = table_[c.packet[0]];
        entry.kind = family;
        entry.parameter = parameter;
        sync_ = c.packet[0];
        const uint16_t seen[3] = {family, parameter, port_};
        for (int i = 0; i < 3; ++i)
            if (firstSeen_[i] == 0xFFFF)
                firstSeen_[i] = seen[i];
    }
    if (!ok)
        c.Status(family == kPelFamilyPpc8xx && set8xx_ ? PEL_NOT_DEBUG_MODE : PEL_INIT_FAILED);
    else if (c.reply[3] == PEL_NO_CONNECTION)
        c.Status(PEL_OK);
    if (ok)
        c.Flags(0);
}

void ProbeServer::SetSpeed(Call& c)
{
    if (family_ == kPelFamilyPpc403)
        access_.Speed(c.U16(2));
}

void ProbeServer::SetRegisterBuffer(Call& c)
{
    if (family_ != kPelFamilyPpc8xx || !family8xx_) {
        c.notServed = true;
        return;
    }
    family8xx_->Core().SetRegisterBuffer(c.U32(2));
    registerBufferSet_ = true;
}

void ProbeServer::SelectTemplate(Call& c)
{
    if (!libs_.TemplateLoaded()) {
        c.Status(PEL_NO_TEMPLATE);
        return;
    }
    if (selector_ == 0) {
        c.Status(PEL_INIT_FAILED);
        return;
    }
    family_ = 12;
    SendTemplateSelector();
    Forward(c, libs_.templateCommand, PEL_NO_TEMPLATE, false);
}

void ProbeServer::SingleStep(Call& c, bool withState, unsigned count)
{
    TargetFamily* layer = Layer();
    if (!layer)
        return;
    for (unsigned i = 0; i < count; ++i)
        layer->Step();
    if (withState) {
        c.Put32(layer->ReadPc());
        c.Put32(layer->SecondValue());
    }
}

void ProbeServer::ReadRegisters(Call& c, const std::vector<uint16_t>& numbers)
{
    if (!c.Room(1 + 4 * numbers.size()))
        return;
    c.Put8(uint8_t(4 * numbers.size()));
    std::vector<uint32_t> values(numbers.size());
    StopAround([&](TargetFamily& layer) {
        for (size_t i = 0; i < numbers.size(); ++i)
            values[i] = layer.ReadRegister(numbers[i]);
    });
    for (uint32_t v : values)
        c.Put32(v);
}

void ProbeServer::ReadRegisterRange(Call& c)
{
    const uint16_t first = c.U16(2);
    const uint16_t last = c.U16(4);
    std::vector<uint16_t> numbers;
    if (last >= first) {
        if (!c.Room(1 + 4 * (size_t(last - first) + 1)))
            return;
        for (uint32_t n = first; n <= last; ++n)
            numbers.push_back(uint16_t(n));
    }
    ReadRegisters(c, numbers);
}

void ProbeServer::WriteRegisters(Call& c)
{
    const uint16_t first = c.U16(2);
    const size_t count = c.packet[4] / 4;
    StopAround([&](TargetFamily& layer) {
        for (size_t i = 0; i < count; ++i)
            layer.WriteRegister(uint16_t(first + i), c.U32(5 + 4 * i));
    });
}

void ProbeServer::ReadMemory(Call& c, int variant)
{
    const uint32_t address = c.U32(2);
    const unsigned size = c.packet[6];
    const size_t count = variant == 2 ? c.U16(8) : CountOf(c.packet[7]);
    const size_t header = variant == 0 ? 1 : variant == 1 ? 5 : 6;
    if (!c.Room(header + count))
        return;
    if (variant == 0) {
        c.Put8(uint8_t(count));
    } else if (variant == 1) {
        c.Put32(address);
        c.Put8(uint8_t(count));
    } else {
        c.Put32(address);
        c.Put16(uint16_t(count));
    }
    uint8_t* data = c.reply + c.length;
    std::memset(data, 0, count);
    StopAround([&](TargetFamily& layer) { layer.ReadMemory(address, size, data, count); });
    c.length += count;
}

void ProbeServer::WriteMemory(Call& c, int variant)
{
    const uint32_t address = c.U32(2);
    const unsigned size = c.packet[6];
    const bool verify = c.packet[7] != 0;
    const size_t count = variant == 2 ? c.U16(9) : CountOf(c.packet[8]);
    const uint8_t* data = c.packet + (variant == 2 ? 11 : 9);
    std::vector<uint8_t> back(verify ? count : 0);
    StopAround([&](TargetFamily& layer) {
        layer.WriteMemory(address, size, data, count);
        if (verify)
            layer.ReadMemory(address, size, back.data(), count);
    });
    if (verify) {
        for (size_t i = 0; i < count; ++i) {
            if (back[i] != data[i]) {
                c.length = 4;
                c.Put32(address + uint32_t(i));
                c.Put32(back[i]);
                c.Status(PEL_VERIFY);
                return;
            }
        }
    }
    if (variant == 1)
        c.Put32(address);
}

void ProbeServer::FillMemory(Call& c)
{
    const uint32_t address = c.U32(2);
    const uint32_t value = c.U32(6);
    const uint32_t count = c.U32(10);
    const unsigned size = c.packet[14];
    StopAround([&](TargetFamily& layer) { layer.Fill(address, value, count, size); });
}

void ProbeServer::ReadState(Call& c)
{
    TargetFamily* layer = Layer();
    if (!layer || !(c.reply[2] & kPelFlagHalted))
        return;
    const std::vector<uint32_t> values = layer->StateValues();
    c.Put8(uint8_t(4 * values.size()));
    for (uint32_t v : values)
        c.Put32(v);
}

void ProbeServer::SetScatter(Call& c)
{
    const size_t count = c.packet[2] / 2;
    scatter_.clear();
    if (count > 64) {
        c.Status(PEL_TOO_LONG);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        scatter_.push_back(c.U16(3 + 2 * i));
}

void ProbeServer::WriteScatter(Call& c)
{
    StopAround([&](TargetFamily& layer) {
        for (size_t i = 0; i < scatter_.size(); ++i)
            layer.WriteRegister(scatter_[i], c.U32(3 + 4 * i));
    });
}

void ProbeServer::Misc(Call& c)
{
    const uint8_t operation = c.packet[2];
    if (family_ == kPelFamilyPpc8xx && family8xx_) {
        if (operation == 1) {
            // A raw exchange with the development port: selector, argument.
            c.Put8(4);
            c.Put32(devPort_->ExchangeData(c.U32(4)).data);
        } else if (operation == 2 || operation == 3) {
            if (operation == 2)
                portMode8xx_ = c.packet[3];
            else
                family8xx_->fastDownload = c.packet[3] != 0;
            c.Put8(0);
        }
    } else if (family_ == kPelFamilyPpc403) {
        if (operation == 1) {
            family403_.Core().SetRunControlByte(c.packet[3]);
            c.Put8(0);
        } else if (operation == 2) {
            c.Put8(4);
            c.Put32(family403_.ReadRegister(c.U16(3)));
        } else if (operation == 3) {
            family403_.Core().InvalidateCaches();
            c.Put8(0);
        }
    } else if (family_ == kPelFamilySerialIce && libs_.SerialIceLoaded()) {
        if (operation == 0) {
            libs_.ice.control(c.packet[3], c.packet[4], 0);
        } else if (operation == 1) {
            uint8_t text[257] = {};
            std::memcpy(text, c.packet + 3, size_t(c.packet[3]) + 1);
            if (libs_.ice.e0Handler(text, 1) != 0) {
                c.Status(PEL_SERIAL_ICE_FAILED);
                return;
            }
            const size_t length = text[0];
            if (!c.Room(1 + length))
                return;
            for (size_t i = 0; i <= length; ++i)
                c.Put8(text[i]);
        }
    }
}

}  // namespace pellitons
