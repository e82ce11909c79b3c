#version 330 core
// The cloister's sprites: petals, glows and sparks (texture index k: the k-th sampler declared below),
// scaled by brightness and the fade and sunk into the mist with distance (a plain distance mist: the
// sprites fly above its thickest layer).

in vec2 sprite_uv;
flat in int sprite_texture;
in float sprite_brightness;
in float sprite_distance;

uniform sampler2D petal;
uniform sampler2D blossom;
uniform sampler2D glow;
uniform sampler2D spark;
uniform sampler2D embers;

uniform float fade_to_black_multiplier;
uniform float mist_density;
uniform vec3 mist_color;
uniform float pulse; // the drum flash: sprites glow brighter

out vec4 fragment_color;

vec4 sprite_texel() {
    switch (sprite_texture) {
    case 0: return texture(petal, sprite_uv);
    case 1: return texture(blossom, sprite_uv);
    case 2: return texture(glow, sprite_uv);
    case 3: return texture(spark, sprite_uv);
    default: return texture(embers, sprite_uv);
    }
}

void main() {
    vec4 texel = sprite_texel();
    float fade = clamp(fade_to_black_multiplier, 0.0, 1.0);
    float alpha = texel.a * clamp(sprite_brightness, 0.0, 1.0) * fade;
    if (alpha < 0.004) discard;
    float mist = 1.0 - exp(-0.5 * max(mist_density, 0.0) * sprite_distance);
    vec3 glow = texel.rgb * max(sprite_brightness, 0.0) * (1.0 + 0.5 * clamp(pulse, 0.0, 1.0));
    vec3 color = mix(glow, mist_color, mist);
    fragment_color = vec4(color * fade, alpha);
}
