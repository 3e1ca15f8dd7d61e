// Any bytes read as an archive of strings, counts and objects: errors are
// CException, never a crash or a leak.
#include <cstddef>
#include <cstdint>
#include <set>

#include "platform/archive.h"

// Objects may be shared in an archive; every node is tracked and freed once.
static std::set<CObject*> g_live;

class FuzzNode : public CObject {
    DECLARE_SERIAL(FuzzNode)
public:
    FuzzNode() { g_live.insert(this); }
    ~FuzzNode() override { g_live.erase(this); }
    void Serialize(CArchive& ar) override
    {
        std::string text;
        CObject* child = nullptr;
        ar >> text >> child;
    }
};
IMPLEMENT_SERIAL(FuzzNode, CObject, 1)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemFile file(data, size);
    CArchive ar(&file, CArchive::load, 64);
    try {
        for (int i = 0; i < 8; ++i) {
            ar.ReadCString();
            ar.ReadCount();
            ar.ReadStringArray();
            ar.ReadObject(nullptr);
        }
    } catch (const CException&) {}
    while (!g_live.empty())
        delete *g_live.begin();
    return 0;
}
