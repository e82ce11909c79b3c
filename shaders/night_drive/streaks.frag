// night_drive: the light streaks, a buffer that feeds on itself. Each frame the last frame's picture is
// drawn a little larger about the vanishing point and a little darker, so whatever was lit rushes out
// towards the edges, leaving a trail; new lights are lit near the vanishing point, more of them and
// brighter the louder the bass is; every kick lights all four lanes at once.
//   iChannel0  this buffer's last frame
//   iChannel1  the music
//   kick       the kick track: 1 while a hit lasts (two frames), else 0

uniform float kick;

const vec2 vanishing = vec2(0.5, 0.5);

// The directions the lights run in: street lamps up right and up left, head and tail lights low
// right and left (at 0.5, pi - 0.5, -0.38 and pi + 0.38 radians).
const vec2 lanes[4] = vec2[4](vec2(0.87758, 0.47943), vec2(-0.87758, 0.47943), vec2(0.92866, -0.37092),
                              vec2(-0.92866, -0.37092));

float hash(float n) { return fract(sin(n * 91.3458) * 47453.5453); }

void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 uv = fragCoord / iResolution.xy;
    float aspect = iResolution.x / iResolution.y;
    float dt = iTimeDelta;

    // As in perspective, a light speeds up as it comes nearer: its distance r from the vanishing point
    // grows by 20 r^2 a second, from the middle to the edge in about a second. It runs along its lane,
    // keeping its width, so that it stays a thin streak.
    vec2 q = (uv - vanishing) * vec2(aspect, 1.0);
    float r = length(q);
    float grow = 1.0 + 20.0 * r * dt;
    int k = 0;
    for (int i = 1; i < 4; ++i)
        if (dot(q, lanes[i]) > dot(q, lanes[k])) k = i;
    vec2 lane = lanes[k];
    // Along its lane a light moves out by `grow`; across it, it keeps its place.
    vec2 from = vanishing + (q - dot(q, lane) * (1.0 - 1.0 / grow) * lane) / vec2(aspect, 1.0);
    vec3 last = texture(iChannel0, from).rgb * exp(-1.5 * dt);

    // A new light near the vanishing point, in this pixel's lane, now and then (the louder, the more often)
    // and in every lane on a kick. Street lamps up left and up right (amber), head and tail lights low
    // (white, red); the bass lights the low ones, the mids the lamps. (No branches: llvmpipe would run
    // both sides for every pixel.)
    float seed = float(iFrame) * 4.0 + float(k);
    float loud = texture(iChannel1, vec2(k < 2 ? 0.12 : 0.015, 0.25)).x;
    float lit = (hash(seed) <= 0.015 + 0.1 * loud || kick != 0.0) ? 1.0 : 0.0;
    vec2 at = 0.06 * lane;
    vec3 colour = k < 2 ? vec3(1.0, 0.55, 0.15) : (k == 3 ? vec3(1.0, 0.1, 0.15) : vec3(0.7, 0.85, 1.0));
    // Half a percent of the height, and never under a pixel: a smaller light would fall between pixels.
    float size = max(0.000025, 1.0 / (iResolution.y * iResolution.y));
    float d = length(q - at);
    vec3 lights = lit * colour * (1.5 + 3.0 * loud + 2.0 * kick) * exp(-d * d / size);

    fragColor = vec4(last + lights, 1.0);
}
