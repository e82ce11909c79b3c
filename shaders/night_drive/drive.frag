// night_drive: the drive, raymarched. A wet road runs through a row of neon gates between dark towers
// with lit windows; each gate glows with a band of the music's spectrum and flashes on the kicks, and
// the road mirrors the gates. The light streaks of the buffer rush past over it all.
//   iChannel0  the music
//   iChannel1  the streaks buffer
//   kick_glow  a curve: 1 on a kick, falling back to 0
// The march: at most 48 steps for the view and 16 for the road's reflection, the road itself found
// exactly (a plane), so a frame costs 64 steps at most per pixel.

uniform float kick_glow;

const float gap = 9.0;      // between two gates
const float speed = 14.0;   // units a second
const float far = 90.0;

float hash(float n) { return fract(sin(n * 78.233) * 43758.5453); }
float hash2(vec2 p) { return fract(sin(dot(p, vec2(12.9898, 78.233))) * 43758.5453); }

float band(float gate) { return texture(iChannel0, vec2(0.02 + 0.05 * mod(gate, 6.0), 0.25)).x; }

vec3 gate_colour(float gate) {
    return mod(gate, 2.0) < 0.5 ? vec3(1.0, 0.2, 0.75) : vec3(0.2, 0.8, 1.0);
}

// Distance to the nearest gate's tube (two posts 11 apart and a bar 6 above the road) and that gate's
// number.
vec2 gates(vec3 p) {
    float gate = floor(p.z / gap + 0.5);
    float z = p.z - gate * gap;
    float x = abs(p.x);
    float post = length(vec2(x - 5.5, p.y - clamp(p.y, 0.0, 6.0)));
    float bar = length(vec2(x - min(x, 5.5), p.y - 6.0));
    return vec2(length(vec2(min(post, bar), z)) - 0.07, gate);
}

// The towers either side: boxes on a grid of cells along the road, heights from the cell's number.
float towers(vec3 p) {
    float side = sign(p.x);
    vec3 q = vec3(abs(p.x) - 15.0, p.y, p.z);
    float cell = floor(q.z / 7.0);
    q.z -= (cell + 0.5) * 7.0;
    float h = 6.0 + 16.0 * hash(cell * 1.7 + side * 13.0);
    vec3 b = abs(q - vec3(0.0, h * 0.5, 0.0)) - vec3(3.5, h * 0.5, 2.9);
    return length(max(b, 0.0)) + min(max(b.x, max(b.y, b.z)), 0.0);
}

float scene(vec3 p, out float gate) {
    vec2 g = gates(p);
    gate = g.y;
    return min(g.x, towers(p));
}

vec3 sky(vec3 rd) {
    float up = max(rd.y, 0.0);
    vec3 c = mix(vec3(0.18, 0.04, 0.16), vec3(0.01, 0.005, 0.03), pow(up, 0.45));
    return c;
}

// The haze far down the road, lit by the city ahead.
vec3 haze(vec3 rd) {
    return vec3(0.12, 0.03, 0.12) + vec3(0.4, 0.1, 0.3) * exp(-abs(rd.y) * 12.0 - abs(rd.x) * 5.0);
}

// Windows on a tower's face: a grid, some lit warm, some cold, most dark.
vec3 windows(vec3 p, vec3 n) {
    vec2 f = abs(n.x) > 0.5 ? p.zy : p.xy;
    vec2 cell = floor(f * vec2(1.4, 1.1));
    vec2 in_cell = fract(f * vec2(1.4, 1.1));
    float window = step(0.25, in_cell.x) * step(in_cell.x, 0.75) * step(0.3, in_cell.y) * step(in_cell.y, 0.8);
    float r = hash2(cell + floor(p.x / 20.0) * 31.0);
    vec3 light = r > 0.85 ? vec3(1.0, 0.7, 0.35) : (r > 0.78 ? vec3(0.4, 0.8, 1.0) : vec3(0.0));
    return light * window * 1.4;
}

// Marches from ro along rd for at most `steps`, up to `limit`; the glow of the gates passed gathers in
// `glow`. Returns the distance reached (limit when nothing is hit).
float march(vec3 ro, vec3 rd, float limit, int steps, out vec3 glow, out float gate) {
    float t = 0.05;
    glow = vec3(0.0);
    gate = 0.0;
    for (int i = 0; i < 64; ++i) {
        if (i >= steps || t >= limit) break;
        vec3 p = ro + t * rd;
        vec2 g = gates(p);
        float tower = towers(p);
        float d = min(g.x, tower);
        float power = 0.35 + 1.6 * band(g.y) + 1.5 * kick_glow;
        glow += gate_colour(g.y) * power * 0.0022 / (0.002 + g.x * g.x) * min(d, 1.5);
        if (d < 0.002 * t) {
            gate = g.x < tower ? g.y : -1.0; // -1: a tower
            return t;
        }
        t += d;
    }
    return limit;
}

vec3 normal_at(vec3 p) {
    const vec2 e = vec2(0.002, 0.0);
    float gate;
    float d = scene(p, gate);
    return normalize(vec3(scene(p + e.xyy, gate), scene(p + e.yxy, gate), scene(p + e.yyx, gate)) - d);
}

vec3 road(vec3 p) {
    vec3 c = vec3(0.025, 0.022, 0.03);
    float x = abs(p.x);
    float dash = step(fract(p.z / 4.0), 0.5);
    c += vec3(0.9, 0.8, 0.5) * smoothstep(0.09, 0.06, x) * dash * 0.6;            // the middle line
    c += vec3(0.8, 0.8, 0.9) * smoothstep(0.08, 0.05, abs(x - 5.0)) * 0.35;         // the edges
    return c;
}

// What a ray from ro along rd sees, but the road's reflection.
vec3 shade(vec3 ro, vec3 rd, float t, float gate, vec3 glow, bool hit) {
    vec3 c = sky(rd);
    if (hit) {
        vec3 p = ro + t * rd;
        vec3 n = normal_at(p);
        if (gate >= 0.0) {
            c = mix(gate_colour(gate), vec3(1.0), 0.6) * (1.2 + 1.5 * band(gate) + kick_glow);
        } else {
            c = vec3(0.02, 0.018, 0.03) * (0.5 + 0.5 * n.y) + windows(p, n) * exp(-t * 0.02);
        }
    }
    float fog = 1.0 - exp(-t * 0.025);
    c = mix(c, haze(rd), fog);
    return c + glow;
}

void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 uv = fragCoord / iResolution.xy;
    vec2 p = (fragCoord - 0.5 * iResolution.xy) / iResolution.y;
    float t = iTime;
    float sway = sin(t * 0.35);
    vec3 ro = vec3(1.6 * sway, 1.3 + 0.2 * sin(t * 0.5), t * speed);
    float roll = -0.05 * cos(t * 0.35);
    vec2 r = vec2(p.x * cos(roll) - p.y * sin(roll), p.x * sin(roll) + p.y * cos(roll));
    vec3 rd = normalize(vec3(r, 1.25));

    float ground = rd.y < 0.0 ? -ro.y / rd.y : far;
    vec3 glow;
    float gate;
    float hit = march(ro, rd, min(ground, far), 48, glow, gate);
    vec3 c;
    if (hit < ground - 0.01 || ground >= far) {
        c = shade(ro, rd, hit, gate, glow, hit < far);
    } else {
        // The wet road: its own paint and what it mirrors, rippled a little.
        vec3 at = ro + ground * rd;
        vec3 n = normalize(vec3(0.006 * sin(at.z * 3.1 + at.x), 1.0, 0.006 * sin(at.x * 2.3)));
        vec3 mirrored = reflect(rd, n);
        vec3 glow2;
        float gate2;
        // Only the glow of the gates and the sky: a soft mirror, as wet asphalt gives.
        march(at, mirrored, far, 16, glow2, gate2);
        vec3 reflection = sky(mirrored) + glow2;
        float fresnel = 0.35 + 0.65 * pow(1.0 - max(-rd.y, 0.0), 5.0);
        c = road(at) + reflection * fresnel * 0.8;
        float fog = 1.0 - exp(-ground * 0.025);
        c = mix(c, haze(rd), fog) + glow;
    }
    c += texture(iChannel1, uv).rgb * 0.9;
    fragColor = vec4(c, 1.0);
}
