#pragma once
// Names shared by the act and the GLSL files under shaders/: attributes, samplers and uniforms of the
// scene program (cube.vert/cube.frag) and the particle program (particles.vert/.geom/.frag).

namespace shader_interface {

// Scene program: one model_vertex per vertex (stride 32).
constexpr const char* attribute_position = "attribute_position"; // vec3, offset 0
constexpr const char* attribute_normal = "attribute_normal";     // vec3, offset 12
constexpr const char* attribute_uv = "attribute_uv";             // vec2, offset 24

// Scene samplers on texture units 0, 1 and 2.
constexpr const char* diffuse_map = "diffuse_map";
constexpr const char* specular_map = "specular_map";
constexpr const char* normal_map = "normal_map";

// Material.
constexpr const char* global_diffuse = "global_diffuse";       // vec3
constexpr const char* global_specular = "global_specular";     // vec3
constexpr const char* global_glossiness = "global_glossiness"; // float

// Camera matrices, column-major mat4; both programs.
constexpr const char* view_to_clip = "view_to_clip";
constexpr const char* model_to_view = "model_to_view";
constexpr const char* normal_transform = "normal_transform";

// Lights in view space and RGB intensities; both programs.
constexpr const char* light1_position = "light1_position";   // vec3
constexpr const char* light2_position = "light2_position";   // vec3
constexpr const char* light1_intensity = "light1_intensity"; // vec3
constexpr const char* light2_intensity = "light2_intensity"; // vec3
constexpr const char* ambient_light = "ambient_light";       // vec3, equal components

// Timeline values; both programs.
constexpr const char* desaturate_multiplier = "desaturate_multiplier";       // float, 0 to about 78
constexpr const char* fade_to_black_multiplier = "fade_to_black_multiplier"; // float, 0 to 1

// The piece's background, the colour each frame is cleared to; both programs, where declared.
constexpr const char* background_color = "background_color"; // vec3

constexpr const char* use_textures = "use_textures"; // int, always 1

// Particle program: one 24-byte record per point.
constexpr const char* position = "position";           // vec3, offset 0
constexpr const char* texture_index = "texture_index"; // float, offset 12; 0..7 live, 15 dead
constexpr const char* brightness = "brightness";       // float, offset 16
constexpr const char* particle_size = "particle_size"; // float, offset 20

// Particle samplers on texture units 3 to 10, in this order.
constexpr const char* kukka1 = "kukka1";
constexpr const char* kukka2 = "kukka2";
constexpr const char* kukka3 = "kukka3";
constexpr const char* valo = "valo";
constexpr const char* valo2 = "valo2";
constexpr const char* valo3 = "valo3";
constexpr const char* taplat = "taplat";
constexpr const char* taplat2 = "taplat2";

constexpr const char* screen_size = "screen_size"; // ivec2, pixels

} // namespace shader_interface
