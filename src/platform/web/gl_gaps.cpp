// WebGL 2 lacks the multi-draw calls the engine makes; here they are the plain draws one after the other,
// in the same order, which draws the same picture. Every base vertex the engine passes is 0.
#include "platform/gl_api.hpp"

namespace {

void GLAPIENTRY multi_draw_arrays(GLenum mode, const GLint* first, const GLsizei* count, GLsizei draws) {
    for (GLsizei k = 0; k < draws; ++k)
        glapi::glDrawArrays(mode, first[k], count[k]);
}

void GLAPIENTRY multi_draw_elements(GLenum mode, const GLsizei* count, GLenum type, const void* const* indices,
                                    GLsizei draws, const GLint*) {
    for (GLsizei k = 0; k < draws; ++k)
        glapi::glDrawElements(mode, count[k], type, indices[k]);
}

} // namespace

namespace glapi {

void fill_web_gaps() {
    if (glMultiDrawArrays == nullptr) glMultiDrawArrays = &multi_draw_arrays;
    if (glMultiDrawElementsBaseVertex == nullptr) glMultiDrawElementsBaseVertex = &multi_draw_elements;
}

} // namespace glapi
