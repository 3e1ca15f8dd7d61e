// The breakpoint records of the debugger core library sarvik and the types
// around them. The program links these classes: it builds CBpData objects of
// its own (update hints for its views) and reads the records that BptFindBp
// hands back, so field order, widths and meanings are fixed.
#pragma once

#include <platform/archive.h>
#include <platform/cmd_target.h>
#include <platform/runtime_class.h>

#include <cstdint>
#include <string>
#include <vector>

#include "emu_types.h"

// The life of a breakpoint record.
enum BX_BPLIFE : int32_t {
    BPLIFE_PERMANENT = 0,     // a user's breakpoint
    BPLIFE_TEMPORARY = 1,     // made by AddTempBp; gone at RemoveTempBp or the next unload
    BPLIFE_ENABLED_ONCE = 2,  // a user's disabled breakpoint that AddTempBp enabled for one run
};

// Whether a record takes part in the restore at unload.
enum BKPT_STATUS : int32_t {
    BKPT_STATUS_RESTORED = 0,  // nothing to restore
    BKPT_STATUS_PLANTED = 2,   // new records and planted ones
};

inline constexpr uint32_t BP_NO_SAVED_WORD = 0xFFFFFFFFu;
inline constexpr ADDR BP_NO_ACCESS_ADDR{0xFFFFFFFFu, ADDR_SPACE_NONE};

// The breakpoint body inside CBpData.
struct BX_BREAKPOINT {
    uint16_t type = 0;     // read by the automation property "Type"; nothing sets it
    int32_t disabled = 0;  // non-zero: disabled
    BX_BPLIFE life = BPLIFE_PERMANENT;
    ADDR address{};
    // The bytes the break instruction replaced while planted, in target
    // memory order (the byte at the address in bits 0-7); a Thumb halfword
    // fills bits 0-15. BP_NO_SAVED_WORD: none.
    uint32_t savedWord = BP_NO_SAVED_WORD;
};

// BptFindBp's answer.
using BPT_MARK = uint8_t;
inline constexpr BPT_MARK BPT_MARK_NONE = 0;
inline constexpr BPT_MARK BPT_MARK_SW_DISABLED = 1;
inline constexpr BPT_MARK BPT_MARK_SW_ENABLED = 2;
inline constexpr BPT_MARK BPT_MARK_UNIT_DISABLED = 3;
inline constexpr BPT_MARK BPT_MARK_UNIT_ENABLED = 4;

// One hardware watchpoint unit as sarvik keeps it. Control: value in the low
// 16 bits (bit 0 write cycle, bits 1-2 size 0 byte / 1 halfword / 2 word,
// bit 3 data access (0 instruction fetch), bit 8 enable), in the high 16
// bits the mask of value bits that are not compared.
struct WHPT_UNIT {
    uint32_t used = 0;
    uint32_t enabled = 0;
    uint32_t address = 0;
    uint32_t addressMask = 0xFFFFFFFFu;  // set bits are not compared
    uint32_t data = 0;
    uint32_t dataMask = 0xFFFFFFFFu;
    uint32_t control = 0xFFFF0000u;
    friend bool operator==(const WHPT_UNIT&, const WHPT_UNIT&) = default;
};

// The automation base of every breakpoint record: a dispatch object of the
// breakpoint item interface with the properties "Type" (1, 16-bit, read
// only), "Address" (2, read only) and "Enable" (3; a put changes the flag
// only, the target is not told). The record deletes itself when the last
// reference goes (the list's or the breakpoint collection's, and a
// script's).
class CBkptObj : public CCmdTarget {
    DECLARE_DYNAMIC(CBkptObj)
public:
    CBkptObj();
    BOOL GetDispatchIID(IID* iid) override;

protected:
    ~CBkptObj() override;
    // A copy is a new automation object: nothing of the dispatch side is copied.
    CBkptObj(const CBkptObj&) : CBkptObj() {}
    CBkptObj& operator=(const CBkptObj&) { return *this; }
};

class CBpData : public CBkptObj {
    DECLARE_SERIAL(CBpData)
public:
    CBpData();
    // Copies address, symbol, disabled flag and pass count; the copy is a
    // fresh permanent record (status 2, hit counter 0, no saved word).
    CBpData(const CBpData& other);
    CBpData(const ADDR& addr, const std::string& symbol, int enable, unsigned count);
    // Copies address, symbol, disabled flag and pass count; status, life,
    // hit counter and saved word stay.
    CBpData& operator=(const CBpData& other);
    ~CBpData() override;

    ADDR GetAddr() const { return m_bkpt.address; }
    void SetAddr(const ADDR& addr) { m_bkpt.address = addr; }
    int IsEnable() const { return m_bkpt.disabled == 0 ? 1 : 0; }
    void Enable(int enable) { m_bkpt.disabled = enable == 0 ? 1 : 0; }
    BX_BREAKPOINT* GetBkpt() { return &m_bkpt; }
    const BX_BREAKPOINT* GetBkpt() const { return &m_bkpt; }
    BX_BPLIFE GetLife() const { return m_bkpt.life; }
    void SetLife(BX_BPLIFE life) { m_bkpt.life = life; }
    BKPT_STATUS GetStatus() const { return m_status; }
    void SetStatus(BKPT_STATUS status) { m_status = status; }
    uint32_t GetCount() const { return m_count; }
    void SetCount(uint32_t count) { m_count = count; }
    const std::string& GetSymbol() const { return m_symbol; }
    void SetSymbol(const std::string& symbol) { m_symbol = symbol; }
    uint32_t GetHitCount() const { return m_hitCount; }
    void ResetHitCount() { m_hitCount = 0; }

    // Offset, space, symbol, enabled (16-bit), pass count; little-endian.
    void Serialize(CArchive& ar) override;
    // 1 when a stop at pc counts as a hit. Advances the hit counter: ask once
    // per stop and per breakpoint.
    virtual int BpHit(ADDR pc);

protected:
    BKPT_STATUS m_status = BKPT_STATUS_PLANTED;
    BX_BREAKPOINT m_bkpt;
    uint32_t m_hitCount = 0;
    uint32_t m_count = 1;  // hits on every count-th pass; 0 and 1: every pass
    std::string m_symbol;
};

class CBpDataEx : public CBpData {
    DECLARE_SERIAL(CBpDataEx)
public:
    CBpDataEx();
    CBpDataEx(const CBpDataEx& other);
    CBpDataEx(const ADDR& addr, const std::string& symbol, int enable, int bpType, std::string condition,
              const ADDR& access, std::string macro, int accessType);
    CBpDataEx& operator=(const CBpDataEx& other);
    using CBpData::operator=;
    ~CBpDataEx() override;

    ADDR GetAccessAddr() const { return m_accessAddr; }
    void SetAccessAddr(const ADDR& access) { m_accessAddr = access; }
    int GetBpType() const { return m_bpType; }
    void SetBpType(int type) { m_bpType = type; }
    std::string GetBpCondition() const { return m_condition; }
    void SetBpCondition(const std::string& condition) { m_condition = condition; }
    int GetAccessType() const { return m_accessType; }
    void SetAccessType(int type) { m_accessType = type; }
    std::string GetMacro() const { return m_macro; }
    void SetMacro(const std::string& macro) { m_macro = macro; }

    // CBpData's fields, then bp type (32-bit) and condition.
    void Serialize(CArchive& ar) override;
    // CBpData's test, then the condition (bp type 1) and the task qualifier.
    int BpHit(ADDR pc) override;

protected:
    int32_t m_bpType = 0;  // 0 plain, 1 conditional
    std::string m_condition;
    ADDR m_accessAddr = BP_NO_ACCESS_ADDR;  // space 1: the kernel thread control block
    std::string m_macro;                    // kept and copied, never evaluated or stored
    int32_t m_accessType = 0;               // kept and copied only
};

// The breakpoint list (BptGetList), in the order breakpoints were set.
using CBpList = std::vector<CBpDataEx*>;
