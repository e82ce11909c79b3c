// A raymarched act of the usual cost of a full-screen demo scene, for bench_fullscreen_pass: a sphere
// hovering over a rounded box on a chequered floor, seen by a camera circling them. Per pixel: up to 64
// sphere-tracing steps, a normal from four more distance evaluations, a 24-step soft shadow, five
// ambient-occlusion samples, fog and a sky. iChannel0 is the music: the bass swells the sphere.

float bass = 0.0;

float rounded_box(vec3 p, vec3 half_size, float radius) {
    vec3 q = abs(p) - half_size;
    return length(max(q, 0.0)) + min(max(q.x, max(q.y, q.z)), 0.0) - radius;
}

// The distance to the nearest surface in x, its material in y: 0 the floor, 1 the box, 2 the sphere.
vec2 scene(vec3 p) {
    vec2 nearest = vec2(p.y, 0.0);
    float box = rounded_box(p - vec3(0.0, 0.45, 0.0), vec3(0.65, 0.35, 0.65), 0.1);
    if (box < nearest.x) nearest = vec2(box, 1.0);
    float sphere = length(p - vec3(0.0, 1.55 + 0.15 * sin(2.0 * iTime), 0.0)) - 0.55 - 0.2 * bass;
    if (sphere < nearest.x) nearest = vec2(sphere, 2.0);
    return nearest;
}

// Distance along the ray and material of the first hit; material -1 when the ray leaves the scene.
vec2 march(vec3 origin, vec3 ray) {
    float t = 0.02;
    for (int i = 0; i < 64; ++i) {
        vec2 h = scene(origin + t * ray);
        if (h.x < 0.0005 * t) return vec2(t, h.y);
        t += h.x;
        if (t > 40.0) break;
    }
    return vec2(t, -1.0);
}

vec3 normal_at(vec3 p) {
    const vec2 k = vec2(1.0, -1.0);
    const float e = 0.0007;
    return normalize(k.xyy * scene(p + k.xyy * e).x + k.yyx * scene(p + k.yyx * e).x +
                     k.yxy * scene(p + k.yxy * e).x + k.xxx * scene(p + k.xxx * e).x);
}

// How much of the light reaches p: the nearest miss along the ray to the light, relative to the distance.
float soft_shadow(vec3 p, vec3 to_light) {
    float lit = 1.0;
    float t = 0.03;
    for (int i = 0; i < 24; ++i) {
        float d = scene(p + t * to_light).x;
        lit = min(lit, 10.0 * d / t);
        t += clamp(d, 0.02, 0.4);
        if (lit < 0.002 || t > 8.0) break;
    }
    return clamp(lit, 0.0, 1.0);
}

float occlusion(vec3 p, vec3 n) {
    float hidden = 0.0;
    float weight = 1.0;
    for (int i = 1; i <= 5; ++i) {
        float along = 0.03 + 0.09 * float(i);
        hidden += weight * (along - scene(p + along * n).x);
        weight *= 0.7;
    }
    return clamp(1.0 - 2.5 * hidden, 0.0, 1.0);
}

vec3 sky(vec3 ray) {
    return mix(vec3(0.55, 0.62, 0.75), vec3(0.16, 0.25, 0.5), clamp(ray.y * 2.0, 0.0, 1.0));
}

void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    bass = texture(iChannel0, vec2(0.02, 0.25)).x;
    vec2 p = (2.0 * fragCoord - iResolution.xy) / iResolution.y;

    float angle = 0.3 * iTime;
    vec3 eye = vec3(4.5 * sin(angle), 2.2, 4.5 * cos(angle));
    vec3 forward = normalize(vec3(0.0, 0.8, 0.0) - eye);
    vec3 right = normalize(cross(forward, vec3(0.0, 1.0, 0.0)));
    vec3 up = cross(right, forward);
    vec3 ray = normalize(p.x * right + p.y * up + 1.8 * forward);

    vec3 colour = sky(ray);
    vec2 hit = march(eye, ray);
    if (hit.y >= 0.0) {
        vec3 at = eye + hit.x * ray;
        vec3 n = normal_at(at);
        vec3 albedo = vec3(0.9, 0.35, 0.2);
        if (hit.y < 0.5) {
            float chequer = mod(floor(at.x) + floor(at.z), 2.0);
            albedo = mix(vec3(0.25), vec3(0.6), chequer);
        } else if (hit.y < 1.5) {
            albedo = vec3(0.3, 0.45, 0.65);
        }
        vec3 to_light = normalize(vec3(0.6, 0.8, -0.4));
        float diffuse = max(dot(n, to_light), 0.0) * soft_shadow(at + 0.002 * n, to_light);
        float ambient = occlusion(at, n) * (0.5 + 0.5 * n.y);
        float specular = pow(max(dot(reflect(ray, n), to_light), 0.0), 32.0) * diffuse;
        colour = albedo * (1.6 * diffuse * vec3(1.0, 0.95, 0.85) + 0.35 * ambient * vec3(0.6, 0.7, 1.0)) +
                 0.4 * specular;
        colour = mix(colour, sky(ray), 1.0 - exp(-0.004 * hit.x * hit.x));
    }
    fragColor = vec4(pow(colour, vec3(0.4545)), 1.0);
}
