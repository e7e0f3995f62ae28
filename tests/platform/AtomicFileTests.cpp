#include "AtomicFile.h"
#include "TemporaryDirectory.h"

#include <cstdio>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// This program's own fsync and rename stand in front of the C library's: they pass every call on
// and, while the test's thread records, note the order of its calls.
thread_local std::vector<std::string> *fileCalls = nullptr;

template <typename Function> Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

void note(const char *call)
{
    if (fileCalls)
        fileCalls->emplace_back(call);
}

} // namespace

extern "C" int fsync(int descriptor)
{
    note("fsync");
    static const auto real = next<int (*)(int)>("fsync");
    return real(descriptor);
}

extern "C" int rename(const char *from, const char *to) noexcept
{
    note("rename");
    static const auto real = next<int (*)(const char *, const char *)>("rename");
    return real(from, to);
}

// The file's bytes reach the disk before its name does, then the folder's entry.
TEST(AtomicFileTests, TheFileIsFlushedBeforeItIsRenamedIntoPlace)
{
    const pulsegrove::testing::TemporaryDirectory folder;
    std::vector<std::string> calls;
    fileCalls = &calls;
    pulsegrove::AtomicFile::write(folder.path() / "file.json", "{}");
    fileCalls = nullptr;
    EXPECT_EQ(calls, (std::vector<std::string>{"fsync", "rename", "fsync"}));
}
