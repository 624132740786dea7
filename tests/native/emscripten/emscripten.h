#pragma once
// Stand-in for Emscripten's header, so that the page's door to the program
// (web/glyphora_web.cpp) builds natively and its logic is tested here, where
// any allocation can be made to fail.
#define EMSCRIPTEN_KEEPALIVE
