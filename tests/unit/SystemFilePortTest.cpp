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

#include "platform/AtomicFile.h"
#include "rules/RuleStore.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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

// Kinds the store refuses to replace, as a process running as root also sees them.
TEST_F(SystemFilePortTest, AppendMakesTheFileAndHandsOverItsSizeAndLastBytesAndAReadSkips) {
    std::vector<std::pair<uint64_t, std::string>> seen;
    const AppendPieces add = [&](AppendTarget& file) {
        std::string last;
        if (const FileStatus read =
                file.ReadAt(file.size() - std::min<uint64_t>(file.size(), 3), 3, last);
            !read.ok()) {
            return read;
        }
        seen.emplace_back(file.size(), last);
        if (const FileStatus written = file.Write("ab"); !written.ok()) return written;
        return file.Write("\r\n");
    };
    ASSERT_TRUE(files_.AppendInPieces(Path("j.csv"), add).ok());
    ASSERT_TRUE(files_.AppendInPieces(Path("j.csv"), add).ok());
    EXPECT_EQ(Read("j.csv"), "ab\r\nab\r\n");
    EXPECT_EQ(seen, (std::vector<std::pair<uint64_t, std::string>>{{0, ""}, {4, "b\r\n"}}));
    std::unique_ptr<ReadStream> stream;
    ASSERT_TRUE(files_.OpenToRead(Path("j.csv"), ReadSharing::WithWriters, stream).ok());
    char read[8] = {};
    size_t got = 0;
    EXPECT_TRUE(stream->Skip(5).ok() && stream->Read(read, sizeof read, got).ok());
    EXPECT_EQ(std::string(read, got), "b\r\n");
    EXPECT_TRUE(stream->Skip(100).ok() && stream->Read(read, sizeof read, got).ok() && got == 0);
    EXPECT_EQ(files_.AppendInPieces(Path(""), add).fault, FileFault::Denied);  // the folder itself

    ASSERT_TRUE(files_.MakeFolder(Path("journal")).ok());
    EXPECT_TRUE(files_.MakeFolder(Path("journal")).ok());
    EXPECT_EQ(files_.MakeFolder(Path("j.csv")).fault, FileFault::NameTaken);
}

TEST_F(SystemFilePortTest, TellsReadOnlyFilesAndFoldersApart) {
    Write("file", "x");
    Write("locked", "x");
    fs::permissions(folder_ / "locked", fs::perms::owner_read);
    fs::create_directory(folder_ / "folder");
    EXPECT_EQ(files_.KindOf(Path("file")), FileKind::File);
    EXPECT_EQ(files_.KindOf(Path("locked")), FileKind::ReadOnlyFile);
    EXPECT_EQ(files_.KindOf(Path("folder")), FileKind::Folder);
    EXPECT_EQ(files_.KindOf(Path("none")), FileKind::Missing);
}

// A FIFO nobody writes to ends at once, a device is not read at all, and a pipe that goes on
// is cut off at the bound instead of filling the memory.
TEST_F(SystemFilePortTest, ReadsAreBoundedAndNeverWaitForAWriter) {
    const std::string fifo = (folder_ / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string bytes = "x";
    EXPECT_TRUE(files_.ReadAll(Path("fifo"), ReadSharing::WithSaves, bytes).ok());
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(files_.ReadAll(u"/dev/zero", ReadSharing::WithSaves, bytes).fault,
              FileFault::NotAFile);
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
    FileStatus read;
    for (int attempt = 0; attempt < 500 && read.fault != FileFault::TooLarge; ++attempt) {
        read = bounded.ReadAll(Path("fifo"), ReadSharing::WithSaves, bytes);
        if (read.fault != FileFault::TooLarge) std::this_thread::sleep_for(10ms);
    }
    writer.join();
    EXPECT_EQ(read.fault, FileFault::TooLarge);
    EXPECT_EQ(read.size, 0u);
    EXPECT_TRUE(bytes.empty());
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
