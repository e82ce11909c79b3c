#include "demo_capture/progress_bar.hpp"

#include <cstdio>
#include <string>

namespace capture {

namespace {

constexpr int bar_width = 30;

std::string minutes_seconds(double seconds) {
    const auto whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

} // namespace

progress_bar::progress_bar(std::ostream& stream, std::int64_t frames, style how_shown)
    : out(stream)
    , total(frames)
    , how(how_shown)
    , start(std::chrono::steady_clock::now())
    , last_draw(start) {}

progress_bar::~progress_bar() {
    if (drawn && !finished) out << '\n' << std::flush;
}

void progress_bar::update(std::int64_t done) {
    last_done = done;
    if (how == style::lines) {
        write_line(done);
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (done < total && drawn && now - last_draw < std::chrono::milliseconds(100)) return;
    draw(done);
}

void progress_bar::finish() {
    if (how == style::lines) {
        finished = true;
        return;
    }
    draw(last_done);
    out << '\n' << std::flush;
    finished = true;
}

double progress_bar::rate(std::int64_t done) const {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0;
}

std::string progress_bar::time_left(std::int64_t done) const {
    const double fps = rate(done);
    return fps > 0.0 ? minutes_seconds(static_cast<double>(total - done) / fps) : "-:--";
}

void progress_bar::draw(std::int64_t done) {
    last_draw = std::chrono::steady_clock::now();
    drawn = true;
    const int filled = total > 0 ? static_cast<int>(bar_width * done / total) : bar_width;
    char text[160];
    std::snprintf(text, sizeof text, "\r[%s%s] %lld/%lld frames  %5.1f fps  %s left ",
                  std::string(static_cast<std::size_t>(filled), '#').c_str(),
                  std::string(static_cast<std::size_t>(bar_width - filled), '.').c_str(),
                  static_cast<long long>(done), static_cast<long long>(total), rate(done),
                  time_left(done).c_str());
    out << text << std::flush;
}

void progress_bar::write_line(std::int64_t done) {
    const std::int64_t tenths = total > 0 ? 10 * done / total : 10;
    if (tenths <= tenths_written) return;
    tenths_written = tenths;
    char text[160];
    std::snprintf(text, sizeof text, "%lld/%lld frames (%lld %%)  %.1f fps  %s left\n",
                  static_cast<long long>(done), static_cast<long long>(total),
                  static_cast<long long>(10 * tenths), rate(done), time_left(done).c_str());
    out << text << std::flush;
}

} // namespace capture
