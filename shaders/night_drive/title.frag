// night_drive: the title. A neon sign "NIGHT DRIVE" flickers on over a striped sun setting behind
// mountains that are the music's spectrum (lows at the edges, highs in the middle), a grid floor
// scrolls towards the viewer, and the horizon is the waveform. The sky's stars are the sparkle of
// assets/valo2.png.
//   iChannel0  the music (row 0 spectrum, row 1 waveform)
//   iChannel1  assets/valo2.png
//   kick_glow, snare_glow  curves of the piece: 1 on a hit, falling back to 0
//   sign_light a curve: the sign's brightness (1 lit, 0 dark)

uniform float kick_glow;
uniform float snare_glow;
uniform float sign_light;

const float horizon = -0.08;

float spectrum(float x) { return texture(iChannel0, vec2(x, 0.25)).x; }
float waveform(float x) { return texture(iChannel0, vec2(x, 0.75)).x; }

float hash(float n) { return fract(sin(n * 127.1) * 43758.5453); }
float hash2(vec2 p) { return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453); }

float segment(vec2 p, vec2 a, vec2 b) {
    vec2 pa = p - a, ba = b - a;
    float h = clamp(dot(pa, ba) / dot(ba, ba), 0.0, 1.0);
    return length(pa - ba * h);
}

// The letters as strokes in a box 0.6 wide and 1 high: x0, y0, x1, y1.
const vec4 strokes[34] = vec4[34](
    // N 0-2
    vec4(0.0, 0.0, 0.0, 1.0), vec4(0.0, 1.0, 0.6, 0.0), vec4(0.6, 0.0, 0.6, 1.0),
    // I 3-3
    vec4(0.3, 0.0, 0.3, 1.0),
    // G 4-8
    vec4(0.6, 1.0, 0.0, 1.0), vec4(0.0, 1.0, 0.0, 0.0), vec4(0.0, 0.0, 0.6, 0.0), vec4(0.6, 0.0, 0.6, 0.45),
    vec4(0.6, 0.45, 0.3, 0.45),
    // H 9-11
    vec4(0.0, 0.0, 0.0, 1.0), vec4(0.6, 0.0, 0.6, 1.0), vec4(0.0, 0.5, 0.6, 0.5),
    // T 12-13
    vec4(0.0, 1.0, 0.6, 1.0), vec4(0.3, 1.0, 0.3, 0.0),
    // D 14-19
    vec4(0.0, 0.0, 0.0, 1.0), vec4(0.0, 1.0, 0.4, 1.0), vec4(0.4, 1.0, 0.6, 0.8), vec4(0.6, 0.8, 0.6, 0.2),
    vec4(0.6, 0.2, 0.4, 0.0), vec4(0.4, 0.0, 0.0, 0.0),
    // R 20-24
    vec4(0.0, 0.0, 0.0, 1.0), vec4(0.0, 1.0, 0.6, 1.0), vec4(0.6, 1.0, 0.6, 0.5), vec4(0.6, 0.5, 0.0, 0.5),
    vec4(0.2, 0.5, 0.6, 0.0),
    // V 25-26
    vec4(0.0, 1.0, 0.3, 0.0), vec4(0.3, 0.0, 0.6, 1.0),
    // E 27-30
    vec4(0.6, 1.0, 0.0, 1.0), vec4(0.0, 1.0, 0.0, 0.0), vec4(0.0, 0.0, 0.6, 0.0), vec4(0.0, 0.5, 0.45, 0.5),
    // the underline's two halves 31-32 and the dash between them 33
    vec4(-0.3, -0.35, 3.55, -0.35), vec4(4.6, -0.35, 8.45, -0.35), vec4(3.9, -0.35, 4.25, -0.35));

// "NIGHT DRIVE": each letter's first stroke and count.
const ivec2 letters[10] = ivec2[10](ivec2(0, 3), ivec2(3, 1), ivec2(4, 5), ivec2(9, 3), ivec2(12, 2),
                                    ivec2(14, 6), ivec2(20, 5), ivec2(3, 1), ivec2(25, 2), ivec2(27, 4));

// When letter i (the underline is 10) comes on for good, and whether it is lit at t: a few stutters first.
float lit(int i, float t) {
    float on = 0.6 + 1.9 * hash(float(i) + 3.0);
    if (t > on) return (i == 4 && t > 9.0 && t < 9.25) ? 0.25 : 1.0; // the T stutters once more
    float start = on - 0.7;
    if (t < start) return 0.0;
    return step(0.45, hash(floor(t * 24.0) + float(i) * 17.0));
}

// Distance to the sign's lit strokes (in the sign's units) of each colour: pink, cyan, amber.
vec3 sign_distance(vec2 q, float t) {
    vec3 best = vec3(1e3);
    for (int i = 0; i < 10; ++i) {
        if (lit(i, t) < 0.5) continue;
        vec2 local = q - vec2(float(i) * 0.78 + (i >= 5 ? 0.5 : 0.0), 0.0);
        float d = 1e3;
        for (int k = 0; k < letters[i].y; ++k) {
            vec4 s = strokes[letters[i].x + k];
            d = min(d, segment(local, s.xy, s.zw));
        }
        if (i < 5) best.x = min(best.x, d);
        else best.y = min(best.y, d);
    }
    if (lit(10, t) > 0.5) {
        best.y = min(best.y, segment(q, strokes[31].xy, strokes[31].zw));
        best.x = min(best.x, segment(q, strokes[32].xy, strokes[32].zw));
        best.z = segment(q, strokes[33].xy, strokes[33].zw);
    }
    return best;
}

vec3 sky(vec2 p, float t) {
    float h = p.y - horizon;
    vec3 c = mix(vec3(0.55, 0.12, 0.35), vec3(0.02, 0.01, 0.07), smoothstep(0.0, 0.45, h));
    c += vec3(0.5, 0.2, 0.1) * exp(-h * 14.0) * 0.6;
    // Stars: one sparkle in some cells of a grid, twinkling.
    vec2 cell = floor(p * 9.0);
    float r = hash2(cell);
    if (r > 0.55 && h > 0.12) {
        vec2 centre = (cell + 0.2 + 0.6 * vec2(hash2(cell + 7.1), hash2(cell + 3.3))) / 9.0;
        float size = 0.025 + 0.035 * hash2(cell + 1.7);
        vec2 uv = (p - centre) / size + 0.5;
        if (all(greaterThan(uv, vec2(0.0))) && all(lessThan(uv, vec2(1.0)))) {
            vec4 s = texture(iChannel1, uv);
            float twinkle = 0.55 + 0.45 * sin(t * (1.5 + 3.0 * r) + r * 40.0);
            c += s.rgb * s.a * twinkle * (0.6 + 0.8 * snare_glow) * smoothstep(0.12, 0.3, h);
        }
    }
    return c;
}

vec3 sun(vec2 p, vec3 behind) {
    vec2 centre = vec2(0.0, horizon + 0.07);
    float r = length(p - centre);
    float radius = 0.2;
    vec3 c = behind + vec3(1.0, 0.35, 0.45) * 0.25 * exp(-max(r - radius, 0.0) * 9.0);
    if (r < radius) {
        float v = (p.y - centre.y) / radius; // -1 bottom, 1 top
        vec3 face = mix(vec3(1.0, 0.15, 0.55), vec3(1.0, 0.85, 0.3), smoothstep(-0.8, 0.9, v));
        // Stripes, wider towards the bottom, sliding down.
        float stripes = fract(v * 6.0 + iTime * 0.3);
        float gap = clamp(0.3 - v * 0.4, 0.0, 0.7);
        float edge = smoothstep(radius, radius - 0.004, r);
        if (v < 0.45 && stripes < gap) edge = 0.0;
        c = mix(c, face * 1.3, edge);
    }
    return c;
}

vec3 mountains(vec2 p, vec3 behind) {
    float side = abs(p.x);
    float f = clamp(1.0 - side / 0.95, 0.0, 1.0);
    // Low bins (the bass) at the edges, the highs in the middle; a bump shape keeps them mountains.
    float e = spectrum(0.01 + 0.16 * f * f);
    float height = 0.015 + (0.05 + 0.22 * e) * (0.35 + 0.65 * smoothstep(0.0, 0.9, side)) *
                               (0.7 + 0.3 * sin(side * 37.0) * sin(side * 11.0 + 1.0));
    float top = horizon + height;
    if (p.y > top || p.y < horizon) return behind;
    float rim = exp(-(top - p.y) * 220.0);
    return mix(vec3(0.05, 0.01, 0.08), vec3(1.0, 0.2, 0.8), rim * (0.6 + 0.6 * kick_glow));
}

vec3 floor_grid(vec2 p, float t) {
    float below = horizon - p.y;
    float z = 0.3 / below;
    vec2 w = vec2(p.x * z, z + t * 1.5) * 4.0;
    vec2 g = abs(fract(w) - 0.5);
    vec2 width = fwidth(w);
    float lines = max(smoothstep(width.x * 1.5, 0.0, g.x - 0.02), smoothstep(width.y * 1.5, 0.0, g.y - 0.02));
    float haze = exp(-z * 0.25);
    vec3 c = vec3(0.03, 0.0, 0.06);
    c += vec3(0.9, 0.15, 0.9) * lines * haze * (0.6 + 1.2 * kick_glow);
    c += vec3(0.55, 0.12, 0.35) * (1.0 - haze) * 0.9; // into the glow of the horizon
    return c;
}

void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 p = (fragCoord - 0.5 * iResolution.xy) / iResolution.y;
    float t = iTime;
    vec3 c;
    if (p.y >= horizon) {
        c = sky(p, t);
        c = sun(p, c);
        c = mountains(p, c);
    } else {
        c = floor_grid(p, t);
    }
    // The horizon: the waveform as a thin cyan line.
    float wave = (waveform(0.5 + p.x * 0.5) - 0.5) * 0.08;
    float line = abs(p.y - horizon - wave);
    c += vec3(0.2, 0.9, 1.0) * exp(-line * iResolution.y * 0.35) * 0.8;

    // The sign, a tenth of the height per letter, above the sun.
    float scale = 0.1;
    vec2 q = (p - vec2(-0.405, 0.26)) / scale;
    vec3 d = sign_distance(q, t) * scale;
    float pixel = 1.0 / iResolution.y;
    float bright = sign_light * (1.0 + 0.5 * kick_glow);
    vec3 glow = exp(-d * 55.0) * 0.55 + exp(-d * 14.0) * 0.18;
    vec3 pink = vec3(1.0, 0.25, 0.7), cyan = vec3(0.25, 0.85, 1.0), amber = vec3(1.0, 0.85, 0.3);
    float nearest = min(d.x, min(d.y, d.z));
    vec3 tube = nearest == d.x ? pink : (nearest == d.y ? cyan : amber);
    float core = smoothstep(0.0045 + pixel, 0.0045 - pixel, nearest);
    c = mix(c, c * 0.35, clamp(max(glow.x, max(glow.y, glow.z)) * bright, 0.0, 1.0) * 0.5); // the sign's board
    c += (pink * glow.x + cyan * glow.y + amber * glow.z) * bright;
    c = mix(c, mix(tube, vec3(1.0), 0.65) * 1.2, core * min(bright, 1.0));
    fragColor = vec4(c, 1.0);
}
