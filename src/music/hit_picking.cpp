#include "music/hit_picking.hpp"

#include "music/band_energy.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace music {

namespace {

// The bands every detection looks at; the user's band, when asked for, comes last.
enum band_index : std::size_t { kick_low, snare_body, low_medium, snare_noise, hat_high, full, user };

std::vector<band> bands_for(const detect_spec& spec, int rate) {
    const double nyquist = 0.5 * rate;
    const double hat_low = std::min(8000.0, 0.6 * nyquist);
    std::vector<band> bands{{30.0, 110.0, 4},     {140.0, 300.0, 4},   {30.0, 400.0, 2},
                            {800.0, 3500.0, 1}, {hat_low, 16000.0, 1}, {0.0, nyquist, 1}};
    if (spec.what == instrument::band) bands.push_back({spec.low_hz, spec.high_hz, spec.high_hz <= 400.0 ? 2 : 1});
    return bands;
}

struct candidate {
    std::size_t frame;
    double strength;
};

// Each frame's energy above the least of the `lookback` frames before it.
std::vector<double> rises(const std::vector<double>& e, std::size_t lookback) {
    std::vector<double> r(e.size(), 0.0);
    for (std::size_t n = 1; n < e.size(); ++n) {
        double least = e[n - 1];
        for (std::size_t k = 2; k <= lookback && k <= n; ++k) least = std::min(least, e[n - k]);
        r[n] = std::max(0.0, e[n] - least);
    }
    return r;
}

// Frames whose rise is the largest within `radius` frames either side (the first of equals).
std::vector<candidate> peaks(const std::vector<double>& r, std::size_t radius) {
    std::vector<candidate> out;
    for (std::size_t n = 0; n < r.size(); ++n) {
        if (r[n] <= 0.0) continue;
        bool top = true;
        const std::size_t from = n > radius ? n - radius : 0;
        const std::size_t to = std::min(r.size(), n + radius + 1);
        for (std::size_t k = from; k < to && top; ++k) top = k < n ? r[k] < r[n] : (k == n || r[k] <= r[n]);
        if (top) out.push_back({n, r[n]});
    }
    return out;
}

double quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0.0;
    const auto k = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

double mean_over(const std::vector<double>& e, std::size_t from, std::size_t to) {
    to = std::min(to, e.size());
    if (from >= to) return 0.0;
    double sum = 0.0;
    for (std::size_t n = from; n < to; ++n) sum += e[n];
    return sum / static_cast<double>(to - from);
}

double max_over(const std::vector<double>& e, std::size_t from, std::size_t to) {
    to = std::min(to, e.size());
    double m = 0.0;
    for (std::size_t n = from; n < to; ++n) m = std::max(m, e[n]);
    return m;
}

double min_over(const std::vector<double>& e, std::size_t from, std::size_t to) {
    to = std::min(to, e.size());
    double m = from < to ? e[from] : 0.0;
    for (std::size_t n = from; n < to; ++n) m = std::min(m, e[n]);
    return m;
}

double db(double ratio) { return 10.0 * std::log10(std::max(ratio, 1e-30)); }

// Three-frame moving average: noise bands fluctuate from frame to frame.
std::vector<double> smoothed(const std::vector<double>& e) {
    std::vector<double> s(e.size());
    for (std::size_t n = 0; n < e.size(); ++n) {
        const double prev = n > 0 ? e[n - 1] : e[n];
        const double next = n + 1 < e.size() ? e[n + 1] : e[n];
        s[n] = (prev + e[n] + next) / 3.0;
    }
    return s;
}

} // namespace

std::vector<double> find_hits(const std::vector<float>& mono, int rate, const detect_spec& spec) {
    const std::vector<band> bands = bands_for(spec, rate);
    const band_energies be = measure_bands(mono, rate, bands);
    const auto frames_of = [&](double seconds) {
        return static_cast<std::size_t>(std::max(1.0, std::round(seconds * rate / be.hop)));
    };
    std::size_t primary = full;
    std::size_t timing = full;
    switch (spec.what) {
    case instrument::kick: primary = low_medium; timing = low_medium; break;
    case instrument::snare: primary = snare_noise; timing = snare_noise; break;
    case instrument::hat: primary = hat_high; timing = hat_high; break;
    case instrument::onsets: primary = full; timing = full; break;
    case instrument::band: primary = user; timing = user; break;
    }
    std::vector<std::vector<double>> smooth;
    for (const auto& e : be.energy) smooth.push_back(smoothed(e));
    const double scale = bands[primary].window_scale;
    const double timing_window = bands[timing].window_scale * be.short_window / static_cast<double>(rate);
    const std::vector<double>& e = smooth[primary];
    const std::vector<double> r = rises(e, frames_of(0.008 * scale));
    const std::vector<candidate> cands = peaks(r, frames_of(0.03));

    static const bool debug = std::getenv("MUSIC_DEBUG") != nullptr;
    if (std::getenv("MUSIC_TRACE")) {
        const double from = std::atof(std::getenv("MUSIC_TRACE"));
        for (std::size_t n = 0; n < be.frames(); ++n) {
            if (be.end_time(n) < from || be.end_time(n) > from + 0.15) continue;
            std::fprintf(stderr, "T %.4f", be.end_time(n));
            for (std::size_t b = 0; b < 6; ++b) std::fprintf(stderr, "\t%.1f", db(be.energy[b][n]));
            std::fprintf(stderr, "\t%.1f\n", db(r[n]));
        }
    }
    std::vector<double> strengths;
    for (const candidate& c : cands) strengths.push_back(c.strength);
    const double global_ref = quantile(strengths, 0.95);

    std::vector<double> starts;
    for (std::size_t i = 0; i < cands.size(); ++i) {
        const candidate& c = cands[i];
        const std::size_t n = c.frame;
        // The attack: the steepest rise of the timing band shortly before the candidate.
        const std::vector<double>& x = smooth[timing];
        const std::size_t back = frames_of(0.015 * scale);
        std::size_t attack = n;
        double steepest = -1.0;
        for (std::size_t k = n > back ? n - back : 2; k <= n + frames_of(0.004) && k < x.size(); ++k) {
            const double d = x[k] - x[k - 2];
            if (d > steepest) {
                steepest = d;
                attack = k;
            }
        }
        const std::size_t before = attack > frames_of(0.02) ? attack - frames_of(0.02) : 0;
        const std::size_t shortly = frames_of(0.02);
        double local_ref = 0.0;
        for (std::size_t j = i; j-- > 0 && be.end_time(cands[j].frame) > be.end_time(n) - 2.0;) local_ref = std::max(local_ref, cands[j].strength);
        for (std::size_t j = i + 1; j < cands.size() && be.end_time(cands[j].frame) < be.end_time(n) + 2.0; ++j) local_ref = std::max(local_ref, cands[j].strength);
        // Features at the attack: how much each band rose, and how the primary band decays.
        double feat[6];
        for (std::size_t b = 0; b < 6; ++b) {
            const auto& y = smooth[b];
            const bool long_band = b == kick_low || b == snare_body;
            feat[b] = max_over(y, attack, attack + (long_band ? frames_of(0.06) : shortly)) - min_over(y, before, attack);
        }
        const double peak_e = max_over(e, attack, attack + shortly);
        const double tail = mean_over(e, attack + frames_of(0.03), attack + frames_of(0.05));
        const double base = min_over(e, before, attack);
        const double t = be.end_time(attack) - 0.5 * timing_window;
        // How concentrated the primary band's rise is in single bins (tones) around the attack.
        double conc = 0.0;
        if (bands[primary].window_scale == 1) {
            double fsum = 0.0, fpeak = 0.0;
            for (std::size_t k = attack; k < attack + frames_of(0.01) && k < be.frames(); ++k) {
                fsum += be.flux[primary][k];
                fpeak = std::max(fpeak, be.flux_peak[primary][k]);
            }
            conc = fpeak / std::max(fsum, 1e-30);
        }
        if (debug) {
            std::fprintf(stderr, "C\t%.4f\t%.2f\t%.2f\t%.2f\t%.2f", t, db(c.strength / global_ref), db(c.strength / std::max(local_ref, c.strength)),
                         db(peak_e / base), db(tail / peak_e));
            std::fprintf(stderr, "\t%.2f", db(conc));
            for (double f : feat) std::fprintf(stderr, "\t%.2f", db(f / feat[primary < 6 ? primary : full]));
            std::fprintf(stderr, "\n");
        }
        if (c.strength < global_ref * 0.05) continue;
        starts.push_back(t);
    }
    (void)spec.sensitivity;
    return starts;
}

} // namespace music
