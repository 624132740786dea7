# Web build: the portable code and the virtual window, compiled to one
# WebAssembly module that the page's own script instantiates (no generated
# glue, no file system, no ports), and the page's static files beside it.
file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/*.cpp)
# PNG output needs libpng, and output files a file system: the page has no
# use for either.
list(FILTER PLATFORM_SOURCES EXCLUDE REGEX "/(png_[a-z]+|output_file)\\.cpp$")
add_library(glyphora_platform STATIC ${PLATFORM_SOURCES})
target_include_directories(glyphora_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(glyphora_core PUBLIC glyphora_platform)

# -O2 rather than -Oz: 1.7 KB more of module for faster composition and
# decoding, well inside the page's weight. Bulk memory makes memcpy the
# engine's own copy, which a step's frame goes through twice.
set(WEB_OPTIONS -O2 -fno-exceptions -fno-rtti -mbulk-memory)
target_compile_options(glyphora_core PRIVATE ${WEB_OPTIONS})
target_compile_options(glyphora_platform PRIVATE ${WEB_OPTIONS})

# The gallery's thumbnails are glyphora-shot's, from the same parts of it
# (all but reading files and writing PNGs).
set(SHOT_PARTS area_scale text_extent thumbnail_size shot_view)
list(TRANSFORM SHOT_PARTS PREPEND ${PROJECT_SOURCE_DIR}/tools/shot/)
list(TRANSFORM SHOT_PARTS APPEND .cpp)

set(CMAKE_EXECUTABLE_SUFFIX ".wasm")
add_executable(glyphora web/glyphora_web.cpp web/allocation.cpp web/thumbnail_web.cpp ${SHOT_PARTS})
target_compile_options(glyphora PRIVATE ${WEB_OPTIONS})
target_link_libraries(glyphora PRIVATE glyphora_core)
# WebAssembly's 32-bit memory may grow to 4 GiB, all Chromium allows; it
# starts at 32 MiB, which the start-up and a file of a few MiB fit.
target_link_options(glyphora PRIVATE ${WEB_OPTIONS} --no-entry -sSTANDALONE_WASM
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB -sINITIAL_MEMORY=32MB -sFILESYSTEM=0
  -sENVIRONMENT=web -sSUPPORT_ERRNO=0)

set(WEB_DIR ${PROJECT_BINARY_DIR}/site)
set(WEB_FILES ${PROJECT_SOURCE_DIR}/web/glyphora.js ${PROJECT_SOURCE_DIR}/web/glyphora.css
  ${PROJECT_SOURCE_DIR}/web/zip_reader.js ${PROJECT_SOURCE_DIR}/web/gallery.js)
# The page's title is the program's window title, version and all.
configure_file(${PROJECT_SOURCE_DIR}/web/index.html ${WEB_DIR}/index.html @ONLY)
# The static folder, refreshed on every build (copy_if_different): the page,
# the module, the bundled sample, the About box's art and the program's icon.
add_custom_target(site ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${WEB_FILES} ${WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:glyphora> ${WEB_DIR}/glyphora.wasm
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/samples/glyphora.ans
          ${WEB_DIR}/glyphora.ans
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/resources/about.ans
          ${WEB_DIR}/about.ans
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/resources/app_small.ico
          ${WEB_DIR}/favicon.ico
  DEPENDS glyphora)
