// Paging of a printed text: the printable area of a page less its margins,
// lines per printed page, the last page and a page's first line, the print
// font's scale, and the address-range filter of printed listings.
#pragma once

#include <cstdint>
#include <string_view>

namespace textcore {

// Page set-up of printing, in inches.
struct PageMargins {
    double left = 0.25;
    double right = 0.25;
    double top = 0.5;
    double bottom = 0.5;
};

struct PrintPaging {
    int printableWidth = 0;   // device pixels
    int printableHeight = 0;  // device pixels
    int offsetX = 0;          // the page margins in device pixels
    int offsetY = 0;
    int linesPerPage = 1;  // at least 1: a font taller than the page prints a line a page
    int lastPage = 1;

    // `pageWidth` x `pageHeight` pixels at `dpiX` x `dpiY`.
    static PrintPaging Compute(int pageWidth, int pageHeight, int dpiX, int dpiY, int printLineHeight, int lineCount,
                               const PageMargins& margins = {});
    int FirstLineOfPage(int page) const { return (page - 1) * linesPerPage; }
};

// The print font: the screen font's size scaled by printer / screen pixels per inch.
int ScalePrintFont(int screenSize, int printerDpi, int screenDpi);

// The address-range filter of a printed listing.
enum class PrintLineAction { Print, Skip, Stop };
// A line with a blank after its first character gives an address: the
// hexadecimal number from the character after the first ':' (from the line
// start when no ':' comes before the first blank) up to the first blank.
bool PrintLineAddress(std::string_view line, std::uint32_t& address);
PrintLineAction FilterPrintLine(std::string_view line, bool rangeOn, std::uint32_t first, std::uint32_t last);

}  // namespace textcore
