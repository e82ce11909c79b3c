// night_drive: a scan wipe (a gl-transitions transition). A bright line runs down the picture; above it
// is the next act, below it the last, and the rows near the line slip sideways as on a bad tape.
uniform vec3 scan_colour; // = vec3(0.3, 0.9, 1.0)

vec4 transition(vec2 uv) {
    float line = 1.04 - 1.08 * progress; // from just above the top to just below the bottom
    float d = uv.y - line;
    float near = exp(-abs(d) * 30.0);
    vec2 slipped = uv + vec2(near * 0.02 * sin(uv.y * 260.0), 0.0);
    vec4 colour = d > 0.0 ? getToColor(slipped) : getFromColor(slipped);
    colour.rgb += scan_colour * (exp(-abs(d) * 220.0) * 1.6 + near * 0.12);
    return colour;
}
