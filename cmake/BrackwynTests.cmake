# How the test programs reach GoogleTest and ctest, natively and in the cross
# build for Windows.

# GoogleTest: the system's package natively; built from its sources for a
# cross build, whose target has no GoogleTest package.
macro(brackwyn_find_gtest)
  if(BRACKWYN_PORTABLE_ONLY)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(${BRACKWYN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest SYSTEM EXCLUDE_FROM_ALL)
    # Its own code is not ours to keep warning-free.
    target_compile_options(gtest PRIVATE -w)
    target_compile_options(gtest_main PRIVATE -w)
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endmacro()

# One ctest test per GoogleTest case natively. In the cross build the whole
# program is one ctest test, run under the emulator (Wine): a Wine start costs
# far more than a test, and listing the cases would need Wine at build time.
function(brackwyn_add_gtests target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT 1200)
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 ${ARGN})
  endif()
endfunction()
