#include "core/monitor_report.hpp"

#include "platform/monitor.hpp"

#include <cstdint>
#include <sstream>

std::string monitor_report(const std::list<monitor>& monitors, const monitor* primary) {
    std::ostringstream text;
    text << "Platform has " << static_cast<std::uint64_t>(monitors.size()) << " monitors.\n";
    std::size_t index = 0;
    for (const monitor& record : monitors) {
        text << "Monitor #" << index++ << " '" << record.name << "' - size: " << record.physical_size.x
             << " x " << record.physical_size.y << " mm\n";
    }
    if (primary != nullptr) text << "Primary monitor: '" << primary->name << "'";
    return text.str();
}
