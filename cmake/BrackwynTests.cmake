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

# The tests whose results go through a vector path with a portable twin,
# registered again once per instruction-set level below the machine's own
# (the plain run covers that one), each under BRACKWYN_CPU, so that CI checks
# every path its processor has. Native builds only: the level is the build
# machine's.
function(brackwyn_add_capped_gtests target filter)
  if(CMAKE_CROSSCOMPILING)
    return()
  endif()
  if(NOT DEFINED BRACKWYN_MACHINE_INSTRUCTION_SETS)
    try_run(run_result compile_result ${CMAKE_BINARY_DIR}/machine_instruction_sets
            SOURCES ${PROJECT_SOURCE_DIR}/cmake/machine_instruction_sets.cpp
                    ${PROJECT_SOURCE_DIR}/src/core/processor_features.cpp
            CMAKE_FLAGS -DINCLUDE_DIRECTORIES=${PROJECT_SOURCE_DIR}/src
            CXX_STANDARD 20
            RUN_OUTPUT_VARIABLE machine)
    if(NOT compile_result OR NOT run_result EQUAL 0)
      set(machine baseline)
    endif()
    set(BRACKWYN_MACHINE_INSTRUCTION_SETS ${machine} CACHE INTERNAL
        "The widest instruction sets of the build machine")
  endif()
  foreach(level baseline ssse3 avx2 avx512 avx512vbmi)
    if(level STREQUAL BRACKWYN_MACHINE_INSTRUCTION_SETS)
      break()
    endif()
    add_test(NAME ${target}.cpu_${level} COMMAND ${target} --gtest_filter=${filter})
    set_tests_properties(${target}.cpu_${level} PROPERTIES ENVIRONMENT BRACKWYN_CPU=${level}
                                                           TIMEOUT 600)
  endforeach()
endfunction()
