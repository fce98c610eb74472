# Every test program gets a home of its own: HOME, XDG_CONFIG_HOME,
# XDG_DATA_HOME and XDG_CACHE_HOME under build/test-homes/NAME, so that no
# test reads the settings or journal another wrote (QSettings' test mode
# keeps its file under HOME), none touches the user's own, and ctest may run
# them in any order, two at a time.

# The environment of the home named NAME, made now; into VAR as a list.
function(quillbary_test_home_environment name var)
  set(home ${CMAKE_BINARY_DIR}/test-homes/${name})
  file(MAKE_DIRECTORY ${home}/config ${home}/data ${home}/cache)
  set(${var} "HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache" PARENT_SCOPE)
endfunction()

# Gives each test added so far in the calling directory a home of its own.
function(quillbary_test_homes)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test IN LISTS tests)
    quillbary_test_home_environment(${test} environment)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ${environment})
  endforeach()
endfunction()

# gtest_discover_tests for PROGRAM, every case in the program's home, with
# the test properties given after it (FIXTURES_REQUIRED server ...). A
# cross-built program runs once, whole, under the emulator: starting an
# emulated process costs more than all its tests.
function(quillbary_discover_tests program)
  quillbary_test_home_environment(${program} environment)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${program} COMMAND ${program})
    set_tests_properties(${program} PROPERTIES ENVIRONMENT "${environment}" ${ARGN})
    return()
  endif()
  # Escaped, so that the list reaches the discovered tests as one value.
  string(REPLACE ";" "\\;" environment "${environment}")
  gtest_discover_tests(${program} DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES
    PROPERTIES ${ARGN} ENVIRONMENT "${environment}")
endfunction()
