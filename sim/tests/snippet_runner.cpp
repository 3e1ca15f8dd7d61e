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

}  // namespace zk::sim::test
