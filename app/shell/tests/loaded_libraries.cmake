# Fails unless the dynamic loader loads every library of LIBRARIES (file
# names) with PROGRAM. A library the linker dropped from the program is
# missing from the list although the program was linked against it.
execute_process(COMMAND ldd ${PROGRAM} RESULT_VARIABLE result OUTPUT_VARIABLE loaded ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ldd ${PROGRAM} failed (${result}): ${error}")
endif()
set(missing "")
foreach(library IN LISTS LIBRARIES)
  string(FIND "${loaded}" "\t${library} => " at)
  if(at EQUAL -1)
    list(APPEND missing ${library})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${PROGRAM} does not load: ${missing}\nldd:\n${loaded}")
endif()
