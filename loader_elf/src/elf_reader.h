// The header pass over an image held in memory: the ELF header, the program
// header table and the section header table with the section names. These
// functions only read the bytes given; they are what the fuzz target drives.
//
// Results (LdrResult):
// - LDR_E_NOT_IMAGE (1): no ELF magic, or an ELF file this loader does not
//   read (not ELF32, or a data encoding other than 2's complement LSB/MSB);
// - LDR_E_READ (0x8092): the header or a table it names lies outside the
//   file, or its entry size is too small for the record.
#pragma once

#include <cstdint>
#include <span>

#include "ldr_types.h"
#include "tarnel/elf_image.h"

namespace tarnel {

enum class ImageFormat { Unknown, Elf, TextRecords };

bool HasElfMagic(std::span<const uint8_t> file);
LdrResult ReadElfHeader(std::span<const uint8_t> file, ElfHeader& header);
// ELF images are checked by ReadElfHeader; a file that starts with "S" or
// "$" is text records (result 0); anything else gives the header's error.
LdrResult DetectImageFormat(std::span<const uint8_t> file, ElfHeader& header, ImageFormat& format);
// Every program header, in table order.
LdrResult ReadProgramHeaders(std::span<const uint8_t> file, const ElfHeader& header,
                             std::vector<ProgramHeader>& segments);
// Every section header, in table order, named from the section name table.
// A name table index that names no section gives empty names; a name offset
// beyond the table gives an empty name.
LdrResult ReadSectionHeaders(std::span<const uint8_t> file, const ElfHeader& header,
                             std::vector<SectionRecord>& sections, uint32_t* nameTableIndex = nullptr);
// The three passes above in order: what LdrLoadWinElf reads before the
// debug information.
LdrResult ReadElfImage(std::span<const uint8_t> file, ElfImage& image);

}  // namespace tarnel
