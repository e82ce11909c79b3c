#include "gl/info_log.hpp"

#include <algorithm>
#include <vector>

namespace gl {

std::string read_info_log(GLuint id, PFNGLGETSHADERIVPROC get_iv, PFNGLGETSHADERINFOLOGPROC get_log) {
    GLint length = 0;
    get_iv(id, GL_INFO_LOG_LENGTH, &length);
    std::vector<GLchar> buffer(static_cast<std::size_t>(std::max(length, 0)), '\0');
    GLsizei written = 0;
    get_log(id, static_cast<GLsizei>(buffer.size()), &written, buffer.data());
    // Never trust the driver's count beyond the buffer it was given.
    written = std::clamp(written, 0, static_cast<GLsizei>(buffer.size()));
    std::string log(buffer.begin(), buffer.begin() + written);
    return log.empty() ? std::string("<empty>") : log;
}

} // namespace gl
