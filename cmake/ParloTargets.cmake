# One static library per folder of sources; every .cpp in the folder belongs to it.
function(parlo_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(_x ${ARG_EXCLUDE})
    list(REMOVE_ITEM _srcs ${dir}/${_x})
  endforeach()
  if(_srcs)
    add_library(${name} STATIC ${_srcs})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# Seconds a single test may run. Instrumented builds raise it: with coverage every process writes
# its counts as it exits, and the crash test starts hundreds of them.
set(PARLO_TEST_TIMEOUT 120 CACHE STRING "seconds one test may run before it counts as hung")

# One test program per folder under tests/, discovered by ctest.
function(parlo_test_folder name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(test_${name} ${_srcs})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} parlo_testkit GTest::gtest_main)
  # A hung test fails on its own instead of holding up the whole run.
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${PARLO_TEST_TIMEOUT} ENVIRONMENT "PARLO_BIN_DIR=${CMAKE_BINARY_DIR}/bin;PARLO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
