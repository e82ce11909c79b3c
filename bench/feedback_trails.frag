// The feedback buffer of bench/feedback_piece.toml: its last frame (iChannel0) drawn a little larger and
// darker, and three lights circling the middle, brighter with the bass (iChannel1, the music), so each
// leaves a fading trail. What a still at t costs is every one of its frames since 0.

void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 uv = fragCoord / iResolution.xy;
    vec3 last = texture(iChannel0, 0.5 + (uv - 0.5) / (1.0 + 0.6 * iTimeDelta)).rgb * exp(-1.5 * iTimeDelta);
    float bass = texture(iChannel1, vec2(0.02, 0.25)).x;
    vec2 p = (fragCoord - 0.5 * iResolution.xy) / iResolution.y;
    vec3 lit = vec3(0.0);
    for (int i = 0; i < 3; ++i) {
        float a = 1.3 * iTime + 2.094 * float(i);
        vec2 at = (0.2 + 0.1 * sin(0.7 * iTime + float(i))) * vec2(cos(a), sin(a));
        float d = length(p - at);
        lit += (0.3 + bass) * exp(-d * d / 0.0004) * vec3(i == 0 ? 1.0 : 0.3, i == 1 ? 1.0 : 0.4, i == 2 ? 1.0 : 0.5);
    }
    fragColor = vec4(last + lit, 1.0);
}
