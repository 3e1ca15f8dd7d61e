// The breakpoint record classes: construction, copying, the hit test and the
// archive form.
#include "conditions.h"
#include "core.h"

IMPLEMENT_SERIAL(CBpData, CBkptObj, 1)
IMPLEMENT_SERIAL(CBpDataEx, CBpData, 1)

// --- CBpData -------------------------------------------------------------------

CBpData::CBpData() = default;

CBpData::CBpData(const CBpData& other) : CBkptObj()
{
    m_bkpt.address = other.m_bkpt.address;
    m_bkpt.disabled = other.m_bkpt.disabled;
    m_count = other.m_count;
    m_symbol = other.m_symbol;
}

CBpData::CBpData(const ADDR& addr, const std::string& symbol, int enable, unsigned count)
    : m_count(count), m_symbol(symbol)
{
    m_bkpt.address = addr;
    Enable(enable);
}

CBpData& CBpData::operator=(const CBpData& other)
{
    m_bkpt.address = other.m_bkpt.address;
    m_bkpt.disabled = other.m_bkpt.disabled;
    m_count = other.m_count;
    m_symbol = other.m_symbol;
    return *this;
}

CBpData::~CBpData() = default;

void CBpData::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_bkpt.address.off << m_bkpt.address.seg << m_symbol;
        ar << static_cast<uint16_t>(IsEnable()) << m_count;
    } else {
        uint16_t enabled = 0;
        ar >> m_bkpt.address.off >> m_bkpt.address.seg >> m_symbol >> enabled >> m_count;
        Enable(enabled);
    }
}

// Only the offset is compared: a stop reported in another space still hits.
int CBpData::BpHit(ADDR pc)
{
    if (m_bkpt.disabled || pc.off != m_bkpt.address.off)
        return 0;
    if (m_count < 2)
        return 1;
    if (++m_hitCount < m_count)
        return 0;
    m_hitCount = 0;
    return 1;
}

// --- CBpDataEx -----------------------------------------------------------------

CBpDataEx::CBpDataEx() = default;

CBpDataEx::CBpDataEx(const CBpDataEx& other)
    : CBpData(other), m_bpType(other.m_bpType), m_condition(other.m_condition), m_accessAddr(other.m_accessAddr),
      m_macro(other.m_macro), m_accessType(other.m_accessType)
{}

CBpDataEx::CBpDataEx(const ADDR& addr, const std::string& symbol, int enable, int bpType, std::string condition,
                     const ADDR& access, std::string macro, int accessType)
    : CBpData(addr, symbol, enable, 1), m_bpType(bpType), m_condition(std::move(condition)), m_accessAddr(access),
      m_macro(std::move(macro)), m_accessType(accessType)
{}

CBpDataEx& CBpDataEx::operator=(const CBpDataEx& other)
{
    CBpData::operator=(other);
    m_bpType = other.m_bpType;
    m_condition = other.m_condition;
    m_accessAddr = other.m_accessAddr;
    m_macro = other.m_macro;
    m_accessType = other.m_accessType;
    return *this;
}

CBpDataEx::~CBpDataEx() = default;

void CBpDataEx::Serialize(CArchive& ar)
{
    CBpData::Serialize(ar);
    if (ar.IsStoring())
        ar << m_bpType << m_condition;
    else
        ar >> m_bpType >> m_condition;
}

namespace {

// A task-qualified breakpoint stops only while its thread is the kernel's
// current one; without the kernel view it acts as a plain breakpoint.
bool OtherTaskCurrent(const ADDR& access)
{
    const GetTaskInfoFn query = sarvik::Core().getTaskInfo;
    if (access.seg != ADDR_SPACE_TARGET || !query)
        return false;
    uint32_t controlBlock = access.off;
    return query(TASK_INFO_IS_OTHER_CURRENT, reinterpret_cast<void**>(&controlBlock)) != 0;
}

}  // namespace

int CBpDataEx::BpHit(ADDR pc)
{
    if (!CBpData::BpHit(pc))
        return 0;
    if (m_bpType == 0)
        return OtherTaskCurrent(m_accessAddr) ? 0 : 1;
    if (!sarvik::EvaluateCondition(m_condition, m_bkpt.address) || OtherTaskCurrent(m_accessAddr))
        return 0;
    // A conditional breakpoint with a pass count n > 1 lets n - 1 true
    // evaluations pass, then stops at every true one. A count of 0 means
    // every pass, as for plain breakpoints.
    if (m_count > 1) {
        --m_count;
        return 0;
    }
    return 1;
}
