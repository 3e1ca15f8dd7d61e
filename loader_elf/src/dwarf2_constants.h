// The DWARF 2 numbers the readers act on: tags, attributes, forms and the
// opcodes of the line program (DWARF 2, with the DWARF 3 additions that
// current assemblers put into version 2 units and version 3 line tables).
#pragma once

#include <cstdint>

namespace tarnel {

// Tags.
inline constexpr uint16_t DW_TAG_array_type = 0x01;
inline constexpr uint16_t DW_TAG_class_type = 0x02;
inline constexpr uint16_t DW_TAG_enumeration_type = 0x04;
inline constexpr uint16_t DW_TAG_formal_parameter = 0x05;
inline constexpr uint16_t DW_TAG_label = 0x0A;
inline constexpr uint16_t DW_TAG_lexical_block = 0x0B;
inline constexpr uint16_t DW_TAG_member = 0x0D;
inline constexpr uint16_t DW_TAG_pointer_type = 0x0F;
inline constexpr uint16_t DW_TAG_reference_type = 0x10;
inline constexpr uint16_t DW_TAG_compile_unit = 0x11;
inline constexpr uint16_t DW_TAG_structure_type = 0x13;
inline constexpr uint16_t DW_TAG_subroutine_type = 0x15;
inline constexpr uint16_t DW_TAG_typedef = 0x16;
inline constexpr uint16_t DW_TAG_union_type = 0x17;
inline constexpr uint16_t DW_TAG_unspecified_parameters = 0x18;
inline constexpr uint16_t DW_TAG_inheritance = 0x1C;
inline constexpr uint16_t DW_TAG_inlined_subroutine = 0x1D;
inline constexpr uint16_t DW_TAG_subrange_type = 0x21;
inline constexpr uint16_t DW_TAG_base_type = 0x24;
inline constexpr uint16_t DW_TAG_const_type = 0x26;
inline constexpr uint16_t DW_TAG_enumerator = 0x28;
inline constexpr uint16_t DW_TAG_subprogram = 0x2E;
inline constexpr uint16_t DW_TAG_template_type_param = 0x2F;
inline constexpr uint16_t DW_TAG_variable = 0x34;
inline constexpr uint16_t DW_TAG_volatile_type = 0x35;

// Attributes.
inline constexpr uint16_t DW_AT_sibling = 0x01;
inline constexpr uint16_t DW_AT_location = 0x02;
inline constexpr uint16_t DW_AT_name = 0x03;
inline constexpr uint16_t DW_AT_byte_size = 0x0B;
inline constexpr uint16_t DW_AT_bit_offset = 0x0C;
inline constexpr uint16_t DW_AT_bit_size = 0x0D;
inline constexpr uint16_t DW_AT_stmt_list = 0x10;
inline constexpr uint16_t DW_AT_low_pc = 0x11;
inline constexpr uint16_t DW_AT_high_pc = 0x12;
inline constexpr uint16_t DW_AT_language = 0x13;
inline constexpr uint16_t DW_AT_comp_dir = 0x1B;
inline constexpr uint16_t DW_AT_const_value = 0x1C;
inline constexpr uint16_t DW_AT_producer = 0x25;
inline constexpr uint16_t DW_AT_upper_bound = 0x2F;
inline constexpr uint16_t DW_AT_abstract_origin = 0x31;
inline constexpr uint16_t DW_AT_accessibility = 0x32;
inline constexpr uint16_t DW_AT_artificial = 0x34;
inline constexpr uint16_t DW_AT_data_member_location = 0x38;
inline constexpr uint16_t DW_AT_declaration = 0x3C;
inline constexpr uint16_t DW_AT_encoding = 0x3E;
inline constexpr uint16_t DW_AT_external = 0x3F;
inline constexpr uint16_t DW_AT_frame_base = 0x40;
inline constexpr uint16_t DW_AT_specification = 0x47;
inline constexpr uint16_t DW_AT_type = 0x49;
inline constexpr uint16_t DW_AT_ranges = 0x55;               // DWARF 3; the assembler puts it into version 2 units
inline constexpr uint16_t DW_AT_MIPS_linkage_name = 0x2007;  // GNU: the mangled name of C++ functions

// Base type encodings (DW_ATE_*).
inline constexpr uint32_t DW_ATE_address = 1;
inline constexpr uint32_t DW_ATE_boolean = 2;
inline constexpr uint32_t DW_ATE_complex_float = 3;
inline constexpr uint32_t DW_ATE_float = 4;
inline constexpr uint32_t DW_ATE_signed = 5;
inline constexpr uint32_t DW_ATE_signed_char = 6;
inline constexpr uint32_t DW_ATE_unsigned = 7;
inline constexpr uint32_t DW_ATE_unsigned_char = 8;

// Accessibility (DW_ACCESS_*).
inline constexpr uint32_t DW_ACCESS_public = 1;
inline constexpr uint32_t DW_ACCESS_protected = 2;
inline constexpr uint32_t DW_ACCESS_private = 3;

// Location expression operations that the readers decode.
inline constexpr uint8_t DW_OP_addr = 0x03;
inline constexpr uint8_t DW_OP_plus_uconst = 0x23;
inline constexpr uint8_t DW_OP_reg0 = 0x50;
inline constexpr uint8_t DW_OP_reg31 = 0x6F;
inline constexpr uint8_t DW_OP_breg0 = 0x70;
inline constexpr uint8_t DW_OP_breg31 = 0x8F;
inline constexpr uint8_t DW_OP_regx = 0x90;
inline constexpr uint8_t DW_OP_fbreg = 0x91;

// Forms of DWARF 2.
inline constexpr uint16_t DW_FORM_addr = 0x01;
inline constexpr uint16_t DW_FORM_block2 = 0x03;
inline constexpr uint16_t DW_FORM_block4 = 0x04;
inline constexpr uint16_t DW_FORM_data2 = 0x05;
inline constexpr uint16_t DW_FORM_data4 = 0x06;
inline constexpr uint16_t DW_FORM_data8 = 0x07;
inline constexpr uint16_t DW_FORM_string = 0x08;
inline constexpr uint16_t DW_FORM_block = 0x09;
inline constexpr uint16_t DW_FORM_block1 = 0x0A;
inline constexpr uint16_t DW_FORM_data1 = 0x0B;
inline constexpr uint16_t DW_FORM_flag = 0x0C;
inline constexpr uint16_t DW_FORM_sdata = 0x0D;
inline constexpr uint16_t DW_FORM_strp = 0x0E;
inline constexpr uint16_t DW_FORM_udata = 0x0F;
inline constexpr uint16_t DW_FORM_ref_addr = 0x10;
inline constexpr uint16_t DW_FORM_ref1 = 0x11;
inline constexpr uint16_t DW_FORM_ref2 = 0x12;
inline constexpr uint16_t DW_FORM_ref4 = 0x13;
inline constexpr uint16_t DW_FORM_ref8 = 0x14;
inline constexpr uint16_t DW_FORM_ref_udata = 0x15;
inline constexpr uint16_t DW_FORM_indirect = 0x16;

// Standard opcodes of the line program (10 to 12 are DWARF 3's).
inline constexpr uint8_t DW_LNS_copy = 1;
inline constexpr uint8_t DW_LNS_advance_pc = 2;
inline constexpr uint8_t DW_LNS_advance_line = 3;
inline constexpr uint8_t DW_LNS_set_file = 4;
inline constexpr uint8_t DW_LNS_set_column = 5;
inline constexpr uint8_t DW_LNS_negate_stmt = 6;
inline constexpr uint8_t DW_LNS_set_basic_block = 7;
inline constexpr uint8_t DW_LNS_const_add_pc = 8;
inline constexpr uint8_t DW_LNS_fixed_advance_pc = 9;

// Extended opcodes.
inline constexpr uint8_t DW_LNE_end_sequence = 1;
inline constexpr uint8_t DW_LNE_set_address = 2;
inline constexpr uint8_t DW_LNE_define_file = 3;

}  // namespace tarnel
