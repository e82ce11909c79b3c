#version 330 core
// Model pass of the cloister in mist: the courtyard's maps lit by two point lights and the ambient term
// (as shaders/cube.frag) and flashed by the drum pulse, then a ground mist that thins with height, a warm
// grade, the desaturation and the fade. The mist's colour is the grey the window is cleared to, so far
// walls melt into the sky.

in vec3 view_position;
in vec3 view_normal;
in vec2 uv;
in float world_height;
flat in float eye_height;

uniform sampler2D diffuse_map;
uniform sampler2D specular_map;
uniform sampler2D normal_map;

uniform vec3 global_diffuse;
uniform vec3 global_specular;
uniform float global_glossiness;

uniform vec3 light1_position;
uniform vec3 light2_position;
uniform vec3 light1_intensity;
uniform vec3 light2_intensity;
uniform vec3 ambient_light;

uniform float desaturate_multiplier; // 0: full colour, 50 and above: grey
uniform float fade_to_black_multiplier; // 1: unchanged, 0: black
uniform int use_textures;

// The piece's own parameters, fed by its curves.
uniform float mist_density; // extinction per unit of distance at the paving
uniform float mist_height;  // the height over which the mist thins to a third
uniform vec3 mist_color;
uniform float warmth;       // 0: as lit; 1: amber lights, blue shadows
uniform float pulse;        // 0 to 1: the flash of a drum hit on what the lamps light

out vec4 fragment_color;

mat3 cotangent_frame(vec3 normal, vec3 position, vec2 texcoord) {
    vec3 dp1 = dFdx(position);
    vec3 dp2 = dFdy(position);
    vec2 duv1 = dFdx(texcoord);
    vec2 duv2 = dFdy(texcoord);
    vec3 dp2perp = cross(dp2, normal);
    vec3 dp1perp = cross(normal, dp1);
    vec3 tangent = dp2perp * duv1.x + dp1perp * duv2.x;
    vec3 bitangent = dp2perp * duv1.y + dp1perp * duv2.y;
    float scale = inversesqrt(max(max(dot(tangent, tangent), dot(bitangent, bitangent)), 1e-20));
    return mat3(tangent * scale, bitangent * scale, normal);
}

vec3 point_light(vec3 light_position, vec3 intensity, vec3 normal, vec3 to_eye, vec3 albedo, vec3 specular) {
    vec3 to_light = light_position - view_position;
    float distance = length(to_light);
    vec3 l = to_light / max(distance, 1e-4);
    float attenuation = 1.0 / (1.0 + 0.25 * distance + 0.12 * distance * distance);
    float lambert = max(dot(normal, l), 0.0);
    vec3 h = normalize(l + to_eye);
    float shininess = max(global_glossiness, 1.0);
    float highlight = lambert > 0.0 ? pow(max(dot(normal, h), 0.0), shininess) : 0.0;
    return intensity * attenuation * (albedo * lambert + specular * highlight);
}

// How much of the surface the mist hides: the density falls as exp(-y / height), integrated along the
// straight line from the eye.
float mist_amount() {
    float k = 1.0 / max(mist_height, 0.01);
    float distance = length(view_position);
    float rise = world_height - eye_height;
    float mean = abs(rise) * k < 1e-3
                     ? exp(-k * eye_height)
                     : (exp(-k * eye_height) - exp(-k * world_height)) / (k * rise);
    return 1.0 - exp(-max(mist_density, 0.0) * distance * mean);
}

void main() {
    vec3 normal = normalize(view_normal);
    vec3 albedo = global_diffuse;
    vec3 specular = global_specular;
    if (use_textures != 0) {
        albedo *= texture(diffuse_map, uv).rgb;
        specular *= texture(specular_map, uv).rgb;
        vec3 mapped = texture(normal_map, uv).rgb * 2.0 - 1.0;
        mat3 frame = cotangent_frame(normal, view_position, uv);
        normal = normalize(frame * vec3(mapped.x, -mapped.y, mapped.z));
    }
    if (!gl_FrontFacing) normal = -normal;

    vec3 to_eye = normalize(-view_position);
    vec3 ambient = ambient_light * albedo;
    vec3 lit = point_light(light1_position, light1_intensity, normal, to_eye, albedo, specular) +
               point_light(light2_position, light2_intensity, normal, to_eye, albedo, specular);

    // The grade: what the lamps light leans to amber, what only the sky lights leans to blue.
    float w = clamp(warmth, 0.0, 1.0);
    vec3 color = ambient * mix(vec3(1.0), vec3(0.75, 0.85, 1.15), w) +
                 lit * mix(vec3(1.0), vec3(1.25, 0.95, 0.65), w) * (1.0 + 0.6 * clamp(pulse, 0.0, 1.0));

    float grey = dot(color, vec3(0.2126, 0.7152, 0.0722));
    color = mix(color, vec3(grey), clamp(desaturate_multiplier / 50.0, 0.0, 1.0));
    color = mix(color, mist_color, mist_amount());
    fragment_color = vec4(color * clamp(fade_to_black_multiplier, 0.0, 1.0), 1.0);
}
