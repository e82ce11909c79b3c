#version 330 core
// Particle sprites: the sampler chosen by the record's texture index, scaled by brightness and the fade.

in vec2 sprite_uv;
flat in int sprite_texture;
in float sprite_brightness;

uniform sampler2D kukka1;
uniform sampler2D kukka2;
uniform sampler2D kukka3;
uniform sampler2D valo;
uniform sampler2D valo2;
uniform sampler2D valo3;
uniform sampler2D taplat;
uniform sampler2D taplat2;

uniform float fade_to_black_multiplier;

out vec4 fragment_color;

vec4 sprite_texel() {
    // Samplers cannot be indexed dynamically in GLSL 3.30.
    switch (sprite_texture) {
    case 0: return texture(kukka1, sprite_uv);
    case 1: return texture(kukka2, sprite_uv);
    case 2: return texture(kukka3, sprite_uv);
    case 3: return texture(valo, sprite_uv);
    case 4: return texture(valo2, sprite_uv);
    case 5: return texture(valo3, sprite_uv);
    case 6: return texture(taplat, sprite_uv);
    default: return texture(taplat2, sprite_uv);
    }
}

void main() {
    vec4 texel = sprite_texel();
    float fade = clamp(fade_to_black_multiplier, 0.0, 1.0);
    float alpha = texel.a * clamp(sprite_brightness, 0.0, 1.0) * fade;
    if (alpha < 0.004) discard;
    fragment_color = vec4(texel.rgb * max(sprite_brightness, 0.0) * fade, alpha);
}
