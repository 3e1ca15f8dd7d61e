# Fails unless the dynamic loader loads every library of LIBRARIES (file
# names) with PROGRAM. A library the linker dropped from the program is
# missing from the list although the program was linked against it. With
# REFERENCE (and BIN_DIR) the libraries are those of BIN_DIR that the loader
# loads with REFERENCE: PROGRAM must load at least those.
function(loaded_by program out)
  execute_process(COMMAND ldd ${program} RESULT_VARIABLE result OUTPUT_VARIABLE loaded ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "ldd ${program} failed (${result}): ${error}")
  endif()
  set(${out} "${loaded}" PARENT_SCOPE)
endfunction()

if(REFERENCE)
  loaded_by(${REFERENCE} reference)
  string(REGEX MATCHALL "\t[^ \t\n]+ => ${BIN_DIR}/" matches "${reference}")
  set(LIBRARIES "")
  foreach(m IN LISTS matches)
    string(REGEX REPLACE "^\t([^ ]+) => .*" "\\1" library "${m}")
    list(APPEND LIBRARIES ${library})
  endforeach()
  if(NOT LIBRARIES)
    message(FATAL_ERROR "${REFERENCE} loads nothing from ${BIN_DIR}:\n${reference}")
  endif()
endif()

loaded_by(${PROGRAM} loaded)
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
