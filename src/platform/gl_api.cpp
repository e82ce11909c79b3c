#include "platform/gl_api.hpp"

namespace glapi {

#define GL_CORE_FUNCTION(type, name) type name = nullptr;
#define GL_DEBUG_FUNCTION(type, name) type name = nullptr;
#include "platform/gl_functions.inc"
#undef GL_CORE_FUNCTION
#undef GL_DEBUG_FUNCTION

void load(proc_loader loader, bool with_debug_output) {
#define GL_CORE_FUNCTION(type, name) name = reinterpret_cast<type>(loader(#name));
#define GL_DEBUG_FUNCTION(type, name)                                                                        \
    if (with_debug_output) name = reinterpret_cast<type>(loader(#name));
#include "platform/gl_functions.inc"
#undef GL_CORE_FUNCTION
#undef GL_DEBUG_FUNCTION
#if defined(__EMSCRIPTEN__)
    fill_web_gaps();
#endif
}

int resolved_count() {
    int count = 0;
#define GL_CORE_FUNCTION(type, name) count += name != nullptr ? 1 : 0;
#define GL_DEBUG_FUNCTION(type, name) count += name != nullptr ? 1 : 0;
#include "platform/gl_functions.inc"
#undef GL_CORE_FUNCTION
#undef GL_DEBUG_FUNCTION
    return count;
}

} // namespace glapi
