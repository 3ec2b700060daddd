# The fuzz harnesses and what each links, shared by the libFuzzer build (fuzz/CMakeLists.txt) and the
# replay of their inputs in the normal test run (fuzz/replay/CMakeLists.txt). Needs the targets
# orv_core and aehost of the main project.
set(ORV_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ORV_FUZZ_HARNESSES entry png)
find_package(PNG REQUIRED)

# Adds <harness>_fuzzer<suffix> for every harness; ARGN: sources added to each (a main, or none
# when libFuzzer provides it).
function(orv_add_fuzz_harnesses suffix)
  set(root ${ORV_FUZZ_DIR}/..)
  # The entry point, linked into a program that has a main of its own.
  add_library(orv_fuzz_entry${suffix} OBJECT ${root}/src/host/entry.cpp)
  target_compile_definitions(orv_fuzz_entry${suffix} PRIVATE ORV_ENTRY_NAME=)
  target_link_libraries(orv_fuzz_entry${suffix} PRIVATE orv_core)

  # orvane's readers and writers.
  add_library(orv_fuzz_cli${suffix} STATIC
    ${root}/cli/png_io.cpp ${root}/cli/raw_io.cpp ${root}/cli/frame.cpp ${root}/cli/output_file.cpp
    ${root}/cli/interrupt.cpp)
  target_include_directories(orv_fuzz_cli${suffix} PUBLIC ${root}/cli ${root}/src)
  target_link_libraries(orv_fuzz_cli${suffix} PUBLIC aehost PNG::PNG)

  foreach(harness ${ORV_FUZZ_HARNESSES})
    set(target ${harness}_fuzzer${suffix})
    add_executable(${target} ${ORV_FUZZ_DIR}/${harness}_fuzzer.cpp ${ARGN})
    target_include_directories(${target} PRIVATE ${ORV_FUZZ_DIR})
    target_link_libraries(${target} PRIVATE orv_fuzz_cli${suffix} orv_core)
  endforeach()
  target_sources(entry_fuzzer${suffix} PRIVATE $<TARGET_OBJECTS:orv_fuzz_entry${suffix}>)
endfunction()
