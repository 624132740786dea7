# Windows build: glyphora.exe (32-bit GUI program, runtime linked statically,
# resources compiled by windres) and its tests, run under Wine by CTest.
enable_language(RC)
add_link_options(-static)
set(GLYPHORA_WIN32_LIBS comctl32 comdlg32 shell32 gdi32 user32 advapi32 kernel32)

# The window code without WinMain, so the tests drive the same procedure.
file(GLOB WINDOW_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/shell/windows/*.cpp)
list(FILTER WINDOW_SOURCES EXCLUDE REGEX "/win_main\\.cpp$")
add_library(glyphora_window STATIC ${WINDOW_SOURCES})
target_link_libraries(glyphora_window PUBLIC glyphora_core ${GLYPHORA_WIN32_LIBS})

# windres finds the pictures, icons and manifest through the include path.
set(RESOURCE_DIR ${PROJECT_SOURCE_DIR}/resources)
add_library(glyphora_resources OBJECT ${RESOURCE_DIR}/glyphora.rc)
target_include_directories(glyphora_resources PRIVATE ${RESOURCE_DIR})
file(GLOB RESOURCE_INPUTS CONFIGURE_DEPENDS ${RESOURCE_DIR}/*.h ${RESOURCE_DIR}/*.manifest
     ${RESOURCE_DIR}/*.bmp ${RESOURCE_DIR}/*.ico)
set_source_files_properties(${RESOURCE_DIR}/glyphora.rc PROPERTIES OBJECT_DEPENDS "${RESOURCE_INPUTS}")

add_executable(glyphora WIN32 ${PROJECT_SOURCE_DIR}/shell/windows/win_main.cpp
               $<TARGET_OBJECTS:glyphora_resources>)
target_link_libraries(glyphora PRIVATE glyphora_window)
# On 64-bit Windows and under Wine the 32-bit program may then use 4 GiB, not 2.
set(GLYPHORA_LARGE_ADDRESSES -Wl,--large-address-aware)
target_link_options(glyphora PRIVATE ${GLYPHORA_LARGE_ADDRESSES})

# The benchmarks on the 32-bit program's own code paths, run by hand under
# Wine. Google Benchmark is not packaged for mingw: a small stand-in with the
# same interface times them.
foreach(name bench_document bench_render)
  add_executable(${name} ${PROJECT_SOURCE_DIR}/bench/${name}.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench/mini)
  target_link_libraries(${name} PRIVATE glyphora_core ${GLYPHORA_WIN32_LIBS})
  target_link_options(${name} PRIVATE ${GLYPHORA_LARGE_ADDRESSES})
endforeach()

# ---- Tests under Wine -------------------------------------------------------
add_test(NAME Build.glyphora_is_large_address_aware
         COMMAND sh -c "${GLYPHORA_MINGW_PREFIX}-objdump -p \"$0\" | grep -q 'large address aware'"
                 $<TARGET_FILE:glyphora>)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

file(GLOB WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/windows/*.cpp)
add_executable(windows_tests ${WINDOWS_TEST_SOURCES} $<TARGET_OBJECTS:glyphora_resources>)
target_link_libraries(windows_tests PRIVATE glyphora_window GTest::gtest GTest::gtest_main)
target_include_directories(windows_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)

# A small Win32 program that finds the running viewer's window, drives it and
# reads back its client area, for the end-to-end test.
add_executable(window_probe ${PROJECT_SOURCE_DIR}/tests/windows/probe/window_probe.cpp)
target_link_libraries(window_probe PRIVATE gdi32 user32)

set(WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)
set(WINE_ENV "WINEPREFIX=${WINE_PREFIX}")
set(TESTS_DIR ${PROJECT_SOURCE_DIR}/tests/windows)

# One fresh prefix per run: created first, its server stopped last.
add_test(NAME wine_prefix_create COMMAND ${TESTS_DIR}/make_wine_prefix.sh)
add_test(NAME wine_prefix_stop COMMAND wineserver -k)
set_tests_properties(wine_prefix_create PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${WINE_ENV}"
                     TIMEOUT 120)
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "${WINE_ENV}")

# Tests that need a particular system locale run in their own processes below.
set(LOCALE_TEST_SOURCE ${TESTS_DIR}/menu_language_test.cpp)
set(PLAIN_TEST_SOURCES ${WINDOWS_TEST_SOURCES})
list(REMOVE_ITEM PLAIN_TEST_SOURCES ${LOCALE_TEST_SOURCE})
include(GoogleTest)
gtest_add_tests(TARGET windows_tests SOURCES ${PLAIN_TEST_SOURCES} TEST_LIST WINDOWS_TESTS)
add_test(NAME MenuLanguage.polish_locale COMMAND windows_tests --gtest_filter=PolishLocale.*)
add_test(NAME MenuLanguage.english_locale COMMAND windows_tests --gtest_filter=EnglishLocale.*)
set_tests_properties(MenuLanguage.polish_locale PROPERTIES
  ENVIRONMENT "${WINE_ENV};LANG=pl_PL.UTF-8;LC_ALL=pl_PL.UTF-8")
set_tests_properties(MenuLanguage.english_locale PROPERTIES
  ENVIRONMENT "${WINE_ENV};LANG=C.UTF-8;LC_ALL=C.UTF-8")
set_tests_properties(${WINDOWS_TESTS} PROPERTIES ENVIRONMENT "${WINE_ENV}")
set_tests_properties(${WINDOWS_TESTS} MenuLanguage.polish_locale MenuLanguage.english_locale
  PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 60)
# The first-run test removes the settings key that every start creates.
foreach(test ${WINDOWS_TESTS})
  if(test MATCHES "^RegistryUnderWine\\.")
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK settings_key)
  endif()
endforeach()

# End to end: the real program under Wine against the native snapshot tool.
set(GLYPHORA_NATIVE_SHOT ${PROJECT_SOURCE_DIR}/build/native/glyphora-shot CACHE FILEPATH
    "The native snapshot tool the end-to-end test compares the window with")
add_test(NAME EndToEnd.window_matches_native_snapshot
         COMMAND ${TESTS_DIR}/end_to_end.sh $<TARGET_FILE:glyphora> $<TARGET_FILE:window_probe>
                 ${GLYPHORA_NATIVE_SHOT} ${PROJECT_SOURCE_DIR}/samples ${PROJECT_BINARY_DIR}/end_to_end)
set_tests_properties(EndToEnd.window_matches_native_snapshot PROPERTIES
  ENVIRONMENT "${WINE_ENV}" FIXTURES_REQUIRED wine TIMEOUT 180 RUN_SERIAL ON)

# The README's run command, past its build step: the sample opens in a window
# and a screenshot of that window is saved and named.
add_test(NAME RunCommand.opens_the_sample_and_saves_a_screenshot
         COMMAND bash -c "shot=$(bash \"$0\") && identify -format '%m %w %h' \"$shot\" | grep -Eq '^PNG ([7-9][0-9]{2}) ([5-9][0-9]{2})$'"
                 ${PROJECT_SOURCE_DIR}/scripts/run.sh)
set_tests_properties(RunCommand.opens_the_sample_and_saves_a_screenshot PROPERTIES
  ENVIRONMENT "GLYPHORA_HEADLESS=1;GLYPHORA_WINDOWS_BUILD=${PROJECT_BINARY_DIR}" TIMEOUT 180 RUN_SERIAL ON)
