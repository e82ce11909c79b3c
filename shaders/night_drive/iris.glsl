// night_drive: an iris opening from the middle (a gl-transitions transition). The next act shows
// through a circle that grows from the vanishing point, rushing in from a little further away, under a
// neon rim that thins as it opens.
uniform vec3 rim_colour; // = vec3(1.0, 0.3, 0.8)

vec4 transition(vec2 uv) {
    vec2 p = (uv - 0.5) * vec2(ratio, 1.0);
    float corner = 0.5 * length(vec2(ratio, 1.0));
    float radius = progress * progress * (corner + 0.05);
    float d = length(p) - radius;
    vec2 zoomed = 0.5 + (uv - 0.5) * mix(0.6, 1.0, progress);
    float inside = smoothstep(0.003, -0.003, d);
    vec4 colour = mix(getFromColor(uv), getToColor(zoomed), inside);
    float rim = exp(-abs(d) * mix(60.0, 200.0, progress)) * (1.0 - progress * progress);
    colour.rgb += rim_colour * rim * 1.8;
    return colour;
}
