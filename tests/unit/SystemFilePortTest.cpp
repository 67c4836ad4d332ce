#include "platform/SystemFilePort.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/TextEncoding.h"
#include "rules/RuleStore.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Narrow(const FilePath& path) {
    return Utf8FromUtf16(path, SurrogateForm::Replaced);
}

class SystemFilePortTest : public ::testing::Test {
protected:
    SystemFilePortTest() {
        std::string pattern = (fs::temp_directory_path() / "file-port-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
    }
    ~SystemFilePortTest() override { fs::remove_all(folder_); }

    FilePath Path(const std::string& name) const {
        const std::string full = (folder_ / name).string();
        return FilePath(full.begin(), full.end());
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(folder_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }

    fs::path folder_;
    SystemFilePort files_;
};

TEST_F(SystemFilePortTest, RenameWithoutReplaceNeverTakesAnExistingName) {
    Write("a", "A");
    Write("b", "B");
    EXPECT_EQ(files_.Rename(Path("a"), Path("b"), false).fault, FileFault::NameTaken);
    EXPECT_EQ(Read("b"), "B");
    EXPECT_TRUE(files_.Rename(Path("a"), Path("c"), false).ok());
    EXPECT_EQ(Read("c"), "A");
    EXPECT_TRUE(files_.Rename(Path("c"), Path("b"), true).ok());
    EXPECT_EQ(Read("b"), "A");
    EXPECT_EQ(files_.CreateNew(Path("b"), "x", Path("b")).fault, FileFault::NameTaken);
}

// Kinds the store refuses to replace, as a process running as root also sees them, and what
// reading each gives. A FIFO nobody writes to ends at once; a device is not read at all.
TEST_F(SystemFilePortTest, TellsTheKindsOfFileApartAndReadsOnlyFilesAndPipes) {
    Write("file", "x");
    Write("locked", "x");
    fs::permissions(folder_ / "locked", fs::perms::owner_read);
    fs::create_directory(folder_ / "folder");
    ASSERT_EQ(mkfifo((folder_ / "fifo").c_str(), 0600), 0);
    fs::create_symlink("loop2", folder_ / "loop1");
    fs::create_symlink("loop1", folder_ / "loop2");
    const struct {
        FilePath path;
        FileKind kind;
        FileFault read;
    } cases[] = {
        {Path("file"), FileKind::File, FileFault::None},
        {Path("locked"), FileKind::ReadOnlyFile, FileFault::None},
        {Path("folder"), FileKind::Folder, FileFault::Denied},
        {Path("none"), FileKind::Missing, FileFault::NotFound},
        {Path("fifo"), FileKind::Special, FileFault::None},
        {u"/dev/null", FileKind::Special, FileFault::NotAFile},
        {Path("loop1"), FileKind::LinkLoop, FileFault::LinkLoop},
    };
    for (const auto& c : cases) {
        std::string bytes;
        EXPECT_EQ(files_.KindOf(c.path), c.kind) << Narrow(c.path);
        EXPECT_EQ(files_.ReadAll(c.path, ReadSharing::WithSaves, bytes).fault, c.read)
            << Narrow(c.path);
    }
}

// A pipe that goes on is cut off at the bound instead of filling the memory.
TEST_F(SystemFilePortTest, ReadsAreBounded) {
    const std::string fifo = (folder_ / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        // The reader leaving ends the writing with EPIPE, not with a signal to the process.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        const std::string chunk(4096, 'x');
        while (::write(fd, chunk.data(), chunk.size()) > 0) {
        }
        ::close(fd);
    });
    // The writer has the FIFO open once it is no longer waiting for a reader.
    SystemFilePort bounded(100'000);
    std::string bytes;
    FileStatus read;
    for (int attempt = 0; attempt < 500 && read.fault != FileFault::TooLarge; ++attempt) {
        read = bounded.ReadAll(Path("fifo"), ReadSharing::WithSaves, bytes);
        if (read.fault != FileFault::TooLarge) std::this_thread::sleep_for(10ms);
    }
    writer.join();
    EXPECT_EQ(read.fault, FileFault::TooLarge);
    EXPECT_EQ(read.size, 0u);
    EXPECT_TRUE(bytes.empty());
    Write("file", std::string(100'001, 'x'));
    read = bounded.ReadAll(Path("file"), ReadSharing::WithSaves, bytes);
    EXPECT_EQ(read.fault, FileFault::TooLarge);
    EXPECT_EQ(read.size, 100'001u);
}

// Names are the bytes given: a name that is not UTF-8 is not the file of its lossy reading,
// and two names of one file have one identity.
TEST_F(SystemFilePortTest, NamesAreTheirBytesAndFilesAreKnownByIdentity) {
    const std::string base = folder_.string() + "/r";
    const FilePath invalid = files_.PathFromName(base + "\xFF");
    const FilePath replaced = files_.PathFromName(base + "\xEF\xBF\xBD");
    ASSERT_TRUE(files_.CreateNew(invalid, "A", invalid).ok());
    ASSERT_TRUE(files_.CreateNew(replaced, "B", replaced).ok());
    EXPECT_EQ(files_.NameOf(invalid), base + "\xFF");
    EXPECT_EQ(Read("r\xFF"), "A");
    EXPECT_NE(files_.InfoOf(invalid)->identity, files_.InfoOf(replaced)->identity);
    fs::create_hard_link(base + "\xFF", folder_ / "hard");
    EXPECT_EQ(files_.InfoOf(invalid)->identity, files_.InfoOf(Path("hard"))->identity);
    EXPECT_FALSE(files_.InfoOf(Path("none")));
}

// A link given as the file to write is followed, also when it points nowhere yet; the link
// itself stays.
TEST_F(SystemFilePortTest, WritesThroughLinksAndKeepsThem) {
    fs::create_symlink("target.csv", folder_ / "link.csv");
    ASSERT_TRUE(WriteFileAtomically(files_, Path("link.csv"), "one").succeeded());
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.csv"));
    EXPECT_EQ(Read("target.csv"), "one");
    ASSERT_TRUE(WriteFileAtomically(files_, Path("link.csv"), "two").succeeded());
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.csv"));
    EXPECT_EQ(Read("target.csv"), "two");
}

}  // namespace
