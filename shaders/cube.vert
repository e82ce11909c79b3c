#version 330 core
// Model pass: positions and normals to view space for per-fragment lighting.

in vec3 attribute_position;
in vec3 attribute_normal;
in vec2 attribute_uv;

uniform mat4 view_to_clip;
uniform mat4 model_to_view;
uniform mat4 normal_transform;

out vec3 view_position;
out vec3 view_normal;
out vec2 uv;

void main() {
    vec4 position = model_to_view * vec4(attribute_position, 1.0);
    view_position = position.xyz;
    view_normal = (normal_transform * vec4(attribute_normal, 0.0)).xyz;
    uv = attribute_uv;
    gl_Position = view_to_clip * position;
}
