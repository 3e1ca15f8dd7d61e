#include "snippet_runner.h"

#include <gtest/gtest.h>

#include "host_tools.h"

namespace zk::sim::test {

SnippetImage::SnippetImage(const std::string& fixture)
{
    std::string error;
    if (!tools::ReadElfImage(zk::test::FixturePath(fixture), image_, error))
        ADD_FAILURE() << error;
}

uint32_t SnippetImage::Symbol(const std::string& name) const
{
    auto it = image_.symbols.find(name);
    if (it == image_.symbols.end()) {
        ADD_FAILURE() << "no symbol " << name;
        return 0;
    }
    return it->second;
}

std::unique_ptr<Simulator> SnippetImage::Start(const std::string& label) const
{
    auto sim = std::make_unique<Simulator>();
    tools::LoadElfImage(image_, *sim);
    const uint32_t at = Symbol(label);
    sim->Cpu().SetPc(at & ~1u);
    if (at & 1)
        sim->Cpu().SetThumb(true);
    return sim;
}

int RunToEnd(Simulator& sim, uint32_t cap)
{
    return sim.Run(cap);
}

uint32_t Reg(const Simulator& sim, unsigned n)
{
    uint32_t v = 0;
    sim.ReadRegister(static_cast<int>(n) + 1, v);
    return v;
}

ProtectionSettings AllMemoryCached(Protection dataPolicy)
{
    ProtectionSettings s;
    s.enabled = true;
    s.cacheEnabled = {true, true};
    s.regions[0] = {true, 0, uint64_t{1} << 32};
    s.permission[0][0] = s.permission[1][0] = Permission::Full;
    s.policy[0][0] = Protection::WriteBack;
    s.policy[1][0] = dataPolicy;
    return s;
}

void UseTinyCaches(Simulator& sim)
{
    sim.Memory().CacheOf(Side::Instruction).Allocate({64, 2});
    sim.Memory().CacheOf(Side::Data).Allocate({128, 2});
}

void ExpectSameCaches(const Simulator& a, const Simulator& b)
{
    for (Side side : {Side::Instruction, Side::Data}) {
        const Cache& ca = a.Memory().CacheOf(side);
        const Cache& cb = b.Memory().CacheOf(side);
        ASSERT_EQ(ca.Sets(), cb.Sets());
        ASSERT_EQ(ca.Ways(), cb.Ways());
        for (uint32_t set = 0; set < ca.Sets(); ++set) {
            for (uint32_t way = 0; way < ca.Ways(); ++way) {
                SCOPED_TRACE(::testing::Message()
                             << (side == Side::Data ? "data" : "instruction") << " set " << set << " way " << way);
                const CacheLine& la = ca.Line(set, way);
                const CacheLine& lb = cb.Line(set, way);
                ASSERT_EQ(la.valid, lb.valid);
                if (!la.valid)
                    continue;
                ASSERT_EQ(la.tag, lb.tag);
                ASSERT_EQ(la.age, lb.age);
                ASSERT_EQ(la.dirty, lb.dirty);
                for (unsigned i = 0; i < 4; ++i)
                    ASSERT_EQ(la.words[i], lb.words[i]);
            }
        }
    }
}

}  // namespace zk::sim::test
