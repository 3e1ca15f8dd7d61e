// Colour classes of the text views' syntax colouring and the views' colouring
// modes. A format class indexes the 13 colour pairs (text, background) of the
// settings record's "Format Colors".
#pragma once

using FormatClass = int;
inline constexpr FormatClass FC_TEXT = 0;
inline constexpr FormatClass FC_KEYWORD = 1;
inline constexpr FormatClass FC_COMMENT = 2;
inline constexpr FormatClass FC_NUMBER = 3;
inline constexpr FormatClass FC_STRING = 4;
inline constexpr FormatClass FC_REGISTER = 5;
inline constexpr FormatClass FC_BOOKMARK = 6;
inline constexpr FormatClass FC_ASSEMBLY_CODE = 7;
inline constexpr FormatClass FC_OPERATOR = 8;
inline constexpr FormatClass FC_LABEL = 9;
inline constexpr FormatClass FC_ADDRESS = 10;
inline constexpr FormatClass FC_ASM_INSTRUCTION = 11;
inline constexpr FormatClass FC_MIXED_SOURCE = 12;
inline constexpr FormatClass FC_NONE = 13;  // no pending span
inline constexpr int FORMAT_CLASS_COUNT = 13;

using TextColourMode = int;
inline constexpr TextColourMode TCM_C_SOURCE = 0;
inline constexpr TextColourMode TCM_MACRO = 1;
inline constexpr TextColourMode TCM_DISASSEMBLY = 2;
inline constexpr TextColourMode TCM_MIXED = 3;
inline constexpr TextColourMode TCM_OUTPUT = 4;  // build output and console
inline constexpr TextColourMode TCM_ASSEMBLER = 5;
inline constexpr TextColourMode TCM_PLM = 6;
inline constexpr TextColourMode TCM_OTHER = 7;
inline constexpr TextColourMode TCM_DOCUMENT_9 = 9;  // document codes 9 and 10
