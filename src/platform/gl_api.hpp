#pragma once
// The OpenGL entry-point table. Every OpenGL 3.3 core function and the GL_ARB_debug_output functions are
// pointers in namespace glapi, resolved by name once per process while a context is current. Code calls
// OpenGL only through them (glapi::glClear(...)); a name the driver lacks stays null.

#include <GL/glcorearb.h>

namespace glapi {

#define GL_CORE_FUNCTION(type, name) extern type name;
#define GL_DEBUG_FUNCTION(type, name) extern type name;
#include "platform/gl_functions.inc"
#undef GL_CORE_FUNCTION
#undef GL_DEBUG_FUNCTION

using proc = void (*)();
using proc_loader = proc (*)(const char* name);

// Resolves the core functions, and the debug-output functions when with_debug_output is set.
void load(proc_loader loader, bool with_debug_output);

#if defined(__EMSCRIPTEN__)
// The entries WebGL 2 lacks, made of the calls it has (platform/web/gl_gaps.cpp); called by load.
void fill_web_gaps();
#endif

// Number of table entries that are resolved (for diagnostics and tests).
int resolved_count();

} // namespace glapi
