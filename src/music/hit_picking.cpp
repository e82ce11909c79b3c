#include "music/hit_picking.hpp"

#include "music/band_energy.hpp"
#include "music/full_band_onsets.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace music {

namespace {

// The bands every detection looks at; the users' bands follow. The first six are the ones whose rises
// the rules compare; `below_hats` (from the snare's noise up to an octave under the hat band) and
// `hat_top` (the hat band's upper half, on a log scale) tell a hat from a snare's own high noise.
enum band_index : std::size_t { kick_low, snare_body, low_medium, snare_noise, hat_high, full, below_hats, hat_top, first_user };
constexpr std::size_t compared_bands = 6;

std::vector<band> bands_for(const std::vector<detect_spec>& specs, int rate) {
    const double nyquist = 0.5 * rate;
    // The hat band follows the Nyquist frequency down at low rates (6.6 to 11 kHz at 22.05 kHz).
    const double hat_low = std::min(10000.0, 0.6 * nyquist);
    const double hat_top_low = std::sqrt(hat_low * std::min(18000.0, nyquist));
    std::vector<band> bands{{30.0, 110.0, 4},         {140.0, 300.0, 4},          {30.0, 400.0, 2},
                            {800.0, 3500.0, 1, true}, {hat_low, 18000.0, 1, true}, {0.0, nyquist, 1},
                            {800.0, hat_low / 2, 1},  {hat_top_low, 18000.0, 1}};
    for (const detect_spec& spec : specs) {
        if (spec.what == instrument::band) bands.push_back({spec.low_hz, spec.high_hz, spec.high_hz <= 400.0 ? 2 : 1});
    }
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

// Moving average over 2 * half + 1 frames (the ends repeated): noise bands fluctuate from frame to frame.
std::vector<double> smoothed(const std::vector<double>& e, std::size_t half = 1) {
    std::vector<double> s(e.size());
    const auto last = static_cast<std::ptrdiff_t>(e.size()) - 1;
    for (std::ptrdiff_t n = 0; n <= last; ++n) {
        double sum = 0.0;
        for (auto k = n - static_cast<std::ptrdiff_t>(half); k <= n + static_cast<std::ptrdiff_t>(half); ++k)
            sum += e[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(k, 0, last))];
        s[static_cast<std::size_t>(n)] = sum / static_cast<double>(2 * half + 1);
    }
    return s;
}

// What the rules look at, at one candidate's attack (levels in dB).
struct features {
    double time;      // seconds, the attack's start
    double strength;  // the primary band's rise
    double global;    // strength against the loud hits of the whole piece
    double local;     // strength against the loudest candidate within two seconds
    double rise;      // the primary band's peak over its level just before
    double tail;      // the primary band 30-50 ms after the attack against its peak
    double tonal;     // the largest single bin's share of the primary band's rise
    double ringing;   // the largest single bin's share of the primary band 25-45 ms after the attack
    double snare_tonal; // as `tonal`, in the snare band
    double kick;      // the kick band's rise against the primary band's
    double body;      // the snare body band's rise against the primary band's
    double snare;     // the snare band's rise against the primary band's
    double hat;       // the hat band's rise against the primary band's
    double afterglow; // the hat band 15-25 ms after the attack against its rise, both above the level before
    double top_excess; // hat_top against below_hats at the attack, above what the piece's snares give alone
};

constexpr double min_db = -300.0;

// The drums' rules, found by measuring candidates against known hits (bench/music_events.sh): each
// names what a false candidate of that track most often is. `shift` (dB) lowers the level thresholds
// as the sensitivity rises.
bool is_kick(const features& f, double shift) {
    return f.global >= -9.0 - shift && f.local >= -9.0 - shift && f.rise >= 5.0 &&
           f.kick >= -3.0 &&  // a bass note or snare body rises mostly above the kick band
           // The kick's pitch sweeps down through the body band at its start; a kick whose sweep starts lower
           // still rises far above what sounded before, where a bass note's harmonics rise a little.
           (f.body >= -9.0 || f.rise >= 7.5) &&
           f.snare <= -15.0 && f.hat <= -14.0; // a snare's or hat's noise
}

bool is_snare(const features& f, double shift) {
    return f.global >= -15.0 - shift && f.local >= -10.0 - shift && f.rise >= 2.0 &&
           // A pluck or a bass note's harmonics rise in a few bins and keep ringing as tones. A snare's own
           // noise can be narrow enough to look half as tonal, but the plucks and bass harmonics that do are
           // never among the piece's loud hits.
           (f.tonal <= -8.0 || (f.global >= -1.0 && f.tonal <= -7.0)) &&
           (f.ringing <= -6.0 || (f.global >= -2.0 && f.ringing <= -4.0)) &&
           // Snare noise reaches the hat band, unless the roll before it still fills the band: then a loud
           // rise of pure noise.
           (f.hat >= -18.0 || (f.global >= -2.0 && f.tonal <= -9.0 && f.ringing <= -7.0)) &&
           !(f.kick > 30.0 && f.tail < -5.0); // a kick's click dies at once
}

// What sounds like a hat, whatever its level.
bool sounds_like_hat(const features& f) {
    const bool kick = f.kick > 20.0;
    return !(kick && f.afterglow < -20.0) && // a kick's click: gone within 15 ms, a hat rings on
           // A snare's noise reaches the hat band too, and a hat struck with it adds only a little there; but
           // the snare's noise fades towards the top where the hat's does not, so a hat shows as more energy
           // at the top than the snare's own spectrum gives (measured after a kick's click). A pluck's tone
           // rising in the snare band is no snare.
           !(f.snare > -10.0 && f.snare_tonal < -9.0 && f.top_excess < (kick ? 2.5 : 1.5));
}

// `local` here is against the loudest hat-like candidate nearby: a bright snare can be far louder in the
// hat band than the hats around it.
bool is_hat(const features& f, double shift) {
    return f.global >= -20.0 - shift && f.local >= -9.0 - shift && f.rise >= 2.0 && sounds_like_hat(f);
}

bool is_onset(const features& f, double shift) {
    return f.global >= -15.0 - shift && f.local >= -12.0 - shift && f.rise >= 3.0;
}

} // namespace

analysis analyse(std::vector<float> mono, int rate, const std::vector<detect_spec>& specs) {
    analysis a;
    a.rate = rate;
    a.bands = bands_for(specs, rate);
    a.be = measure_bands(mono, rate, a.bands);
    for (const auto& e : a.be.energy) a.smooth.push_back(smoothed(e));
    // A low kick's fundamental (40-60 Hz) lasts about as long as the kick band's window, so the band's energy
    // swings with the fundamental's phase; averaged over 20 ms it rises once per kick, not twice.
    const auto half = static_cast<std::size_t>(std::lround(0.01 * rate / a.be.hop));
    a.kick_onset = a.smooth[low_medium];
    a.smooth[low_medium] = smoothed(a.be.energy[low_medium], std::max<std::size_t>(1, half));
    a.mono = std::move(mono);
    return a;
}

std::vector<double> find_hits(const analysis& a, const detect_spec& spec, std::size_t band_number) {
    const std::vector<float>& mono = a.mono;
    const int rate = a.rate;
    if (spec.what == instrument::onsets) {
        // aubio's detector as aubioonset runs it; the sensitivity scales its threshold (0.058 at 0.5) by
        // up to four times either way.
        std::vector<double> starts;
        for (const double t : full_band_onsets(mono, rate, 0.058 * std::exp2(4.0 * (0.5 - spec.sensitivity)))) {
            if (starts.empty() || t - starts.back() >= spec.min_gap) starts.push_back(t);
        }
        return starts;
    }
    const std::vector<band>& bands = a.bands;
    const band_energies& be = a.be;
    const std::vector<std::vector<double>>& smooth = a.smooth;
    const auto frames_of = [&](double seconds) {
        return static_cast<std::size_t>(std::max(1.0, std::round(seconds * rate / be.hop)));
    };
    std::size_t primary = full;
    bool (*keep)(const features&, double) = is_onset;
    switch (spec.what) {
    case instrument::kick: primary = low_medium; keep = is_kick; break;
    case instrument::snare: primary = snare_noise; keep = is_snare; break;
    case instrument::hat: primary = hat_high; keep = is_hat; break;
    case instrument::onsets: primary = full; break;
    case instrument::band: primary = first_user + band_number; break;
    }
    const double scale = bands[primary].window_scale;
    const double window = scale * be.short_window / static_cast<double>(rate);
    const std::vector<double>& e = smooth[primary];
    const std::vector<double> rise = rises(e, frames_of(0.008 * scale));
    const std::vector<candidate> cands = peaks(rise, frames_of(0.03));

    std::vector<double> strengths;
    for (const candidate& c : cands) strengths.push_back(c.strength);
    const double global_ref = quantile(strengths, 0.95);
    const double shift = 12.0 * (spec.sensitivity - 0.5);

    // How concentrated a band's rise is in single bins (tones) over the frames [from, to).
    const auto concentration = [&](std::size_t b, std::size_t from, std::size_t to) {
        double sum = 0.0, peak = 0.0;
        for (std::size_t k = from; k < to && k < be.frames(); ++k) {
            sum += be.flux[b][k];
            peak = std::max(peak, be.flux_peak[b][k]);
        }
        return db(peak / std::max(sum, 1e-30));
    };

    // hat_top against below_hats over the frames [from, to), in dB.
    const auto top_share = [&](std::size_t from, std::size_t to) {
        double top = 0.0, below = 0.0;
        for (std::size_t k = from; k < to && k < be.frames(); ++k) {
            top += smooth[hat_top][k];
            below += smooth[below_hats][k];
        }
        return db(top / std::max(below, 1e-30));
    };
    // What the piece's snares put into the top of the hat band by themselves: the median share 40-90 ms
    // into each snare found, when a hat struck with it has died away but the snare still sounds. Without
    // snares nothing in the hat band is taken for one.
    double snare_top_share = -std::numeric_limits<double>::infinity();
    if (spec.what == instrument::hat) {
        detect_spec snares;
        snares.what = instrument::snare;
        std::vector<double> shares;
        const double half_window = 0.5 * be.short_window / static_cast<double>(rate);
        for (const double t : find_hits(a, snares, 0)) {
            const double frame = std::round((t + half_window) * rate / be.hop) - 1.0;
            const auto n = static_cast<std::size_t>(std::max(0.0, frame));
            shares.push_back(top_share(n + frames_of(0.04), n + frames_of(0.09)));
        }
        if (!shares.empty()) snare_top_share = quantile(shares, 0.5);
    }

    std::vector<features> kept;
    for (std::size_t i = 0; i < cands.size(); ++i) {
        const std::size_t n = cands[i].frame;
        // The attack: the steepest rise shortly before the candidate.
        const std::size_t back = frames_of(0.015 * scale);
        std::size_t attack = n;
        double steepest = -1.0;
        for (std::size_t k = std::max<std::size_t>(n > back ? n - back : 0, 2); k <= n + frames_of(0.004) && k < e.size(); ++k) {
            if (e[k] - e[k - 2] > steepest) {
                steepest = e[k] - e[k - 2];
                attack = k;
            }
        }
        const std::size_t before = attack > frames_of(0.02) ? attack - frames_of(0.02) : 0;
        double local_ref = cands[i].strength;
        const double at = be.end_time(n);
        for (std::size_t j = i; j-- > 0 && be.end_time(cands[j].frame) > at - 2.0;) local_ref = std::max(local_ref, cands[j].strength);
        for (std::size_t j = i + 1; j < cands.size() && be.end_time(cands[j].frame) < at + 2.0; ++j) local_ref = std::max(local_ref, cands[j].strength);

        // Each band's rise at the attack; the long-window bands are given longer to show theirs.
        double band_rise[compared_bands];
        for (std::size_t b = 0; b < compared_bands; ++b) {
            const std::size_t reach = bands[b].window_scale == 4 ? frames_of(0.06) : frames_of(0.02);
            band_rise[b] = max_over(smooth[b], attack, attack + reach) - min_over(smooth[b], before, attack);
        }
        const double own_rise = primary < compared_bands ? band_rise[primary] : max_over(e, attack, attack + frames_of(0.02)) - min_over(e, before, attack);
        const auto against_own = [&](std::size_t b) { return band_rise[b] > 0.0 ? db(band_rise[b] / std::max(own_rise, 1e-30)) : min_db; };
        const double peak = max_over(e, attack, attack + frames_of(0.02));

        // A kick's time: the steepest rise of the three-frame mean near the attack, as sharp as the other bands'.
        std::size_t onset = attack;
        if (spec.what == instrument::kick) {
            const std::size_t reach = frames_of(0.01);
            double sharpest = -1.0;
            const std::vector<double>& o = a.kick_onset;
            for (std::size_t k = std::max<std::size_t>(attack > reach ? attack - reach : 0, 2); k <= attack + reach && k < o.size(); ++k) {
                if (o[k] - o[k - 2] > sharpest) {
                    sharpest = o[k] - o[k - 2];
                    onset = k;
                }
            }
        }
        features f{};
        f.time = be.end_time(onset) - 0.5 * window;
        f.strength = cands[i].strength;
        f.global = db(f.strength / std::max(global_ref, 1e-30));
        f.local = db(f.strength / local_ref);
        f.rise = db(peak / std::max(min_over(e, before, attack), 1e-30));
        f.tail = db(mean_over(e, attack + frames_of(0.03), attack + frames_of(0.05)) / std::max(peak, 1e-30));
        const bool short_primary = !be.flux[primary].empty();
        f.tonal = short_primary ? concentration(primary, attack, attack + frames_of(0.01)) : 0.0;
        f.snare_tonal = concentration(snare_noise, attack, attack + frames_of(0.01));
        f.ringing = 0.0;
        if (short_primary) {
            double sum = 0.0, top = 0.0;
            for (std::size_t k = attack + frames_of(0.025); k < attack + frames_of(0.045) && k < be.frames(); ++k) {
                sum += be.energy[primary][k];
                top += be.energy_peak[primary][k];
            }
            f.ringing = db(top / std::max(sum, 1e-30));
        }
        f.kick = against_own(kick_low);
        f.body = against_own(snare_body);
        f.snare = against_own(snare_noise);
        f.hat = against_own(hat_high);
        const double base = min_over(smooth[hat_high], before, attack);
        const double lift = max_over(smooth[hat_high], attack + 1, attack + frames_of(0.01)) - base;
        const double glow = mean_over(smooth[hat_high], attack + frames_of(0.015), attack + frames_of(0.025)) - base;
        f.afterglow = glow > 0.0 && lift > 0.0 ? db(glow / lift) : min_db;
        const bool after_click = f.kick > 20.0;
        f.top_excess = top_share(attack + (after_click ? frames_of(0.008) : 1), attack + frames_of(after_click ? 0.02 : 0.016)) -
                       snare_top_share;
        if (f.strength < global_ref * 1e-6) continue;
        kept.push_back(f);
    }
    std::sort(kept.begin(), kept.end(), [](const features& a, const features& b) { return a.time < b.time; });
    if (spec.what == instrument::hat) {
        std::vector<double> hat_like(kept.size(), 0.0);
        for (std::size_t i = 0; i < kept.size(); ++i) hat_like[i] = sounds_like_hat(kept[i]) ? kept[i].strength : 0.0;
        std::size_t first = 0;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            while (kept[first].time <= kept[i].time - 2.0) ++first;
            double local_ref = kept[i].strength;
            for (std::size_t j = first; j < kept.size() && kept[j].time < kept[i].time + 2.0; ++j) local_ref = std::max(local_ref, hat_like[j]);
            kept[i].local = db(kept[i].strength / local_ref);
        }
    }
    std::erase_if(kept, [&](const features& f) { return !keep(f, shift); });
    std::vector<double> starts;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        // An echo: a snare 5 dB under one kept within the 0.35 s before it, or 3 dB under it when it barely
        // rises over what still sounds (a second swell of the same snare's noise).
        if (spec.what == instrument::snare) {
            bool echo = false;
            for (std::size_t j = i; j-- > 0 && kept[j].time > kept[i].time - 0.35;) {
                const double under = kept[j].global - kept[i].global;
                echo = echo || (kept[j].time < kept[i].time - 0.05 && (under > 5.0 || (under > 3.0 && kept[i].rise < 3.0)));
            }
            if (echo) continue;
        }
        if (!starts.empty() && kept[i].time - starts.back() < spec.min_gap) continue;
        starts.push_back(std::max(0.0, kept[i].time));
    }
    return starts;
}

} // namespace music
