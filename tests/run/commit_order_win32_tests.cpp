// The run seen through its calls of the system on Windows: the order in which
// it makes its files durable. A batch's files are each flushed before the
// first takes its name, every rename is written through, and a file whose
// flush fails ends the run after the files before it. This program's imports
// of the calls are pointed at wrappers that record them and, where a test
// asks, fail: the program is linked statically, so each of its calls of the
// system goes through those imports.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

#include "run/run.h"
#include "tests/run/commit_order.h"

namespace {

using ravo::testing::Failure;
using ravo::testing::Fault;
using ravo::testing::Record;

// The flush of one file fails.
Failure failingFlush;

// Points the slots of this program's import address table that hold the
// system's function `name` at `wrapper`, and gives that function. The
// hint-name table beside the address table names its slots one for one. A
// program that imports no such function ends here: its tests would see none
// of the calls they count.
template <typename Function>
Function Redirect(const char* name, Function wrapper)
{
    auto* const base = reinterpret_cast<std::uint8_t*>(::GetModuleHandleA(nullptr));
    const auto* const headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    Function real = nullptr;
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0)
                continue;
            DWORD protection = 0;
            if (!::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection))
                break;
            real = reinterpret_cast<Function>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(wrapper);
            ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
        }
    }
    if (real == nullptr) {
        std::fprintf(stderr, "cannot redirect this program's import of %s\n", name);
        std::abort();
    }
    return real;
}

// The last name of the file open as `file`. A backup copy waits under a name
// of this process's own, which changes from run to run: it is "copy".
std::string NameOf(HANDLE file)
{
    char path[MAX_PATH];
    const DWORD size = ::GetFinalPathNameByHandleA(file, path, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (size == 0 || size >= MAX_PATH)
        return "?";
    const std::string name(ravo::platform::FileName(std::string_view(path, size)));
    return name.starts_with(".ravo-") ? "copy" : name;
}

// False, with the code of `failure`'s fault recorded, when it fails this
// call on `file`; otherwise what `call` gives.
template <typename Call>
BOOL FailOr(Failure& failure, HANDLE file, Call call)
{
    if (!failure.Now([file] { return NameOf(file); }))
        return call();
    ::SetLastError(failure.fault == Fault::Io ? ERROR_IO_DEVICE : ERROR_DISK_FULL);
    return FALSE;
}

decltype(&::FlushFileBuffers) realFlush;
decltype(&::MoveFileExA) realMove;
decltype(&::ReadFile) realRead;
decltype(&::WriteFile) realWrite;
decltype(&::SetFileInformationByHandle) realSetInformation;

BOOL WINAPI Flush(HANDLE file)
{
    Record("flush " + NameOf(file));
    return FailOr(failingFlush, file, [file] { return realFlush(file); });
}

// A rewrite replaces the listed file; a backup copy takes a name nobody has.
// Both renames are on the disk before the call returns.
std::string KindOfMove(DWORD flags)
{
    switch (flags) {
    case MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH: return "replace";
    case MOVEFILE_WRITE_THROUGH: return "place";
    default: return "move with flags " + std::to_string(flags);
    }
}

BOOL WINAPI Move(LPCSTR from, LPCSTR to, DWORD flags)
{
    Record(KindOfMove(flags) + " " + std::string(ravo::platform::FileName(to)));
    return realMove(from, to, flags);
}

BOOL WINAPI Read(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped)
{
    return FailOr(ravo::testing::failingRead, file,
                  [=] { return realRead(file, buffer, size, got, overlapped); });
}

BOOL WINAPI Write(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    return FailOr(ravo::testing::failingWrite, file,
                  [=] { return realWrite(file, data, size, written, overlapped); });
}

BOOL WINAPI SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information, DWORD size)
{
    return FailOr(ravo::testing::failingTakeOver, file,
                  [=] { return realSetInformation(file, kind, information, size); });
}

// Before any test runs.
[[maybe_unused]] const bool redirected = [] {
    realFlush = Redirect("FlushFileBuffers", &Flush);
    realMove = Redirect("MoveFileExA", &Move);
    realRead = Redirect("ReadFile", &Read);
    realWrite = Redirect("WriteFile", &Write);
    realSetInformation = Redirect("SetFileInformationByHandle", &SetInformation);
    return true;
}();

} // namespace

namespace ravo::testing {

void ForgetSystemFailures() { failingFlush = {}; }

} // namespace ravo::testing

namespace ravo {
namespace {

using testing::CommitOrderTest;
using testing::events;
using testing::ReadBytes;
using Lines = std::vector<std::string>;

struct OrderRow {
    const char* name;
    int files;
    // The files are copied into a backup folder first.
    bool backup;
    Failure flush;
    // What the wrapped calls and the log saw: a flush by the name of the file
    // flushed, a rename by the kind of rename and the name it gives.
    Lines events;
    // The code that ends the run, or 0.
    std::int32_t code;
};

void PrintTo(const OrderRow& row, std::ostream* out) { *out << row.name; }

const OrderRow kOrders[] = {
    // One flush per file, as the system flushes a whole volume only for its
    // administrators, all before the first rename.
    {"EachFileIsFlushedBeforeTheFirstTakesItsName",
     3,
     false,
     {},
     {"flush f0.txt.TMP", "flush f1.txt.TMP", "flush f2.txt.TMP", "replace f0.txt", "log f0.txt", "replace f1.txt",
      "log f1.txt", "replace f2.txt", "log f2.txt"},
     0},
    {"BackupsAreFlushedAndPlacedBeforeTheFirstPass",
     2,
     true,
     {},
     {"log zaloha", "flush copy", "flush copy", "place f0.txt", "log f0.txt", "place f1.txt", "log f1.txt",
      "flush f0.txt.TMP", "flush f1.txt.TMP", "replace f0.txt", "log f0.txt", "replace f1.txt", "log f1.txt"},
     0},
    // Each file is flushed again just before its rename, so the files
    // before the failing one are still put in place.
    {"AFileThatCannotBeFlushedEndsTheRunAfterTheFilesBeforeIt",
     3,
     false,
     {"f1.txt.TMP", 1, Fault::Io},
     {"flush f0.txt.TMP", "flush f1.txt.TMP", "flush f0.txt.TMP", "replace f0.txt", "log f0.txt",
      "flush f1.txt.TMP"},
     1117},
    // A copy that cannot be flushed is no backup: it takes no name, and the
    // run goes on as after any copy that failed.
    {"ACopyThatCannotBeFlushedIsNotPlaced",
     2,
     true,
     {"copy", 1, Fault::Io},
     {"log zaloha", "flush copy", "flush copy", "log f0.txt", "log f1.txt", "flush f0.txt.TMP", "flush f1.txt.TMP",
      "replace f0.txt", "log f0.txt", "replace f1.txt", "log f1.txt"},
     0},
};

class OrderTest : public CommitOrderTest, public ::testing::WithParamInterface<OrderRow> {};

// The files, and the backup copies, that took their names hold their new
// content; the others keep theirs or are not there.
TEST_P(OrderTest, FlushesAndRenamesComeInOrder)
{
    const OrderRow& row = GetParam();
    const Lines paths = Files(row.files);
    const std::string backup = folder_ / "zaloha";
    std::filesystem::create_directory(backup);
    failingFlush = row.flush;
    std::int32_t code = 0;
    testing::recording = true;
    try {
        if (row.backup)
            RunReplacements(paths, backup, [](int n) { return n == 1 ? StringPair{"foo", "bar"} : StringPair{}; },
                            log_, progress_);
        else
            ReplaceInListedFiles(paths, "foo", "bar", log_, progress_);
    } catch (const EInOutError& error) {
        code = error.IoCode();
    }
    testing::recording = false;
    EXPECT_EQ(events, row.events);
    EXPECT_EQ(code, row.code);
    const auto seen = [&row](const std::string& event) {
        return std::find(row.events.begin(), row.events.end(), event) != row.events.end();
    };
    for (const std::string& path : paths) {
        const std::string name(platform::FileName(path));
        EXPECT_EQ(ReadBytes(path), seen("replace " + name) ? "bar\r\n" : "foo\n") << name;
        const std::string copy = platform::JoinPath(backup, name);
        EXPECT_EQ(testing::Exists(copy) ? ReadBytes(copy) : "none", seen("place " + name) ? "foo\n" : "none") << name;
    }
    // A copy that took no name leaves nothing behind.
    const auto placed = std::count_if(row.events.begin(), row.events.end(),
                                      [](const std::string& event) { return event.starts_with("place "); });
    const auto entries = std::distance(std::filesystem::directory_iterator(backup), std::filesystem::directory_iterator());
    EXPECT_EQ(entries, placed);
    EXPECT_EQ(PendingIoResult, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, OrderTest, ::testing::ValuesIn(kOrders),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace ravo
