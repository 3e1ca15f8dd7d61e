#include "text_print.h"

#include <algorithm>
#include <cmath>

namespace textcore {

PrintPaging PrintPaging::Compute(int pageWidth, int pageHeight, int dpiX, int dpiY, int printLineHeight, int lineCount,
                                 const PageMargins& margins)
{
    PrintPaging paging;
    paging.offsetX = static_cast<int>(std::lround(margins.left * dpiX));
    paging.offsetY = static_cast<int>(std::lround(margins.top * dpiY));
    paging.printableWidth =
        std::max(0, pageWidth - static_cast<int>(std::lround((margins.left + margins.right) * dpiX)));
    paging.printableHeight =
        std::max(0, pageHeight - static_cast<int>(std::lround((margins.top + margins.bottom) * dpiY)));
    paging.linesPerPage = printLineHeight > 0 ? std::max(1, paging.printableHeight / printLineHeight) : 1;
    // A text of no lines prints one empty page.
    paging.lastPage = (std::max(lineCount, 1) - 1) / paging.linesPerPage + 1;
    return paging;
}

int ScalePrintFont(int screenSize, int printerDpi, int screenDpi)
{
    if (screenDpi <= 0)
        return screenSize;
    return static_cast<int>(static_cast<long long>(screenSize) * printerDpi / screenDpi);
}

bool PrintLineAddress(std::string_view line, std::uint32_t& address)
{
    if (line.size() < 2)
        return false;
    const std::size_t blank = line.find(' ', 1);
    if (blank == std::string_view::npos)
        return false;
    const std::size_t colon = line.find(':');
    std::size_t pos = colon != std::string_view::npos && colon < blank ? colon + 1 : 0;
    std::uint32_t value = 0;
    const std::size_t digitsFrom = pos;
    for (; pos < blank; ++pos) {
        const char ch = line[pos];
        int digit = -1;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            digit = ch - 'A' + 10;
        if (digit < 0)
            break;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    // No hexadecimal digit: the line carries no address (a source line).
    if (pos == digitsFrom)
        return false;
    address = value;
    return true;
}

PrintLineAction FilterPrintLine(std::string_view line, bool rangeOn, std::uint32_t first, std::uint32_t last)
{
    std::uint32_t address = 0;
    if (!rangeOn || !PrintLineAddress(line, address))
        return PrintLineAction::Print;
    if (address < first)
        return PrintLineAction::Skip;
    if (address > last)
        return PrintLineAction::Stop;
    return PrintLineAction::Print;
}

}  // namespace textcore
