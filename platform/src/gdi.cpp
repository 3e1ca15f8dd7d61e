// Font handles and the LOGFONT -> drawing font mapping.
#include "platform/gdi.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

#include "handle_table.h"

namespace platform {
namespace {

// Stock objects live at fixed numbers above the handle table's range.
constexpr uintptr_t kStockBase = 0x90000000u;

struct FontTable {
    std::mutex mutex;
    detail::HandleTable<LOGFONT, 12> fonts;
};

FontTable& Fonts()
{
    static auto* t = new FontTable;
    return *t;
}

bool IsStock(HGDIOBJ object, int& index)
{
    auto v = reinterpret_cast<uintptr_t>(object);
    if (v < kStockBase || v > kStockBase + 32)
        return false;
    index = static_cast<int>(v - kStockBase);
    return true;
}

std::string Lower(const char* s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

bool StockFont(int index, FontSpec& spec)
{
    switch (index) {
    case SYSTEM_FIXED_FONT:
    case OEM_FIXED_FONT: spec = {"DejaVu Sans Mono", 14, false, false, false, true}; return true;
    case ANSI_FIXED_FONT: spec = {"DejaVu Sans Mono", 13, false, false, false, true}; return true;
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case DEFAULT_GUI_FONT: spec = {"DejaVu Sans", 12, false, false, false, false}; return true;
    default: return false;
    }
}

}  // namespace

FontSpec ResolveFont(const LOGFONT& font)
{
    static const char* const kFixedFaces[] = {"courier new",    "courier",  "fixedsys",         "terminal",
                                              "lucida console", "consolas", "dejavu sans mono", "monospace"};
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, font.lfFaceName, LF_FACESIZE);
    std::string name = Lower(face);
    bool fixed = (font.lfPitchAndFamily & 0x03) == FIXED_PITCH || (font.lfPitchAndFamily & 0xF0) == FF_MODERN;
    for (const char* f : kFixedFaces)
        if (name == f)
            fixed = true;
    FontSpec spec;
    spec.fixed = fixed;
    spec.family = fixed ? "DejaVu Sans Mono" : "DejaVu Sans";
    LONG h = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    spec.pixelSize = h == 0 ? (fixed ? 14 : 12) : std::clamp<int>(h, 6, 96);
    spec.bold = font.lfWeight >= 600;
    spec.italic = font.lfItalic != 0;
    spec.underline = font.lfUnderline != 0;
    return spec;
}

bool FontOfHandle(HFONT font, FontSpec& spec)
{
    int index;
    if (IsStock(font, index))
        return StockFont(index, spec);
    std::lock_guard<std::mutex> lock(Fonts().mutex);
    const LOGFONT* lf = Fonts().fonts.Find(detail::HandleNumber(font));
    if (!lf)
        return false;
    spec = ResolveFont(*lf);
    return true;
}

LOGFONT MakeLogFont(const char* face, int heightPixels, LONG weight)
{
    LOGFONT lf{};
    lf.lfHeight = -heightPixels;
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face ? face : "", LF_FACESIZE - 1);
    return lf;
}

size_t FontHandleCount()
{
    std::lock_guard<std::mutex> lock(Fonts().mutex);
    return Fonts().fonts.Size();
}

}  // namespace platform

using namespace platform;

extern "C" HFONT CreateFontIndirect(const LOGFONT* font)
{
    if (!font)
        return nullptr;
    LOGFONT copy = *font;
    copy.lfFaceName[LF_FACESIZE - 1] = '\0';
    std::lock_guard<std::mutex> lock(Fonts().mutex);
    return detail::HandleFromNumber<HFONT>(Fonts().fonts.Add(copy));
}

extern "C" int GetObject(HGDIOBJ object, int size, void* out)
{
    LOGFONT lf{};
    int index;
    if (IsStock(object, index)) {
        FontSpec spec;
        if (!StockFont(index, spec))
            return 0;
        lf = MakeLogFont(spec.family.c_str(), spec.pixelSize);
        lf.lfPitchAndFamily = spec.fixed ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS);
    } else {
        std::lock_guard<std::mutex> lock(Fonts().mutex);
        const LOGFONT* found = Fonts().fonts.Find(detail::HandleNumber(object));
        if (!found)
            return 0;
        lf = *found;
    }
    if (!out)
        return static_cast<int>(sizeof(LOGFONT));
    int n = std::min<int>(size, static_cast<int>(sizeof(LOGFONT)));
    if (n <= 0)
        return 0;
    std::memcpy(out, &lf, static_cast<size_t>(n));
    return n;
}

extern "C" BOOL DeleteObject(HGDIOBJ object)
{
    int index;
    if (IsStock(object, index))
        return TRUE;
    std::lock_guard<std::mutex> lock(Fonts().mutex);
    return Fonts().fonts.Remove(detail::HandleNumber(object)).has_value() ? TRUE : FALSE;
}

extern "C" HGDIOBJ GetStockObject(int index)
{
    FontSpec spec;
    if (!StockFont(index, spec))
        return nullptr;
    return reinterpret_cast<HGDIOBJ>(kStockBase + static_cast<uintptr_t>(index));
}
