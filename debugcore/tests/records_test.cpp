// The breakpoint records: hit test, copying and the archive form.
#include <platform/file.h>

#include "conditions.h"
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<int> Passes(CBpData& bp, ADDR at, int n)
{
    std::vector<int> hits;
    for (int i = 0; i < n; ++i)
        hits.push_back(bp.BpHit(at));
    return hits;
}

TEST(BpDataHit, PassCountsHitOnEveryCountthPass)
{
    const ADDR at{0x100, 1};
    CBpData three(at, "", 1, 3);
    EXPECT_THAT(Passes(three, at, 9), ElementsAre(0, 0, 1, 0, 0, 1, 0, 0, 1));
    for (unsigned count : {0u, 1u}) {
        CBpData every(at, "", 1, count);
        EXPECT_THAT(Passes(every, at, 3), ElementsAre(1, 1, 1)) << "count " << count;
    }
}

TEST(BpDataHit, OnlyTheOffsetIsComparedAndDisabledRecordsNeverCount)
{
    CBpData bp({0x100, 1}, "", 1, 2);
    EXPECT_EQ(bp.BpHit({0x100, 0}), 0);
    EXPECT_EQ(bp.BpHit({0x100, 0}), 1) << "a stop in space 0 hits a breakpoint in space 1";
    EXPECT_EQ(bp.BpHit({0x104, 1}), 0);
    EXPECT_EQ(bp.GetHitCount(), 0u) << "another address does not count";

    bp.Enable(0);
    EXPECT_EQ(bp.BpHit({0x100, 1}), 0);
    EXPECT_EQ(bp.GetHitCount(), 0u) << "a disabled breakpoint does not count";
}

TEST(BpDataCopy, CopiesAreFreshPermanentRecords)
{
    CBpDataEx original({0x200, 1}, "main", 0, 1, "x==1", {0x9000, 1}, "macro", 3);
    original.SetCount(4);
    original.SetLife(BPLIFE_TEMPORARY);
    original.SetStatus(BKPT_STATUS_RESTORED);
    original.GetBkpt()->savedWord = 0x12345678;
    original.Enable(1);
    original.BpHit({0x200, 1});
    ASSERT_EQ(original.GetHitCount(), 1u);

    const CBpDataEx copy(original);
    EXPECT_EQ(copy.GetAddr(), (ADDR{0x200, 1}));
    EXPECT_EQ(copy.GetSymbol(), "main");
    EXPECT_EQ(copy.GetCount(), 4u);
    EXPECT_EQ(copy.IsEnable(), 1);
    EXPECT_EQ(copy.GetBpCondition(), "x==1");
    EXPECT_EQ(copy.GetAccessAddr(), (ADDR{0x9000, 1}));
    EXPECT_EQ(copy.GetMacro(), "macro");
    EXPECT_EQ(copy.GetAccessType(), 3);
    EXPECT_EQ(copy.GetLife(), BPLIFE_PERMANENT);
    EXPECT_EQ(copy.GetHitCount(), 0u);
    EXPECT_EQ(copy.GetStatus(), BKPT_STATUS_PLANTED);
    EXPECT_EQ(copy.GetBkpt()->savedWord, BP_NO_SAVED_WORD);

    // Assignment copies the user's fields and keeps the planting state.
    CBpDataEx target;
    target.SetLife(BPLIFE_ENABLED_ONCE);
    target.GetBkpt()->savedWord = 0xE1A00000;
    target = original;
    EXPECT_EQ(target.GetLife(), BPLIFE_ENABLED_ONCE);
    EXPECT_EQ(target.GetBkpt()->savedWord, 0xE1A00000u);
    EXPECT_EQ(target.GetBpCondition(), "x==1");
    EXPECT_EQ(target.GetCount(), 4u);

    const CBpDataEx fresh;
    EXPECT_EQ(fresh.GetAccessAddr(), (ADDR{0xFFFFFFFFu, 0}));
    EXPECT_EQ(fresh.GetCount(), 1u);
    EXPECT_EQ(fresh.GetStatus(), BKPT_STATUS_PLANTED);
}

std::vector<uint8_t> Stored(CBpData& record)
{
    platform::CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        record.Serialize(ar);
        ar.Close();
    }
    return file.Data();
}

TEST(BpDataArchive, StoresTheFieldsLittleEndianInOrder)
{
    CBpDataEx empty;
    EXPECT_THAT(Stored(empty), ElementsAreArray<uint8_t>({0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}))
        << "18 bytes: offset, space, empty symbol, enabled, count, type, empty condition";

    CBpDataEx full({0x12345678, 1}, "ab", 0, 1, "c", {0x9000, 1}, "never stored", 2);
    full.SetCount(0x300);
    EXPECT_THAT(Stored(full), ElementsAreArray<uint8_t>({0x78, 0x56, 0x34, 0x12, 1, 0, 2, 'a', 'b', 0,  0,
                                                         0,    3,    0,    0,    1, 0, 0, 0,   1,   'c'}));
    CBpData plain({0x40, 1}, "", 1, 1);
    EXPECT_EQ(Stored(plain).size(), 13u) << "CBpData stores no type and no condition";
}

TEST(BpDataArchive, LoadsWhatItStoresAndLongTextsTakeTheLongLength)
{
    CBpDataEx original({0x8000, 1}, std::string(300, 's'), 0, 1, "r0==5", {0x9000, 1}, "m", 1);
    original.SetCount(7);
    const std::vector<uint8_t> bytes = Stored(original);
    ASSERT_EQ(bytes[6], 0xFF) << "a symbol of 300 characters: 0xFF and a 16-bit length";
    EXPECT_EQ(bytes[7] | bytes[8] << 8, 300);

    platform::CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    CBpDataEx loaded;
    loaded.Serialize(ar);
    EXPECT_EQ(loaded.GetAddr(), (ADDR{0x8000, 1}));
    EXPECT_EQ(loaded.GetSymbol(), std::string(300, 's'));
    EXPECT_EQ(loaded.IsEnable(), 0);
    EXPECT_EQ(loaded.GetCount(), 7u);
    EXPECT_EQ(loaded.GetBpType(), 1);
    EXPECT_EQ(loaded.GetBpCondition(), "r0==5");
    EXPECT_EQ(loaded.GetAccessAddr(), BP_NO_ACCESS_ADDR) << "the task qualifier is not stored";
    EXPECT_EQ(loaded.GetMacro(), "");

    platform::CMemFile cut(bytes.data(), 10);
    CArchive short_(&cut, CArchive::load);
    CBpDataEx partial;
    EXPECT_THROW(partial.Serialize(short_), CArchiveException);
}

TEST(BpDataArchive, RecordsAreMadeByClassName)
{
    for (const char* name : {"CBpData", "CBpDataEx"}) {
        CObject* object = CRuntimeClass::CreateObject(name);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_STREQ(object->GetRuntimeClass()->m_lpszClassName, name);
        EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CBkptObj)));
        delete object;
    }
    EXPECT_EQ(CRuntimeClass::FromName("CBkptObj")->m_pBaseClass, RUNTIME_CLASS(CCmdTarget));
}

// Conditions through the evaluator seam: answers from a script, scope recorded.
class ScriptedConditions : public ConditionEvaluator {
public:
    int Evaluate(const std::string& condition, ADDR scope) override
    {
        asked.push_back(condition + "@" + std::to_string(scope.off));
        const int answer = answers.empty() ? 0 : answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        return answer;
    }
    std::vector<int> answers;
    std::vector<std::string> asked;
};

TEST(BpDataExHit, ConditionalCountsLetTrueEvaluationsPassThenStopAtEveryTrueOne)
{
    ScriptedConditions conditions;
    ConditionEvaluator* previous = SetConditionEvaluator(&conditions);
    const ADDR at{0x300, 1};
    CBpDataEx bp(at, "", 1, 1, "x>3", BP_NO_ACCESS_ADDR, "", 0);
    bp.SetCount(3);
    // Step 1 (the pass count of CBpData) lets only every third pass reach
    // the condition at first; true evaluations count the pass count down
    // to 1, and from then on every true evaluation stops.
    conditions.answers = {1, 1, 0, 1, 0, 1};
    EXPECT_THAT(Passes(bp, at, 9), ElementsAre(0, 0, 0, 0, 0, 0, 1, 0, 1));
    ASSERT_EQ(conditions.asked.size(), 6u) << "passes 3, 5, 6, 7, 8 and 9 reach the condition";
    EXPECT_EQ(conditions.asked[0], "x>3@768");
    EXPECT_EQ(bp.GetCount(), 1u);

    CBpDataEx zero(at, "", 1, 1, "x", BP_NO_ACCESS_ADDR, "", 0);
    zero.SetCount(0);
    conditions.answers = {1, 1};
    EXPECT_THAT(Passes(zero, at, 2), ElementsAre(1, 1)) << "count 0 means every pass";
    SetConditionEvaluator(nullptr);
    CBpDataEx noEvaluator(at, "", 1, 1, "anything", BP_NO_ACCESS_ADDR, "", 0);
    EXPECT_EQ(noEvaluator.BpHit(at), 1) << "without an evaluator a condition holds";
    SetConditionEvaluator(previous);
    EXPECT_EQ(previous, &SymbolConditionEvaluator()) << "the library starts with its own";
}

}  // namespace
}  // namespace sarvik::test
