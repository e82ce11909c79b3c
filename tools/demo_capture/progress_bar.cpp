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

progress_bar::progress_bar(std::ostream& stream, std::int64_t frames)
    : out(stream)
    , total(frames)
    , start(std::chrono::steady_clock::now())
    , last_draw(start) {}

progress_bar::~progress_bar() {
    if (drawn && !finished) out << '\n' << std::flush;
}

void progress_bar::update(std::int64_t done) {
    last_done = done;
    const auto now = std::chrono::steady_clock::now();
    if (done < total && drawn && now - last_draw < std::chrono::milliseconds(100)) return;
    draw(done);
}

void progress_bar::finish() {
    draw(last_done);
    out << '\n' << std::flush;
    finished = true;
}

void progress_bar::draw(std::int64_t done) {
    const auto now = std::chrono::steady_clock::now();
    last_draw = now;
    drawn = true;
    const double elapsed = std::chrono::duration<double>(now - start).count();
    const double rate = elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0;
    const int filled = total > 0 ? static_cast<int>(bar_width * done / total) : bar_width;
    char text[160];
    std::snprintf(text, sizeof text, "\r[%s%s] %lld/%lld frames  %5.1f fps  %s left ",
                  std::string(static_cast<std::size_t>(filled), '#').c_str(),
                  std::string(static_cast<std::size_t>(bar_width - filled), '.').c_str(),
                  static_cast<long long>(done), static_cast<long long>(total), rate,
                  rate > 0.0 ? minutes_seconds(static_cast<double>(total - done) / rate).c_str() : "-:--");
    out << text << std::flush;
}

} // namespace capture
