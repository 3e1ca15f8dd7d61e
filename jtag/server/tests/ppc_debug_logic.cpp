#include "ppc_debug_logic.h"

#include "ppc/ppc_words.h"

namespace ppctest {

namespace {

constexpr unsigned kDrBits = 33;
constexpr uint64_t kBit32 = uint64_t(1) << 32;

}  // namespace

class Ppc403Logic::RunControl : public portio::TapDataRegister {
public:
    explicit RunControl(Ppc403Logic& logic) : logic_(logic) {}
    unsigned Length() const override { return kDrBits; }
    portio::TapBits Capture() override { return portio::BitsOf(logic_.halted ? 1 : 0, kDrBits); }
    void Update(const portio::TapBits& bits) override
    {
        const uint64_t value = portio::ValueOf(bits);
        if (!(value & kBit32))
            return;
        const uint8_t command = uint8_t(value >> 24);
        const bool line = logic_.ResetLine();
        logic_.commands.push_back(command);
        logic_.commandLine.push_back(line);
        if (command == 0x98 || (line && command == 0x18)) {
            ++logic_.resets;
            logic_.core.pc = 0xFFFFFFFC;  // the 403's reset vector
            logic_.halted = command != 0x98;
        } else if (command == 0) {
            logic_.halted = false;
        } else if (command & 0x80) {
            if (!(command & 0x20) || logic_.halted)
                logic_.halted = true;
            if (command & 0x20)
                logic_.core.pc += 4;  // one instruction stepped
        }
    }

private:
    Ppc403Logic& logic_;
};

class Ppc403Logic::Execute : public portio::TapDataRegister {
public:
    explicit Execute(Ppc403Logic& logic) : logic_(logic) {}
    unsigned Length() const override { return kDrBits; }
    portio::TapBits Capture() override
    {
        uint32_t status = 0;
        if (logic_.busyReads > 0) {
            --logic_.busyReads;
            status |= 2;
        }
        return portio::BitsOf(status, kDrBits);
    }
    void Update(const portio::TapBits& bits) override
    {
        const uint64_t value = portio::ValueOf(bits);
        if (!(value & kBit32))
            return;
        if (!logic_.halted) {
            ++logic_.ignored;
            return;
        }
        logic_.core.Execute(uint32_t(value));
    }

private:
    Ppc403Logic& logic_;
};

class Ppc403Logic::DataRegister : public portio::TapDataRegister {
public:
    explicit DataRegister(Ppc403Logic& logic) : logic_(logic) {}
    unsigned Length() const override { return kDrBits; }
    portio::TapBits Capture() override { return portio::BitsOf(logic_.core.Spr(ppc::kSprDbdr), kDrBits); }
    void Update(const portio::TapBits& bits) override
    {
        const uint64_t value = portio::ValueOf(bits);
        if (value & kBit32)
            logic_.core.spr[ppc::kSprDbdr] = uint32_t(value);
    }

private:
    Ppc403Logic& logic_;
};

Ppc403Logic::Ppc403Logic(portio::SimulatedPort& port) : port_(port)
{
    portio::Tap& tap = port.TargetTap();
    tap.Plug(5, std::make_shared<RunControl>(*this));
    tap.Plug(7, std::make_shared<Execute>(*this));
    tap.Plug(11, std::make_shared<DataRegister>(*this));
}

bool Ppc403Logic::ResetLine() const
{
    portio::EppBox* box = port_.Box();
    return box && (box->Outputs() & 1);
}

void Ppc8xxPort::SendInstruction(uint32_t word)
{
    ++instructions;
    const Decoded d = Decode(word);
    if (d.op == "mfspr" && d.number == ppc::kSprDpdr) {
        // The value arrives with the next data exchange.
        core.executed.push_back(word);
        pendingTo_ = int(d.rd);
        return;
    }
    core.Execute(word);
    if (d.op == "rfi")
        running = !(core.msr & 0x400);
}

ppc::PortAnswer Ppc8xxPort::ExchangeData(uint32_t word)
{
    ++exchanges;
    uint8_t status = answerForever;
    if (status == 0 && !injected.empty()) {
        status = injected.front();
        injected.erase(injected.begin());
    }
    if (status == 0 && running)
        status = 3;  // a running core does not answer
    if (status != 0)
        return {status, 0};
    const uint32_t out = core.Spr(ppc::kSprDpdr);
    if (pendingTo_ >= 0) {
        core.gpr[pendingTo_] = word;
        pendingTo_ = -1;
    }
    core.spr[ppc::kSprDpdr] = word;
    return {0, out};
}

}  // namespace ppctest
