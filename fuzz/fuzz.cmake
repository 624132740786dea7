# Each fuzz/<name>.cpp is one libFuzzer target with its seed corpus in
# fuzz/corpus/<name>/. The tests replay the corpus (every crash ever found lives
# there) and then fuzz for a bounded time from it.
set(GLYPHORA_FUZZ_SECONDS 30 CACHE STRING "Seconds each fuzz target runs in the test suite")
# A frame of at most 128 KiB (1,024 cells, below the start frame's size, so it
# never grows): every size still goes through the range and frame rules, but no
# step clears and presents 64 MiB.
target_compile_definitions(glyphora_core PUBLIC GLYPHORA_MAX_FRAME_BYTES=0x20000u)
# Cursor-forward blanks under the same rule at a smaller scale: 4 per byte, at
# least 4,096, so no open decodes and wraps megabytes of blanks.
target_compile_definitions(glyphora_core PUBLIC GLYPHORA_BLANKS_PER_FILE_BYTE=4u
                           GLYPHORA_MIN_FORWARD_BLANKS=4096u)
# glyphora-shot's pictures are fuzzed for what they cost, so with the tool's
# own limits: its parts and the core built again without the smaller ones. An
# input that takes over 2 s or 256 MiB is a finding (these take milliseconds).
file(GLOB SHOT_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/shot/*.cpp)
add_library(glyphora_shot_as_shipped STATIC ${CORE_SOURCES} ${PLATFORM_SOURCES} ${SHOT_SOURCES})
target_include_directories(glyphora_shot_as_shipped PUBLIC ${PROJECT_SOURCE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(glyphora_shot_as_shipped PUBLIC PNG::PNG glyphora_pack Threads::Threads)
set(fuzz_shot_LIBRARY glyphora_shot_as_shipped)
set(fuzz_shot_LIMITS -timeout=2 -rss_limit_mb=256)
# Packs: the reader alone, over any bytes.
set(fuzz_pack_LIBRARY glyphora_pack)
set(fuzz_pack_LIMITS -timeout=10 -rss_limit_mb=1024)
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*.cpp)
foreach(src ${FUZZ_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  if(DEFINED ${name}_LIBRARY)
    target_link_libraries(${name} PRIVATE ${${name}_LIBRARY})
  else()
    target_link_libraries(${name} PRIVATE glyphora_core)
  endif()
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  add_test(NAME ${name}.replay COMMAND ${name} -runs=0 ${${name}_LIMITS} ${corpus})
  add_test(NAME ${name}.fuzz
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   ${PROJECT_SOURCE_DIR}/fuzz/run_fuzzer.sh $<TARGET_FILE:${name}> ${corpus}
                   ${GLYPHORA_FUZZ_SECONDS} ${PROJECT_BINARY_DIR}/fuzz-work/${name} ${${name}_LIMITS})
  set_tests_properties(${name}.fuzz PROPERTIES DEPENDS ${name}.replay TIMEOUT 600)
endforeach()
