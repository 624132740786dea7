# Native build: the portable code over our own stand-in for Win32, with the
# unit tests, tools, fuzz targets and benchmarks.
file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/*.cpp)
find_package(PNG REQUIRED)
add_library(glyphora_platform STATIC ${PLATFORM_SOURCES})
target_include_directories(glyphora_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(glyphora_platform PUBLIC PNG::PNG)
target_link_libraries(glyphora_core PUBLIC glyphora_platform)

# Packs of art (ZIP files), read through Debian's libzip; only the native
# build links it, so pack/ stays out of the Windows and web builds.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
find_package(ZLIB REQUIRED)
file(GLOB PACK_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/pack/*.cpp)
add_library(glyphora_pack STATIC ${PACK_SOURCES})
target_include_directories(glyphora_pack PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(glyphora_pack PUBLIC PkgConfig::LIBZIP ZLIB::ZLIB)

if(GLYPHORA_FUZZ)
  include(${PROJECT_SOURCE_DIR}/fuzz/fuzz.cmake)
  return()
endif()

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE glyphora_core GTest::gtest GTest::gtest_main)
target_compile_definitions(native_tests PRIVATE
  GLYPHORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" GLYPHORA_VERSION="${PROJECT_VERSION}")
gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "GLYPHORA_BUILD_DIR=${PROJECT_BINARY_DIR}" TIMEOUT 120)

file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/*.cpp)
foreach(src ${TOOL_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  string(REPLACE "_" "-" name ${name})
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE glyphora_core)
endforeach()

# The snapshot tool's parts, shared with its tests and its benchmark.
find_package(Threads REQUIRED)
file(GLOB SHOT_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/shot/*.cpp)
add_library(glyphora_shot STATIC ${SHOT_SOURCES})
target_link_libraries(glyphora_shot PUBLIC glyphora_core glyphora_pack Threads::Threads)
target_link_libraries(glyphora-shot PRIVATE glyphora_shot)
target_compile_definitions(glyphora-shot PRIVATE GLYPHORA_VERSION="${PROJECT_VERSION}")
if(NOT GLYPHORA_SANITIZE)
  # The tool runs once per picture (a file manager's thumbnails, a folder of
  # art): loading and relocating the shared C++ runtime took about 2 of its
  # 11 ms. libpng and zlib stay shared, as the distribution wants them.
  target_link_options(glyphora-shot PRIVATE -static-libstdc++ -static-libgcc)
endif()
target_link_libraries(native_tests PRIVATE glyphora_shot)
# The page's door to the program, built natively (a stand-in for Emscripten's
# header) so that its open can be tested with allocations made to fail.
target_sources(native_tests PRIVATE ${PROJECT_SOURCE_DIR}/web/glyphora_web.cpp)
target_include_directories(native_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/native)

# The pack reader's list of a pack, which the page's reader is checked against.
add_executable(pack_list ${PROJECT_SOURCE_DIR}/tests/packs/pack_list.cpp)
target_link_libraries(pack_list PRIVATE glyphora_pack)

# The page's tests replay their requests on the program's own Viewer with it.
add_executable(web_replay ${PROJECT_SOURCE_DIR}/tests/web/replay.cpp)
target_link_libraries(web_replay PRIVATE glyphora_shot)

# Installed: the snapshot tool and the manual pages, compressed as Debian
# wants them (gzip -9n: no name or time stamp in the header).
include(GNUInstallDirs)
install(TARGETS glyphora-shot RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
file(GLOB MAN_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/man/*.1)
set(PACKED_MAN_PAGES)
foreach(page ${MAN_PAGES})
  get_filename_component(name ${page} NAME)
  set(packed ${PROJECT_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND gzip -9nc ${page} > ${packed}
    DEPENDS ${page})
  list(APPEND PACKED_MAN_PAGES ${packed})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${PACKED_MAN_PAGES})
install(FILES ${PACKED_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The file types the Debian package declares, as desktops read them, in a
# private MIME database: the package test checks the same after dpkg -i.
if(NOT GLYPHORA_SANITIZE)
  add_test(NAME Packaging.file_types
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packaging/mime_types_test.sh
                   ${PROJECT_SOURCE_DIR}/packaging/linux/glyphora-mime.xml ${PROJECT_SOURCE_DIR}/samples
                   ${PROJECT_BINARY_DIR}/mime-types-test)
endif()

if(NOT GLYPHORA_SANITIZE)
  find_package(benchmark REQUIRED)
  file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
  foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE glyphora_core benchmark::benchmark)
    target_compile_options(${name} PRIVATE -O2)
    # The figures come from running it by hand; the suite only proves it runs.
    add_test(NAME ${name}.runs COMMAND ${name} --benchmark_min_time=0.001)
  endforeach()
  target_link_libraries(bench_shot PRIVATE glyphora_shot)
  target_link_libraries(bench_web PRIVATE glyphora_shot)
  target_compile_definitions(bench_web PRIVATE GLYPHORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()

# OUT's link swapped at each step of its open: the test program's own open
# and stat stand between the output code and the system's.
add_executable(output_race_test ${PROJECT_SOURCE_DIR}/tests/output_race/output_race_test.cpp)
target_link_libraries(output_race_test PRIVATE glyphora_platform GTest::gtest GTest::gtest_main)
target_link_options(output_race_test PRIVATE -Wl,--wrap=open,--wrap=stat)
gtest_discover_tests(output_race_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)
