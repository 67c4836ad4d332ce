#include "platform/SystemFilePort.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "rules/RuleStore.h"

namespace {

namespace fs = std::filesystem;

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
