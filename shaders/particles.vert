#version 330 core
// Particle pass: one point per particle record, moved to view space; the geometry stage makes sprites.

in vec3 position;
in float texture_index;
in float brightness;
in float particle_size;

uniform mat4 model_to_view;

out vec_out {
    float texture_index;
    float brightness;
    float size;
} particle;

void main() {
    gl_Position = model_to_view * vec4(position, 1.0);
    particle.texture_index = texture_index;
    particle.brightness = brightness;
    particle.size = particle_size;
}
