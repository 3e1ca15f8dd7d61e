// Fonts the way the system asks for them: LOGFONT records, font handles
// (CreateFontIndirect, GetObject, DeleteObject, stock fonts) and the mapping
// of a LOGFONT to the font the Qt layer draws with.
//
// The mapping: |lfHeight| is the pixel size (0: 14); known fixed faces and
// fixed-pitch requests map to DejaVu Sans Mono, the rest to DejaVu Sans.
// The stock fixed fonts are DejaVu Sans Mono 14 px (cells of 8x16; the
// system fixed and OEM fonts) and 13 px (8x15; the ANSI fixed font); the
// variable ones DejaVu Sans 12 px.
#pragma once

#include <string>

#include "platform/win32.h"
#include "win_ui.h"

struct HGDIOBJ__;
using HGDIOBJ = HGDIOBJ__*;
using HFONT = HGDIOBJ;

struct LOGFONT {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};

namespace platform {

struct FontSpec {
    std::string family;  // "DejaVu Sans Mono" or "DejaVu Sans"
    int pixelSize = 14;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool fixed = true;
    bool operator==(const FontSpec&) const = default;
};

FontSpec ResolveFont(const LOGFONT& font);
// The font of a live handle (stock fonts included); false for a dead one.
bool FontOfHandle(HFONT font, FontSpec& spec);
// A LOGFONT with a face and a height in pixels.
LOGFONT MakeLogFont(const char* face, int heightPixels, LONG weight = FW_NORMAL);
size_t FontHandleCount();

}  // namespace platform

extern "C" {
HFONT CreateFontIndirect(const LOGFONT* font);
// Copies the LOGFONT of a font handle; the bytes copied, 0 on failure.
int GetObject(HGDIOBJ object, int size, void* out);
// Stock objects are never deleted (TRUE, no effect).
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
}
