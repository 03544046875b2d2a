// An operation log that keeps every line it is given, for tests of a run.
#pragma once

#include <string>
#include <vector>

#include "run/run_log.h"

namespace ravo::testing {

class RecordingLog : public OperationLog {
public:
    void AppendLine(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

} // namespace ravo::testing
