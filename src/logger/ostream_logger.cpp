#include "logger/ostream_logger.hpp"

#include "logger/number_text.hpp"

#include <iomanip>
#include <iterator>
#include <sstream>
#include <string_view>

namespace logger {
namespace {

// One prefix stream for every logger: only the log thread formats, under the manager's lock.
std::ostringstream prefix_stream;
bool prefix_configured = false;

void write_view(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace

void ostream_logger::write(const log_record& record) {
    std::ostream& out = *stream;
    const auto saved_flags = out.flags();
    const auto saved_precision = out.precision();
    const auto saved_width = out.width();

    if (!prefix_configured) {
        prefix_stream.precision(6);
        prefix_stream.flags(std::ios::fixed);
        prefix_configured = true;
    } else {
        prefix_stream.str(std::string());
        prefix_stream.clear();
    }
    // The time as "%.6f" prints it, which is what the stream's fixed notation with precision 6 gives, but
    // from to_chars (number_text::fixed): the stream's own route through vsnprintf costs several times more,
    // under the lock.
    char time_text[400];
    const char* const time_end = number_text::fixed(std::begin(time_text), std::end(time_text), record.time,
                                                    static_cast<int>(prefix_stream.precision()));
    prefix_stream << '[' << std::right << std::setw(12)
                  << std::string_view(time_text, static_cast<std::size_t>(time_end - time_text)) << "] "
                  << level_to_padded_string(record.level) << ": ";
#if defined(__EMSCRIPTEN__)
    // The browser's standard library has no view() yet.
    const std::string prefix_text = prefix_stream.str();
    const std::string_view prefix = prefix_text;
#else
    const std::string_view prefix = prefix_stream.view();
#endif
    write_view(out, prefix);

    std::string indent;
    const std::string_view message = record.message;
    bool first = true;
    std::size_t begin = 0;
    while (begin <= message.size()) {
        std::size_t end = message.find('\n', begin);
        if (end == std::string_view::npos) end = message.size();
        if (end > begin) {
            if (!first) {
                if (indent.empty()) indent.assign(prefix.size(), ' ');
                out.put('\n');
                write_view(out, indent);
            }
            write_view(out, message.substr(begin, end - begin));
            first = false;
        }
        begin = end + 1;
    }
    out.put('\n');
    out.flush();

    out.flags(saved_flags);
    out.precision(saved_precision);
    out.width(saved_width);
}

} // namespace logger
