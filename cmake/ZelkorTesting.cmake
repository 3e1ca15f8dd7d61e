# Test helpers: GoogleTest executables built into build/tests (they find the
# project's libraries in build/bin), registered with CTest.
enable_testing()
if(ZK_FUZZ)
  add_custom_target(zk_fuzzers)
endif()
find_package(GTest REQUIRED)
include(GoogleTest)
find_package(Threads REQUIRED)

# The readers' unit tests, which the clang tree also builds and runs once
# under the address and undefined-behaviour sanitizers (bounded in time).
set(ZK_SANITIZED_TESTS tarnel_unit_tests quentor_unit_tests quinar_tests script_tests sarvik_automation_tests)

# zk_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [QT] [LABELS l] [TIMEOUT s])
function(zk_add_test name)
  cmake_parse_arguments(T "QT" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_QT AND NOT ZK_WITH_QT)
    return()
  endif()
  if(ZK_FUZZ)
    # The clang tree runs only fuzz targets; the test executable exists (so
    # folders may add properties to it) but is neither built nor registered.
    add_executable(${name} EXCLUDE_FROM_ALL ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    if(name IN_LIST ZK_SANITIZED_TESTS)
      set_target_properties(${name} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${ZK_TEST_DIR}
        BUILD_RPATH "${ZK_BIN_DIR}")
      target_compile_definitions(${name} PRIVATE
        ZK_FIXTURE_DIR="${ZK_FIXTURE_DIR}"
        ZK_BIN_DIR="${ZK_BIN_DIR}"
        ZK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
      add_dependencies(zk_fuzzers ${name})
      add_test(NAME ${name} COMMAND ${name})
      set_tests_properties(${name} PROPERTIES TIMEOUT 900 LABELS sanitize
        ENVIRONMENT "ZK_REGISTRY_FILE=${ZK_TEST_DIR}/registry/${name};UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
    endif()
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock Threads::Threads)
  if(NOT T_QT)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${ZK_TEST_DIR}
    BUILD_RPATH "${ZK_BIN_DIR}")
  target_compile_definitions(${name} PRIVATE
    ZK_FIXTURE_DIR="${ZK_FIXTURE_DIR}"
    ZK_BIN_DIR="${ZK_BIN_DIR}"
    ZK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(TARGET arm_fixtures)
    add_dependencies(${name} arm_fixtures)
  endif()
  # Tests never touch the user's own registry file (platform/registry.h).
  # One variable a property: gtest_discover_tests flattens list values, and
  # of an ENVIRONMENT of several variables only the first reached the tests.
  # (The qemu harnesses set QEMU_AUDIO_DRV themselves.)
  set(props
    ENVIRONMENT "ZK_REGISTRY_FILE=${ZK_TEST_DIR}/registry/${name}"
    ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
  if(T_TIMEOUT)
    list(APPEND props TIMEOUT ${T_TIMEOUT})
  endif()
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

# zk_add_fuzzer(NAME SOURCES ... LIBS ... [SECONDS n]): a libFuzzer target,
# built only in the clang tree (ZK_FUZZ), run by CTest for a bounded time.
# The target zk_fuzzers builds every fuzz target, the sanitized tests and only
# what they link.
function(zk_add_fuzzer name)
  cmake_parse_arguments(F "" "SECONDS" "SOURCES;LIBS;CORPUS" ${ARGN})
  if(NOT ZK_FUZZ)
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${ZK_TEST_DIR}
    BUILD_RPATH "${ZK_BIN_DIR}")
  add_test(NAME ${name}
    COMMAND ${name} -max_total_time=${F_SECONDS} -rss_limit_mb=2048 ${F_CORPUS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS fuzz)
  add_dependencies(zk_fuzzers ${name})
endfunction()
