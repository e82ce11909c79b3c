// Formats records with arbitrary times, levels and message bytes through ostream_logger::write. Besides
// memory and UB errors it checks the shape of the output (prefix, time, tag, one line per non-empty
// piece, continuation lines indented by the prefix length), that the target stream's settings come
// back, and that the shared prefix stream gives the same text for the same record every time.

#include "logger/ostream_logger.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> pieces_of(const std::string& message) {
    std::vector<std::string> pieces;
    std::size_t begin = 0;
    while (begin <= message.size()) {
        std::size_t end = message.find('\n', begin);
        if (end == std::string::npos) end = message.size();
        if (end > begin) pieces.push_back(message.substr(begin, end - begin));
        begin = end + 1;
    }
    return pieces;
}

std::string format(const logger::log_record& record) {
    std::ostringstream out;
    out << std::scientific << std::setprecision(3) << std::left;
    out.width(9);
    const auto flags = out.flags();
    logger::ostream_logger writer(out, logger::level::debug);
    writer.write(record);
    if (out.flags() != flags || out.precision() != 3 || out.width() != 9) std::abort();
    return out.str();
}

void check_time(const std::string& field, double time) {
    // Right-aligned in at least twelve characters.
    const std::string text = field.substr(field.find_first_not_of(' '));
    if (field.size() < 12 || (field.size() > 12 && text.size() != field.size())) std::abort();
    if (std::isnan(time)) {
        if (text.find("nan") == std::string::npos) std::abort();
    } else if (std::isinf(time)) {
        if (text != (time > 0 ? "inf" : "-inf")) std::abort();
    } else {
        // Fixed notation with six decimals.
        const std::size_t dot = text.find('.');
        if (dot == std::string::npos || text.size() - dot - 1 != 6) std::abort();
        const double read_back = std::strtod(text.c_str(), nullptr);
        if (std::abs(read_back - time) > 5.000001e-7 + std::abs(time) * 1e-15) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double time = 0.0;
    std::int32_t level = 0;
    if (size < sizeof time + sizeof level) return 0;
    std::memcpy(&time, data, sizeof time);
    std::memcpy(&level, data + sizeof time, sizeof level);
    const std::size_t head = sizeof time + sizeof level;
    const logger::log_record record{time, static_cast<logger::level>(level),
                                    std::string(reinterpret_cast<const char*>(data) + head, size - head)};

    const std::string out = format(record);
    if (format(record) != out) std::abort();

    // "[" time "] " tag ": " first piece, then "\n" indent piece for every further piece, then "\n".
    if (out.empty() || out.front() != '[' || out.back() != '\n') std::abort();
    const std::size_t close = out.find("] ");
    if (close == std::string::npos) std::abort();
    check_time(std::string(out, 1, close - 1), time);
    const std::string tag = logger::level_to_padded_string(record.level);
    const std::string prefix = out.substr(0, close + 2) + tag + ": ";
    if (out.compare(0, prefix.size(), prefix) != 0) std::abort();
    if (level >= 0 && level <= 4 ? tag.size() != 8 : !tag.empty()) std::abort();

    std::string expected = prefix;
    const std::vector<std::string> pieces = pieces_of(record.message);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) expected += "\n" + std::string(prefix.size(), ' ');
        expected += pieces[i];
    }
    expected += "\n";
    if (out != expected) std::abort();
    return 0;
}
