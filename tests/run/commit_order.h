// What the tests of the order of flushes and renames share on both systems:
// the events that the wrapped system calls record, the failures that a test
// makes them inject, a log whose lines are events too, and the fixture. Each
// system's test file wraps its own calls around these and defines
// ForgetSystemFailures.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/in_out_error.h"
#include "platform/path.h"
#include "run/replacement_pass.h"
#include "tests/support/files.h"
#include "tests/support/recording_log.h"

namespace ravo::testing {

// What the wrapped calls did, while a test records.
inline std::vector<std::string> events;
inline bool recording = false;

inline void Record(const std::string& event)
{
    if (recording)
        events.push_back(event);
}

// How an injected failure fails. Each system's wrappers give its own code for
// it, and the program makes the same code of either: 1117 and 112.
enum class Fault { Io, DiskFull };

// The `countdown`-th call (from 1) of the kind on the file named `name`
// fails with `fault`, and so does every later one.
struct Failure {
    std::string name;
    int countdown = 0;
    Fault fault = Fault::Io;

    // True when this call, on the file that `nameOf()` names, is to fail;
    // the name is asked only while a failure waits.
    template <typename NameOf>
    bool Now(NameOf nameOf)
    {
        if (countdown == 0 || nameOf() != name || --countdown > 0)
            return false;
        countdown = 1;
        return true;
    }
};
inline Failure failingRead;
inline Failure failingWrite;
// Giving the temporary file what decides who may use the listed file.
inline Failure failingTakeOver;

// Forgets the failures that only one system's wrappers inject.
void ForgetSystemFailures();

// Each line is an event too, by the last name it holds.
class EventLog : public RecordingLog {
public:
    void AppendLine(const std::string& line) override
    {
        RecordingLog::AppendLine(line);
        Record("log " + std::string(platform::FileName(line)));
    }
};

class CommitOrderTest : public ::testing::Test {
protected:
    using Lines = std::vector<std::string>;

    void TearDown() override
    {
        recording = false;
        failingRead = failingWrite = failingTakeOver = {};
        ForgetSystemFailures();
        events.clear();
        PendingIoResult = 0;
    }

    Lines Files(int count)
    {
        Lines paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(folder_ / ("f" + std::to_string(i) + ".txt"));
            WriteBytes(paths.back(), "foo\n");
        }
        return paths;
    }

    void Pass(const Lines& paths)
    {
        events.clear();
        recording = true;
        ReplaceInListedFiles(paths, "foo", "bar", log_, progress_);
        recording = false;
    }

    TempFolder folder_;
    EventLog log_;
    NoProgress progress_;
};

} // namespace ravo::testing
