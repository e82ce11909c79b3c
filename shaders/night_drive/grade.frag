// night_drive: the grade over the whole piece. A bloom lets every bright light bleed into its
// surroundings, the shadows lean to violet and the highlights to warm, the corners darken, and the
// exposure (a curve) brings the picture in from black and takes it out again.
//   iChannel0  the picture so far ("frame")
//   exposure   a curve: 0 black, 1 as drawn

uniform float exposure;

vec3 bright_part(vec2 uv) {
    vec3 c = texture(iChannel0, uv).rgb;
    return max(c - 0.55, 0.0);
}

void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 uv = fragCoord / iResolution.xy;
    vec3 colour = texture(iChannel0, uv).rgb;

    // Two rings of eight taps, at 1 % and 2.5 % of the height: a cheap, wide bloom.
    vec2 unit = vec2(iResolution.y / iResolution.x, 1.0);
    vec3 bloom = vec3(0.0);
    for (int i = 0; i < 8; ++i) {
        float a = float(i) * 0.785398 + 0.39;
        vec2 d = vec2(cos(a), sin(a)) * unit;
        bloom += bright_part(uv + d * 0.01) * 0.6 + bright_part(uv + d * 0.025) * 0.4;
    }
    colour += bloom * 0.16;

    // Shadows to violet, highlights to warm, a gentle S.
    float luma = dot(colour, vec3(0.2126, 0.7152, 0.0722));
    colour += mix(vec3(0.015, 0.0, 0.03), vec3(0.02, 0.01, -0.02), smoothstep(0.1, 0.8, luma));
    colour = clamp(colour, 0.0, 1.0);
    colour = mix(colour, colour * colour * (3.0 - 2.0 * colour), 0.35);

    vec2 centred = uv - 0.5;
    float vignette = 1.0 - 0.55 * dot(centred, centred) * 1.6;
    fragColor = vec4(colour * vignette * exposure, 1.0);
}
