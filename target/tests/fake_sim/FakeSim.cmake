# fake_sim_test(<test>): a test that connects Falcrest to the recording
# simulator (fake_sim_session.h) and finds its module folders.
function(fake_sim_test name)
  if(NOT TARGET ${name})
    return()
  endif()
  add_dependencies(${name} fake_dorvel fake_dorvel_no_hook fake_dorvel_no_entry)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/target/tests/fake_sim)
  target_compile_definitions(${name} PRIVATE
    ZK_FAKE_SIM_DIR="${ZK_TEST_DIR}/fake_sim"
    ZK_FAKE_SIM_NO_HOOK_DIR="${ZK_TEST_DIR}/fake_sim_no_hook"
    ZK_FAKE_SIM_NO_ENTRY_DIR="${ZK_TEST_DIR}/fake_sim_no_entry"
    ZK_NO_SIM_DIR="${ZK_TEST_DIR}/fake_sim_none")
endfunction()
