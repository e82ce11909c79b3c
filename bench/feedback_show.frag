// The act of bench/feedback_piece.toml: the trails (iChannel1; black in the piece without the buffer)
// tone-mapped over a background that follows the music's waveform (iChannel0).

void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 uv = fragCoord / iResolution.xy;
    float wave = texture(iChannel0, vec2(uv.x, 0.75)).x;
    vec3 background = vec3(0.04, 0.05, 0.1) * (1.0 - uv.y) + 0.15 * smoothstep(0.01, 0.0, abs(uv.y - wave));
    vec3 trails = texture(iChannel1, uv).rgb;
    fragColor = vec4(background + trails / (1.0 + trails), 1.0);
}
