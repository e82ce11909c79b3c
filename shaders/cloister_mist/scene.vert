#version 330 core
// Model pass of the cloister in mist: as shaders/cube.vert, plus the world heights of the vertex and the
// eye, which the mist needs (it lies thick on the paving and thins upwards).

in vec3 attribute_position;
in vec3 attribute_normal;
in vec2 attribute_uv;

uniform mat4 view_to_clip;
uniform mat4 model_to_view;
uniform mat4 normal_transform;

out vec3 view_position;
out vec3 view_normal;
out vec2 uv;
out float world_height;
flat out float eye_height;

void main() {
    vec4 position = model_to_view * vec4(attribute_position, 1.0);
    view_position = position.xyz;
    view_normal = (normal_transform * vec4(attribute_normal, 0.0)).xyz;
    uv = attribute_uv;
    world_height = attribute_position.y;
    // The model matrix is the identity and the view's rotation is orthonormal: the eye is at -R^T * t.
    eye_height = (-transpose(mat3(model_to_view)) * model_to_view[3].xyz).y;
    gl_Position = view_to_clip * position;
}
