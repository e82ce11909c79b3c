// GLFW error reports and OpenGL debug messages as log records. Each callback composes its text in one
// stream that lives for the whole process, so a message costs no stream construction.

#include "core/core_module.hpp"
#include "platform/display_manager.hpp"
#include "platform/gl_api.hpp"
#include "platform/repeat_limit.hpp"

#include <mutex>
#include <sstream>
#include <string>
#include <type_traits>

namespace {

// Debug output must call back with exactly the driver's callback type.
static_assert(std::is_same_v<decltype(&display_manager::debug_callback), GLDEBUGPROCARB>);

const char* severity_text(GLenum severity) {
    switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH_ARB:
        return "High";
    case GL_DEBUG_SEVERITY_MEDIUM_ARB:
        return "Medium";
    case GL_DEBUG_SEVERITY_LOW_ARB:
        return "Low";
    default:
        return "<Unknown>";
    }
}

logger::level severity_level(GLenum severity) {
    switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH_ARB:
        return logger::level::error;
    case GL_DEBUG_SEVERITY_MEDIUM_ARB:
    case GL_DEBUG_SEVERITY_LOW_ARB:
        return logger::level::warning;
    default:
        return logger::level::info;
    }
}

const char* source_text(GLenum source) {
    switch (source) {
    case GL_DEBUG_SOURCE_API_ARB:
        return "OpenGL API";
    case GL_DEBUG_SOURCE_WINDOW_SYSTEM_ARB:
        return "Window system API";
    case GL_DEBUG_SOURCE_SHADER_COMPILER_ARB:
        return "Shader compiler";
    case GL_DEBUG_SOURCE_THIRD_PARTY_ARB:
        return "Third party application";
    case GL_DEBUG_SOURCE_APPLICATION_ARB:
        return "User application";
    case GL_DEBUG_SOURCE_OTHER_ARB:
        return "Other";
    default:
        return "<Unknown>";
    }
}

const char* type_text(GLenum type) {
    switch (type) {
    case GL_DEBUG_TYPE_ERROR_ARB:
        return "Error";
    case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR_ARB:
        return "Deprecated behavior";
    case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR_ARB:
        return "Undefined behavior";
    case GL_DEBUG_TYPE_PORTABILITY_ARB:
        return "Portability";
    case GL_DEBUG_TYPE_PERFORMANCE_ARB:
        return "Performance";
    case GL_DEBUG_TYPE_OTHER_ARB:
        return "Other";
    default:
        return "<Unknown>";
    }
}

// Empties a reused stream for the next message.
std::ostringstream& fresh(std::ostringstream& text) {
    text.str(std::string());
    text.clear();
    return text;
}

} // namespace

void display_manager::error_callback(int code, const char* description) {
    static std::mutex mutex;
    static std::ostringstream text;
    std::lock_guard lock(mutex);
    fresh(text) << "GLFW error, code " << code << ", message:\n'"
                << (description != nullptr ? description : "") << "'";
    if (core != nullptr) core->log_manager.error(text.str());
}

void display_manager::debug_callback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                     GLsizei /*length*/, const GLchar* message, const void* /*user*/) {
    // Synchronous debug output calls this on the thread of the offending GL call, the main thread only.
    static std::ostringstream text;
    fresh(text) << "OpenGL message,\n  severity: " << severity_text(severity)
                << "\n  source: " << source_text(source) << "\n  type: " << type_text(type)
                << "\n  id: " << id << "\n  cause: " << (message != nullptr ? message : "");
    // A driver repeats the same message on every frame of a lasting fault; ten copies tell the story.
    static platform::repeat_limit repeats(10);
    const auto verdict = repeats.count(text.str());
    if (core == nullptr || verdict == platform::repeat_limit::verdict::drop) return;
    core->log_manager.log(text.str(), severity_level(severity));
    if (verdict == platform::repeat_limit::verdict::pass_last) {
        core->log_manager.log("The OpenGL message above came " + std::to_string(repeats.limit()) +
                                  " times; further copies are not logged.",
                              severity_level(severity));
    }
}
