#include "buildtools/link_script.h"

#include "buildtools/makefile_writer.h"
#include "buildtools/paths.h"

namespace fendrix {

namespace {

// Section order and the symbols the start-up code uses; the section
// addresses come from the link command. Line 87 holds the stack's top.
constexpr const char* kLines[] = {
    "SEARCH_DIR( . )",
    "__DYNAMIC = 0;",
    "",
    "/*",
    "* Allocate the stack to be at the top of memory,",
    "* since the stack grows down.",
    "*/",
    "PROVIDE (__stack = 0);",
    "/*PROVIDE (__global = 0);*/",
    "",
    "PROVIDE ( hardware_init_hook = 0);",
    "PROVIDE ( software_init_hook = 0);",
    "",
    "SECTIONS",
    "{",
    "\t.text : {",
    "\t\t_ftext = . ;",
    "\t\t*( .init )",
    "\t\teprol = . ;",
    "\t\t*( .text )",
    "\t\t*( .mips16.fn.* )",
    "\t\t*( .mips16.call.*)",
    "\t\tPROVIDE (__runtime_reloc_start = .);",
    "\t\t*(.rel.sdata)",
    "\t\tPROVIDE (__runtime_reloc_stop = .);",
    "\t\t*(.fini)",
    "\t}",
    "\t. = . ;",
    "\t.glue_7t : {",
    "",
    "\t}",
    "\t. = . ;",
    "\t.glue_7 : {",
    "",
    "\t}",
    "\t. = . ;",
    "\t.rodata : {",
    "\t\t*(.rodata)",
    "\t\tetext = .;",
    "\t\t_etext = .;",
    "\t}",
    "\t. = ALIGN( 16 );",
    "\t.data : {",
    "\t\t_fdata = . ;",
    "\t\t*( .data )",
    "\t\tCONSTRUCTORS",
    "\t}",
    "\t. = ALIGN( 16 );",
    "\t. = . ;",
    "\t.rdata : {",
    "\t\t*(.rdata)",
    "\t}",
    "\t. = ALIGN( 8 );",
    "\t_gp = . + 0x8000;",
    "\t__global = _gp;",
    "\t.lit8 : {",
    "\t\t*(.lit8)",
    "\t}",
    "\t.lit4 : {",
    "\t\t*(.lit4)",
    "\t}",
    "\t.sdata : {",
    "\t\t*(.sdata)",
    "\t}",
    "\t. = ALIGN( 4 );",
    "\tedata = .;",
    "\t__builtin_delete = .;",
    "\t_edata = .;",
    "\t_fbss = .;",
    "\t.sbss : {",
    "\t\t*(.sbss)",
    "\t\t*(.scommon)",
    "\t}",
    "\t. = ALIGN( 4 );",
    "\t.bss : {",
    "\t\t_bss_start = .;",
    "\t\t*(.bss)",
    "\t\t*(COMMON)",
    "\t}",
    "\t. = ALIGN( 4 );",
    "\tend = .;",
    "\t_end = .;",
    "\t_freeramStart = _end;",
    "\t_freeramEnd = _end + 0x1fffff;",
    "\t. = ALIGN( 4 );",
    "\tend1 = .;",
    nullptr,
    "\t/* DWARF 1 */",
    "\t.debug            0:{*(.debug)}",
    "\t.line             0:{*(.line)}",
    "\t/* GNU DWARF 1 extensions */",
    "\t.debug_srcinfo    0:{*(.debug_srcinfo)}",
    "\t.debug_sfnames    0:{*(.debug_sfnames)}",
    "\t/* DWARF 1.1 and DWARF 2 */",
    "\t.debug_aranges    0:{*(.debug_aranges)}",
    "\t.debug_pubnames   0:{*(.debug_pubnames)}",
    "\t/* DWARF 2 */",
    "\t.debug_info       0:{*(.debug_info)}",
    "\t.debug_abbrev     0:{*(.debug_abbrev)}",
    "\t.debug_line       0:{*(.debug_line)}",
    "\t.debug_frame      0:{*(.debug_frame)}",
    "\t.debug_str        0:{*(.debug_str)}",
    "\t.debug_loc        0:{*(.debug_loc)}",
    "\t.debug_macinfo    0:{*(.debug_macinfo)}",
    "\t/* SGI/MIPS DWARF 2 extensions */",
    "\t.debug_weaknames  0:{*(.debug_weaknames)}",
    "\t.debug_funcnames  0:{*(.debug_funcnames)}",
    "\t.debug_typenames  0:{*(.debug_typenames)}",
    "\t.debug_varnames   0:{*(.debug_varnames)}",
    "}",
};

}  // namespace

std::string LinkScriptText(const std::string& topOfMemory)
{
    std::string text;
    for (const char* line : kLines) {
        text += line ? line : "\t_stackBottom = " + topOfMemory + " ;";
        text += '\n';
    }
    return text;
}

std::string LinkScriptPath(const std::string& projectPath)
{
    return WithExtension(projectPath, "ld");
}

bool WriteLinkScript(const std::string& projectPath, const std::string& topOfMemory)
{
    if (projectPath.empty())
        return false;
    return ReplaceFile(LinkScriptPath(projectPath), LinkScriptText(topOfMemory));
}

}  // namespace fendrix
