// Object and class tags of the archive, and the run-time class registry.
#include <gtest/gtest.h>

#include <memory>

#include "platform/archive.h"
#include "test_support.h"

using namespace platform;
using platform::test::Bytes;
using platform::test::Store;

class CPoint : public CObject {
    DECLARE_SERIAL(CPoint)
public:
    int32_t x = 0, y = 0;
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << x << y;
        else
            ar >> x >> y;
    }
};
IMPLEMENT_SERIAL(CPoint, CObject, 1)

class CTag : public CObject {
    DECLARE_SERIAL(CTag)
public:
    uint8_t value = 0;
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << value;
        else
            ar >> value;
    }
};
IMPLEMENT_SERIAL(CTag, CObject, 3)

// A node that reads another object inside its own Serialize.
class CNode : public CObject {
    DECLARE_SERIAL(CNode)
public:
    CObject* next = nullptr;
    ~CNode() override { delete next; }
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << next;
        else
            ar >> next;
    }
};
IMPLEMENT_SERIAL(CNode, CObject, 1)

// Reads objects stored with older schemas.
class CVersioned : public CObject {
    DECLARE_SERIAL(CVersioned)
public:
    UINT schemaSeen = 0;
    void Serialize(CArchive& ar) override
    {
        if (ar.IsLoading())
            schemaSeen = ar.GetObjectSchema();
    }
};
IMPLEMENT_SERIAL(CVersioned, CObject, VERSIONABLE_SCHEMA | 2)

class CCreatableOnly : public CObject {
    DECLARE_DYNCREATE(CCreatableOnly)
};
IMPLEMENT_DYNCREATE(CCreatableOnly, CObject)

namespace {

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kPointClass = {0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00, 'C', 'P', 'o', 'i', 'n', 't'};

TEST(ArchiveObjectsTest, NewClassClassIndexObjectIndexAndNullTags)
{
    CPoint a, b;
    a.x = 1, a.y = 2, b.x = 3, b.y = 4;
    Bytes bytes = Store([&](CArchive& ar) { ar << &a << &b << &a << static_cast<CObject*>(nullptr); });
    // Indexes: class CPoint 1, a 2, b 3.
    EXPECT_EQ(bytes,
              Cat({kPointClass,
                   {1, 0, 0, 0, 2, 0, 0, 0},  // a
                   {0x01, 0x80},
                   {3, 0, 0, 0, 4, 0, 0, 0},  // b: known class 1
                   {0x02, 0x00},              // a again
                   {0x00, 0x00}}));           // null

    CMemFile in(bytes);
    CArchive ar(&in, CArchive::load);
    CPoint *p1, *p2, *p3, *p4;
    ar >> p1 >> p2 >> p3 >> p4;
    std::unique_ptr<CPoint> own1(p1), own2(p2);
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p1->y, 2);
    EXPECT_EQ(p2->x, 3);
    EXPECT_EQ(p3, p1) << "a shared object comes back once";
    EXPECT_EQ(p4, nullptr);
}

TEST(ArchiveObjectsTest, IndexesFrom7FFFTakeTheBigTag)
{
    // Class CPoint 1, points 2 to 0x8000; class CTag 0x8001.
    std::vector<CPoint> points(0x7FFF);
    CTag t1, t2;
    Bytes bytes = Store([&](CArchive& ar) {
        for (auto& p : points)
            ar << &p;
        ar << &points[0x7FFD] << &points[0x7FFC] << &t1 << &t2;
    });
    Bytes tail = {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00,                            // index 0x7FFF
                  0xFE, 0x7F,                                                    // index 0x7FFE
                  0xFF, 0xFF, 0x03, 0x00, 0x04, 0x00, 'C', 'T', 'a', 'g', 0x00,  // t1
                  0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80, 0x00};                     // t2: class 0x8001
    ASSERT_GT(bytes.size(), tail.size());
    EXPECT_EQ(Bytes(bytes.end() - static_cast<long>(tail.size()), bytes.end()), tail);

    CMemFile in(bytes);
    CArchive ar(&in, CArchive::load);
    std::vector<std::unique_ptr<CObject>> loaded;
    for (size_t i = 0; i < points.size(); ++i)
        loaded.emplace_back(ar.ReadObject(RUNTIME_CLASS(CPoint)));
    EXPECT_EQ(ar.ReadObject(nullptr), loaded[0x7FFD].get());
    EXPECT_EQ(ar.ReadObject(nullptr), loaded[0x7FFC].get());
    std::unique_ptr<CObject> r1(ar.ReadObject(RUNTIME_CLASS(CTag)));
    std::unique_ptr<CObject> r2(ar.ReadObject(RUNTIME_CLASS(CTag)));
    EXPECT_TRUE(r2->IsKindOf(RUNTIME_CLASS(CTag)));
    EXPECT_NE(r1, r2);
}

CArchiveException ReadFails(const Bytes& bytes, const CRuntimeClass* requested = nullptr)
{
    CMemFile in(bytes);
    CArchive ar(&in, CArchive::load);
    try {
        std::unique_ptr<CObject> first(ar.ReadObject(requested));
        std::unique_ptr<CObject> second(ar.ReadObject(requested));
    } catch (const CArchiveException& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return CArchiveException(CArchiveException::none, {}, 0);
}

TEST(ArchiveObjectsTest, BadTagsAndClassesAreTypedErrors)
{
    Bytes point = Cat({kPointClass, {1, 0, 0, 0, 2, 0, 0, 0}});
    struct Case {
        const char* what;
        Bytes bytes;
        const CRuntimeClass* requested;
        int cause;
        const char* text;
    } cases[] = {
        {"unknown class",
         {0xFF, 0xFF, 1, 0, 4, 0, 'N', 'o', 'n', 'e'},
         nullptr,
         CArchiveException::badClass,
         "unknown class \"None\""},
        {"schema",
         {0xFF, 0xFF, 9, 0, 6, 0, 'C', 'P', 'o', 'i', 'n', 't'},
         nullptr,
         CArchiveException::badSchema,
         "schema 9"},
        {"long class name", {0xFF, 0xFF, 1, 0, 0x40, 0}, nullptr, CArchiveException::badClass, "64 bytes"},
        {"not serialisable",
         {0xFF, 0xFF, 0xFF, 0xFF, 14, 0, 'C', 'C', 'r', 'e', 'a', 't', 'a', 'b', 'l', 'e', 'O', 'n', 'l', 'y'},
         nullptr,
         CArchiveException::badClass,
         "CCreatableOnly"},
        {"class index", {0x05, 0x80}, nullptr, CArchiveException::badIndex, "class index 5"},
        {"object index", {0x05, 0x00}, nullptr, CArchiveException::badIndex, "object index 5"},
        {"object tag naming a class", Cat({point, {0x01, 0x00}}), nullptr, CArchiveException::badIndex,
         "object index 1"},
        {"class tag naming an object", Cat({point, {0x02, 0x80}}), nullptr, CArchiveException::badIndex,
         "class index 2"},
        {"big tag", {0xFF, 0x7F, 0x00, 0x01, 0x00, 0x80}, nullptr, CArchiveException::badIndex, "class index 256"},
        {"wrong class", point, RUNTIME_CLASS(CTag), CArchiveException::badClass, "CPoint where CTag"},
        {"cut in the name", {0xFF, 0xFF, 1, 0, 6, 0, 'C', 'P'}, nullptr, CArchiveException::endOfFile, ""},
    };
    for (const auto& c : cases) {
        CArchiveException e = ReadFails(c.bytes, c.requested);
        EXPECT_EQ(e.m_cause, c.cause) << c.what << ": " << e.what();
        EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << c.what << ": " << e.what();
    }
}

TEST(ArchiveObjectsTest, AnArchiveCutAnywhereInAnObjectGraphThrows)
{
    CNode inner, outer;
    CPoint p;
    inner.next = &p;
    outer.next = &inner;
    Bytes bytes = Store([&](CArchive& ar) { ar << &outer << &p << &inner; });
    inner.next = outer.next = nullptr;
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CMemFile in(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
        CArchive ar(&in, CArchive::load);
        std::unique_ptr<CObject> a;
        try {
            a.reset(ar.ReadObject(nullptr));
            ar.ReadObject(nullptr);  // p, owned by the inner node
            ar.ReadObject(nullptr);  // inner, owned by the outer node
            ADD_FAILURE() << "no error at cut " << cut;
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << cut;
        }
    }
    CMemFile in(bytes);
    CArchive ar(&in, CArchive::load);
    std::unique_ptr<CObject> graph(ar.ReadObject(RUNTIME_CLASS(CNode)));
    auto* node = static_cast<CNode*>(graph.get());
    auto* innerNode = static_cast<CNode*>(node->next);
    EXPECT_EQ(ar.ReadObject(nullptr), innerNode->next);
    EXPECT_EQ(ar.ReadObject(nullptr), innerNode);
}

TEST(ArchiveObjectsTest, DeepNestingIsRefusedBeforeTheStackRunsOut)
{
    Bytes bytes = {0xFF, 0xFF, 1, 0, 5, 0, 'C', 'N', 'o', 'd', 'e'};
    for (int i = 0; i < 5000; ++i) {
        bytes.push_back(0x01);
        bytes.push_back(0x80);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    CArchiveException e = ReadFails(bytes);
    EXPECT_EQ(e.m_cause, CArchiveException::genericException) << e.what();
    EXPECT_NE(std::string(e.what()).find("nested too deeply"), std::string::npos) << e.what();
}

TEST(ArchiveObjectsTest, AVersionableClassReadsTheStoredSchema)
{
    Bytes bytes = {0xFF, 0xFF, 1, 0, 10, 0, 'C', 'V', 'e', 'r', 's', 'i', 'o', 'n', 'e', 'd'};
    CMemFile in(bytes);
    CArchive ar(&in, CArchive::load);
    std::unique_ptr<CObject> object(ar.ReadObject(nullptr));
    EXPECT_EQ(static_cast<CVersioned*>(object.get())->schemaSeen, 1u);
    // Stored with its own schema, without the versionable bit.
    CVersioned v;
    Bytes stored = Store([&](CArchive& out) { out << &v; });
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 4), (Bytes{0xFF, 0xFF, 2, 0}));
}

TEST(ArchiveObjectsTest, ClassesAreMadeByNameAndKnowTheirBases)
{
    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject("CPoint"));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CPoint)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(made->IsKindOf(RUNTIME_CLASS(CTag)));
    EXPECT_TRUE(made->IsSerializable());
    EXPECT_EQ(CRuntimeClass::FromName("cpoint"), nullptr) << "class names are exact";
    EXPECT_EQ(CRuntimeClass::CreateObject("NoSuchClass"), nullptr);
    std::unique_ptr<CObject> creatable(RUNTIME_CLASS(CCreatableOnly)->CreateObject());
    EXPECT_FALSE(creatable->IsSerializable());
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    EXPECT_THROW(ar << creatable.get(), CArchiveException);
    ar.Abort();
}

}  // namespace
