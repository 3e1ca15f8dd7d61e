#include "lathris/bar_state.h"

#include "byte_record.h"

namespace lathris {
namespace {

constexpr uint16_t kVersion = 1;
enum Kind : uint8_t { kButton = 0, kSeparator = 1, kCombo = 2 };
// A bar never holds more; a larger count is a damaged record.
constexpr uint32_t kMaxButtons = 1024;
constexpr uint32_t kMaxComboItems = 4096;

std::string Where(const ByteReader& r)
{
    return "offset " + std::to_string(r.ErrorOffset()) + ": " + r.Error();
}

}  // namespace

uint32_t Crc32(const std::string& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string EncodeButtons(const ButtonList& buttons)
{
    ByteWriter w;
    w.Tag("ZKTB");
    w.U16(kVersion);
    w.U32(static_cast<uint32_t>(buttons.size()));
    for (const auto& b : buttons) {
        auto* combo = dynamic_cast<const CBCGToolbarComboBoxButton*>(b.get());
        w.U8(b->IsSeparator() ? kSeparator : combo ? kCombo : kButton);
        w.U32(b->m_nID);
        w.U32(static_cast<uint32_t>(b->m_iImage));
        w.U8(b->m_bUserButton ? 1 : 0);
        w.Text(b->m_strText);
        if (combo) {
            w.U32(static_cast<uint32_t>(combo->m_nWidth));
            w.U32(combo->m_dwStyle);
            w.U32(static_cast<uint32_t>(combo->GetCount()));
            for (int i = 0; i < combo->GetCount(); ++i) {
                w.Text(combo->GetItem(i));
                w.U32(combo->GetItemData(i));
            }
        }
    }
    return w.Take();
}

bool DecodeButtons(const std::string& record, ButtonList& out, std::string& error)
{
    ByteReader r(record);
    r.ExpectTag("ZKTB");
    if (r.Ok() && r.U16() != kVersion && r.Ok())
        r.Fail("unknown version");
    uint32_t count = r.Count(14);
    if (r.Ok() && count > kMaxButtons)
        r.Fail("too many buttons");
    ButtonList buttons;
    for (uint32_t i = 0; i < count && r.Ok(); ++i) {
        size_t at = r.Offset();
        uint8_t kind = r.U8();
        UINT id = r.U32();
        int image = static_cast<int>(r.U32());
        uint8_t user = r.U8();
        std::string text = r.Text();
        if (!r.Ok())
            break;
        bool separator = kind == kSeparator;
        if (kind > kCombo || user > 1 || image < -1 || (!separator && id == 0) ||
            (separator && (id != 0 || image != -1 || user != 0 || !text.empty()))) {
            r.FailAt(at, "button " + std::to_string(i) + " is not a button");
            break;
        }
        if (kind == kSeparator) {
            buttons.push_back(CBCGToolbarButton::Separator());
            continue;
        }
        if (kind == kButton) {
            buttons.push_back(std::make_unique<CBCGToolbarButton>(id, image, text, user));
            continue;
        }
        int width = static_cast<int>(r.U32());
        DWORD style = r.U32();
        uint32_t items = r.Count(8);
        if (r.Ok() &&
            (width <= 0 || width > 4096 || style < CBS_SIMPLE || style > CBS_DROPDOWNLIST || items > kMaxComboItems))
            r.FailAt(at, "combo button " + std::to_string(i) + " has impossible sizes");
        auto combo = std::make_unique<CBCGToolbarComboBoxButton>(id, image, style, width);
        combo->m_strText = text;
        combo->m_bUserButton = user;
        for (uint32_t k = 0; k < items && r.Ok(); ++k) {
            std::string item = r.Text();
            DWORD data = r.U32();
            combo->AddItem(item, data);
        }
        buttons.push_back(std::move(combo));
    }
    if (r.Ok() && !r.AtEnd())
        r.Fail("bytes after the last button");
    if (!r.Ok()) {
        error = Where(r);
        return false;
    }
    out = std::move(buttons);
    return true;
}

std::string EncodeDockState(const DockState& state)
{
    ByteWriter w;
    w.Tag("ZKDS");
    w.U16(kVersion);
    w.U32(static_cast<uint32_t>(state.barIds.size()));
    for (UINT id : state.barIds)
        w.U32(id);
    w.Text(state.layout);
    std::string body = w.Take();
    ByteWriter crc;
    crc.U32(Crc32(body));
    return body + crc.Take();
}

bool DecodeDockState(const std::string& record, DockState& out, std::string& error)
{
    ByteReader r(record);
    r.ExpectTag("ZKDS");
    if (r.Ok() && r.U16() != kVersion && r.Ok())
        r.Fail("unknown version");
    DockState state;
    uint32_t count = r.Count(4);
    for (uint32_t i = 0; i < count && r.Ok(); ++i)
        state.barIds.push_back(r.U32());
    state.layout = r.Text();
    size_t bodyEnd = r.Offset();
    uint32_t crc = r.U32();
    if (r.Ok() && crc != Crc32(record.substr(0, bodyEnd))) {
        r.Fail("checksum does not match");
    }
    if (r.Ok() && !r.AtEnd())
        r.Fail("bytes after the checksum");
    if (!r.Ok()) {
        error = Where(r);
        return false;
    }
    out = std::move(state);
    return true;
}

}  // namespace lathris
