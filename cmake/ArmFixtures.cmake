# ARM fixtures: programs compiled with Debian's arm-none-eabi tools at build
# time, written to build/fixtures/<name>.elf for the tests.
#
# arm_fixture(<name> SOURCES <files...>
#             [THUMB] [BIG_ENDIAN] [RDIMON] [NO_START] [NO_LIBGCC]
#             [CFLAGS <flags...>] [LDFLAGS <flags...>] [LINKER_SCRIPT <file>]
#             [DEBUG dwarf2|stabs|stabs+])
#
# Without RDIMON the image is freestanding (-nostdlib, libgcc): the start code
# of tests/fixtures/support sets up a stack, calls main and ends on the
# normal-end word; on qemu its SWI vector leaves through semihosting.
# RDIMON links newlib with --specs=rdimon.specs (semihosting start-up and
# stdio). BIG_ENDIAN images have no libgcc (Debian ships none for them).
# Every fixture is built for -mcpu=arm7tdmi (ARMv4T), with DWARF 2 only
# unless DEBUG names stabs (-gstabs) or stabs+ (-gstabs+, the GNU extensions).

set(ZK_FIXTURE_DIR ${CMAKE_BINARY_DIR}/fixtures)
if(ZK_FUZZ)
  # The clang tree builds no images: its sanitized tests read the main tree's.
  set(ZK_FIXTURE_DIR ${CMAKE_SOURCE_DIR}/build/fixtures)
endif()
set(ZK_FIXTURE_SUPPORT ${CMAKE_SOURCE_DIR}/tests/fixtures/support)
file(MAKE_DIRECTORY ${ZK_FIXTURE_DIR})

find_program(ARM_CC arm-none-eabi-gcc)
find_program(ARM_OBJCOPY arm-none-eabi-objcopy)
find_program(ARM_OBJDUMP arm-none-eabi-objdump)
find_program(ARM_READELF arm-none-eabi-readelf)
if(NOT ARM_CC AND NOT ZK_FUZZ)
  message(FATAL_ERROR "arm-none-eabi-gcc not found: run scripts/setup")
endif()

if(NOT TARGET arm_fixtures)
  add_custom_target(arm_fixtures ALL)
endif()

function(arm_fixture name)
  cmake_parse_arguments(A "THUMB;BIG_ENDIAN;RDIMON;NO_START;NO_LIBGCC"
                          "LINKER_SCRIPT;DEBUG" "SOURCES;CFLAGS;LDFLAGS" ${ARGN})
  if(NOT ARM_CC OR ZK_FUZZ)
    return()
  endif()
  set(out ${ZK_FIXTURE_DIR}/${name}.elf)
  if(NOT A_DEBUG OR A_DEBUG STREQUAL "dwarf2")
    set(debug -gdwarf-2 -gstrict-dwarf)
  elseif(A_DEBUG STREQUAL "stabs")
    set(debug -gstabs)
  elseif(A_DEBUG STREQUAL "stabs+")
    set(debug -gstabs+)
  else()
    message(FATAL_ERROR "arm_fixture ${name}: unknown DEBUG ${A_DEBUG}")
  endif()
  set(flags -mcpu=arm7tdmi ${debug} -ffunction-sections)
  if(A_THUMB)
    list(APPEND flags -mthumb -mthumb-interwork)
  else()
    list(APPEND flags -marm -mthumb-interwork)
  endif()
  if(A_BIG_ENDIAN)
    list(APPEND flags -mbig-endian)
    set(A_NO_LIBGCC TRUE)
  endif()
  list(APPEND flags ${A_CFLAGS})

  set(srcs)
  foreach(s IN LISTS A_SOURCES)
    if(IS_ABSOLUTE ${s})
      list(APPEND srcs ${s})
    else()
      list(APPEND srcs ${CMAKE_CURRENT_SOURCE_DIR}/${s})
    endif()
  endforeach()

  set(link)
  set(deps ${srcs})
  if(A_RDIMON)
    list(APPEND link --specs=rdimon.specs)
  else()
    if(NOT A_LINKER_SCRIPT)
      set(A_LINKER_SCRIPT ${ZK_FIXTURE_SUPPORT}/freestanding.ld)
    endif()
    list(APPEND link -nostdlib -nostartfiles -T ${A_LINKER_SCRIPT})
    list(APPEND deps ${A_LINKER_SCRIPT})
    if(NOT A_NO_START)
      list(PREPEND srcs ${ZK_FIXTURE_SUPPORT}/start.S)
      list(APPEND deps ${ZK_FIXTURE_SUPPORT}/start.S)
    endif()
  endif()
  if(A_LINKER_SCRIPT AND A_RDIMON)
    list(APPEND link -T ${A_LINKER_SCRIPT})
  endif()
  if(NOT A_NO_LIBGCC AND NOT A_RDIMON)
    set(tail -lgcc)
  else()
    set(tail)
  endif()

  add_custom_command(OUTPUT ${out}
    COMMAND ${ARM_CC} ${flags} -o ${out} ${srcs} ${link} ${A_LDFLAGS} ${tail}
    DEPENDS ${deps}
    COMMENT "ARM fixture ${name}"
    VERBATIM COMMAND_EXPAND_LISTS)
  add_custom_target(fixture_${name} DEPENDS ${out})
  add_dependencies(arm_fixtures fixture_${name})
endfunction()
