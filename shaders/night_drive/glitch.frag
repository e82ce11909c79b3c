// night_drive: a post pass over the courtyard's groove. It turns the courtyard's dusk into moonlight
// (the greys to a dark blue, what the lamps light kept warm); on each kick the colours split sideways,
// and on each snare bands of rows slip, both dying away with the curves that follow the drums.
//   iChannel0  the picture so far ("frame")
//   kick_glow, snare_glow  curves of the piece: 1 on a hit, falling back to 0
//   moonlight  a curve: how far to night, 0 to 1

uniform float kick_glow;
uniform float snare_glow;
uniform float moonlight;

float hash(float n) { return fract(sin(n * 43.758) * 24634.6345); }

void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 uv = fragCoord / iResolution.xy;
    // Bands of rows, chosen anew 20 times a second, slip by up to 3 % of the width.
    float band = floor(uv.y * 18.0) + floor(iTime * 20.0) * 18.0;
    float slip = (hash(band) - 0.5) * 0.06 * step(0.7, hash(band + 0.5)) * snare_glow * snare_glow;
    vec2 at = uv + vec2(slip, 0.0);
    vec2 split = vec2(0.008 * kick_glow * kick_glow, 0.0);
    vec3 colour = vec3(texture(iChannel0, at + split).r, texture(iChannel0, at).g, texture(iChannel0, at - split).b);
    float luma = dot(colour, vec3(0.2126, 0.7152, 0.0722));
    vec3 night = mix(vec3(0.3, 0.42, 0.95) * luma * 1.6, colour * vec3(1.15, 0.95, 0.75), smoothstep(0.3, 0.85, luma));
    fragColor = vec4(mix(colour, night, moonlight), 1.0);
}
