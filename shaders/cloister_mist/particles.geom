#version 330 core
// As shaders/particles.geom, and each sprite also carries its distance from the eye for the mist.

layout(points) in;
layout(triangle_strip, max_vertices = 4) out;

in vec_out {
    float texture_index;
    float brightness;
    float size;
} particle[];

uniform mat4 view_to_clip;
uniform ivec2 screen_size;

out vec2 sprite_uv;
flat out int sprite_texture;
out float sprite_brightness;
out float sprite_distance;

void main() {
    int index = int(particle[0].texture_index + 0.5);
    vec4 center = gl_in[0].gl_Position; // view space
    if (index < 0 || index > 7 || particle[0].size <= 0.0 || center.z > -0.01) return;

    vec4 clip = view_to_clip * center;
    vec2 screen = vec2(max(screen_size, ivec2(1)));
    float radius = 0.5 * particle[0].size * view_to_clip[1][1] / -center.z * 0.5 * screen.y;
    radius = clamp(radius, 1.0, 0.25 * screen.y);
    vec2 offset = radius * 2.0 / screen * clip.w;

    const vec2 corners[4] = vec2[4](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));
    for (int i = 0; i < 4; ++i) {
        gl_Position = clip + vec4(corners[i] * offset, 0.0, 0.0);
        sprite_uv = corners[i] * vec2(0.5, -0.5) + 0.5;
        sprite_texture = index;
        sprite_brightness = particle[0].brightness;
        sprite_distance = length(center.xyz);
        EmitVertex();
    }
    EndPrimitive();
}
