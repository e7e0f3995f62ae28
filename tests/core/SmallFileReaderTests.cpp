#include "HostileFile.h"
#include "ScopedDescriptorExhaustion.h"
#include "TemporaryDirectory.h"
#include "foundation/SmallFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pulsegrove;
using pulsegrove::testing::HostileFile;
using pulsegrove::testing::ScopedDescriptorExhaustion;
using pulsegrove::testing::TemporaryDirectory;
using Links = SmallFileReader::Links;
using Status = SmallFileReader::Status;

namespace {

constexpr std::size_t cap = 1024;

struct HostileCase {
    HostileFile::Kind kind;
    Links links;
    Status expected;
};

} // namespace

// Whatever stands at the path, the read returns at once with a sound verdict and holds at most
// the cap: none of these may block, and the gigabyte and the endless device must not be read.
TEST(SmallFileReaderTests, RefusesWhatIsNotASmallRegularFile)
{
    const TemporaryDirectory folder;
    const auto target = folder.writeFile("target.json", "{}");
    const std::vector<HostileCase> cases = {
        {HostileFile::Kind::fifo, Links::refuse, Status::notRegularFile},
        {HostileFile::Kind::fifo, Links::follow, Status::notRegularFile},
        {HostileFile::Kind::linkToDevZero, Links::refuse, Status::notRegularFile},
        {HostileFile::Kind::linkToDevZero, Links::follow, Status::notRegularFile},
        {HostileFile::Kind::sparseGigabyte, Links::refuse, Status::tooLarge},
        {HostileFile::Kind::folder, Links::follow, Status::notRegularFile},
        {HostileFile::Kind::linkToRegular, Links::refuse, Status::notRegularFile},
        {HostileFile::Kind::linkToRegular, Links::follow, Status::read},
    };
    int index = 0;
    for (const auto &[kind, links, expected] : cases) {
        const auto path = folder.path() / ("case-" + std::to_string(index++));
        HostileFile::place(kind, path, target);
        const auto result = SmallFileReader::read(path, cap, links);
        SCOPED_TRACE(HostileFile::name(kind) + (links == Links::follow ? ", following links" : ""));
        EXPECT_EQ(result.status, expected);
        EXPECT_EQ(result.content, expected == Status::read ? "{}" : "");
        EXPECT_EQ(result.error, 0);
    }
}

TEST(SmallFileReaderTests, ReadsUpToTheCapAndNoFurther)
{
    const TemporaryDirectory folder;
    const std::vector<std::pair<std::string, Status>> cases = {
        {"", Status::read},
        {std::string(cap, 'a'), Status::read},
        {std::string(cap + 1, 'b'), Status::tooLarge},
        {std::string("nul\0inside", 10), Status::read},
    };
    for (const auto &[content, expected] : cases) {
        const auto path = folder.writeFile("file", content);
        const auto result = SmallFileReader::read(path, cap);
        SCOPED_TRACE(content.size());
        EXPECT_EQ(result.status, expected);
        EXPECT_EQ(result.content, expected == Status::read ? content : "");
        ASSERT_TRUE(result.stamp);
        EXPECT_EQ(result.stamp, FileStamp::ofPath(path));
        EXPECT_EQ(result.stamp->size, static_cast<off_t>(content.size()));
    }
}

TEST(SmallFileReaderTests, TellsMissingFromFailed)
{
    const TemporaryDirectory folder;
    const auto file = folder.writeFile("file", "text");
    for (const auto &path : {folder.path() / "absent", folder.path() / "file" / "below-a-file"})
        EXPECT_EQ(SmallFileReader::read(path, cap).status, Status::missing) << path;
    // A passing failure (here: no descriptor left) is a failure with its errno, and the same
    // file reads whole once the cause has gone.
    SmallFileReader::Result failed;
    {
        const ScopedDescriptorExhaustion exhaustion;
        failed = SmallFileReader::read(file, cap);
    }
    EXPECT_EQ(failed.status, Status::failed);
    EXPECT_EQ(failed.error, EMFILE);
    EXPECT_EQ(SmallFileReader::read(file, cap).content, "text");
}

// Files of /proc report a size of 0; they are read to their end, and still stop at the cap.
TEST(SmallFileReaderTests, ReadsKernelFilesWhoseSizeIsUnknown)
{
    const auto status = SmallFileReader::read("/proc/self/status", 64 * 1024, Links::follow);
    ASSERT_EQ(status.status, Status::read);
    EXPECT_NE(status.content.find("Pid:"), std::string::npos);
    EXPECT_EQ(SmallFileReader::read("/proc/self/status", 16, Links::follow).status, Status::tooLarge);
}

// A FIFO that has a writer is still refused at once, and the writer is not disturbed.
TEST(SmallFileReaderTests, RefusesAFifoWithAWriter)
{
    const TemporaryDirectory folder;
    const auto path = folder.path() / "fifo";
    HostileFile::place(HostileFile::Kind::fifo, path);
    const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "{}", 2), 2);
    EXPECT_EQ(SmallFileReader::read(path, cap, Links::follow).status, Status::notRegularFile);
    char buffer[4] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 2);
    ::close(writer);
    ::close(reader);
}
