// A loader result in words, for the tools that report a failed load.
#pragma once

#include <cstdio>
#include <string>

#include "ldr_types.h"

// "the file cannot be opened (0x8037)" and the like: the words and the code.
inline std::string LdrResultText(LdrResult result)
{
    const char* words = nullptr;
    switch (result) {
    case LDR_OK: words = "loaded"; break;
    case LDR_E_NOT_IMAGE: words = "the file is neither an ELF image nor a file of text records"; break;
    case LDR_E_OPEN_ELF: words = "the ELF file cannot be opened"; break;
    case LDR_E_OPEN: words = "the file cannot be opened"; break;
    case LDR_E_UNKNOWN_FORMAT: words = "the file is of a format this system does not read"; break;
    case LDR_E_READ: words = "the file cannot be read: it is cut short or a header is damaged"; break;
    case LDR_E_NO_MEMORY: words = "memory ran out"; break;
    case LDR_E_BYTE_ORDER: words = "the image's byte order is not the target's"; break;
    case LDR_E_USER_ABORT: words = "the load was cancelled"; break;
    case LDR_E_BUSY: words = "another load is running"; break;
    case LDR_S_UNCHANGED: words = "the symbols are loaded already"; break;
    case LDR_E_MODULE: words = "a module of the image could not be opened"; break;
    case LDR_E_SYMBOL_CALL: words = "the symbol library refused a record of the image"; break;
    case LDR_E_STABS: words = "the stabs debugging information is damaged"; break;
    case LDR_E_NO_SECTION: words = "a section the image needs is missing"; break;
    case LDR_E_BAD_RECORD: words = "a record of the image is damaged or unexpected"; break;
    case LDR_E_NO_DATA: words = "the file holds no data record"; break;
    default: words = "the load failed"; break;
    }
    char code[24];
    std::snprintf(code, sizeof code, " (0x%x)", static_cast<unsigned>(result));
    return words + std::string(code);
}
