#pragma once

#include <list>
#include <string>

class monitor;

// The start-up report on the monitors: a count line, one line per record, and the primary monitor's
// name as the last line (left out when no primary record is known).
std::string monitor_report(const std::list<monitor>& monitors, const monitor* primary);
