// quillet-rules.exe on a rule file that the real module wrote when the rule list was
// confirmed: check reads it as the module does, export then import gives the same bytes, and
// a read-only backup stops the import as it stops the module's save.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "DialogFixture.h"
#include "E2eSupport.h"
#include "dialogs/resource.h"

namespace {

namespace fs = std::filesystem;

std::wstring WorkbenchProgram() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (fs::path(self).parent_path() / L"quillet-rules.exe").wstring();
}

struct ProgramRun {
    long exitCode = -1;
    std::string out;  // standard output and error, UTF-8
};

// Output goes to a file, so a large output can never block the child.
ProgramRun RunWorkbench(const std::wstring& arguments, const fs::path& outputFile) {
    ProgramRun run;
    run.exitCode = ChildProcess(WorkbenchProgram(), arguments, outputFile.wstring()).Wait(30000);
    std::ifstream in(outputFile, std::ios::binary);
    run.out.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

std::string BytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

using WorkbenchRun = DialogTest;

TEST_F(WorkbenchRun, ChecksExportsAndImportsTheFileTheModuleWrote) {
    ExpectMessageBoxes(1);  // line 2 gave no rule
    StartWithRules(
        u"0\t101\t199\t8,5\t8.99\t8.5\r\n"
        u"1\t2\r\n"
        u"1\t201\t\t5.0\t5.5\t5.2\r\n"
        u"0\t\"A\",B\t구멍\t10\t\t12\r\n");
    RunRuleList([](HWND dialog, const ListView&) {
        Press(dialog, IDC_REVERSE);
        Press(dialog, IDOK);
    });
    ASSERT_EQ(RuleFileBytes(), RuleFileOf(u"1\t101\t199\t8,5\t8.99\t8.5\r\n"
                                          u"0\t201\t\t5.0\t5.5\t5.2\r\n"
                                          u"1\t\"A\",B\t구멍\t10\t\t12\r\n"));
    const fs::path written = RuleFilePath();
    const fs::path folder = written.parent_path();

    const ProgramRun check =
        RunWorkbench(L"check --json " + Quoted(written), folder / L"check.json");
    EXPECT_EQ(check.exitCode, 2) << check.out;
    EXPECT_TRUE(check.out.starts_with(R"({"encoding":"utf-16le-bom",)")) << check.out;
    EXPECT_NE(check.out.find(R"("code":"partial-number")"), std::string::npos) << check.out;

    const fs::path csv = folder / L"규칙.csv";
    const ProgramRun exported =
        RunWorkbench(L"export " + Quoted(written) + L" -o " + Quoted(csv), folder / L"export.txt");
    EXPECT_EQ(exported.exitCode, 0) << exported.out;

    // The table has errors (8,5), so the import writes it only when forced.
    const fs::path copy = folder / L"복사.def";
    const ProgramRun imported = RunWorkbench(
        L"import " + Quoted(csv) + L" -o " + Quoted(copy) + L" --force", folder / L"import.txt");
    EXPECT_EQ(imported.exitCode, 0) << imported.out;
    EXPECT_EQ(BytesOf(copy), BytesOf(written));

    // A read-only backup is protected like a read-only rule file: nothing changes.
    const fs::path backup = folder / L"복사.def.bak";
    std::ofstream(backup, std::ios::binary) << "old";
    ASSERT_TRUE(SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_READONLY));
    const ProgramRun refused = RunWorkbench(
        L"import " + Quoted(csv) + L" -o " + Quoted(copy) + L" --force", folder / L"refused.txt");
    SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(refused.exitCode, 3) << refused.out;
    EXPECT_NE(refused.out.find("복사.def.bak"), std::string::npos) << refused.out;
    EXPECT_EQ(BytesOf(backup), "old");
    EXPECT_EQ(BytesOf(copy), BytesOf(written));
}

// A name with a lone surrogate has no UTF-8 form. It reaches the file system as the UTF-16
// given, never as the file of its U+FFFD reading, which stays as it is (Wine itself cannot
// create such a name, so the write fails and says which name it was). The same file by
// another spelling is known by its identity.
TEST(WorkbenchNames, AUtf16NameWithoutUtf8FormNamesThatFileAndNoOther) {
    const TempFolder folder;
    const std::wstring replaced = folder.File(L"r\xFFFD.def");
    const Bytes rules = Utf16Le(u"1\t101\t199\t8.1\t8.99\t8.5\r\n");
    WriteBytes(replaced, rules);
    const ProgramRun lone =
        RunWorkbench(L"export " + Quoted(replaced) + L" -o " + Quoted(folder.File(L"r\xD800.def")),
                     folder.File(L"lone.txt"));
    EXPECT_NE(lone.exitCode, 0) << lone.out;
    EXPECT_NE(lone.out.find("파일을 저장할 수 없습니다: "), std::string::npos) << lone.out;
    EXPECT_NE(lone.out.find("\\r\\xED\\xA0\\x80.def ("), std::string::npos) << lone.out;

    const ProgramRun same =
        RunWorkbench(L"export " + Quoted(replaced) + L" -o " + Quoted(folder.File(L"R\xFFFD.DEF")),
                     folder.File(L"same.txt"));
    EXPECT_EQ(same.exitCode, 4) << same.out;
    EXPECT_EQ(ReadBytes(replaced), rules);
    auto names = FileNamesIn(folder.path());
    std::ranges::sort(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"lone.txt", L"r\xFFFD.def", L"same.txt"}));
}

}  // namespace
