// quillet-rules.exe on a rule file that the real module wrote when the rule list was
// confirmed: check reads it as the module does, and export then import gives the same bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "DialogFixture.h"
#include "dialogs/resource.h"
#include "platform/Handles.h"

namespace {

namespace fs = std::filesystem;

std::wstring WorkbenchProgram() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (fs::path(self).parent_path() / L"quillet-rules.exe").wstring();
}

struct ProgramRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;  // standard output, UTF-8
};

// Standard output goes to a file, so a large output can never block the child.
ProgramRun RunWorkbench(const std::wstring& arguments, const fs::path& outputFile) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    ProgramRun run;
    {
        const UniqueFile output(CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                            &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
        PROCESS_INFORMATION process{};
        const std::wstring program = WorkbenchProgram();
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &process)) {
            ADD_FAILURE() << "quillet-rules.exe did not start: " << GetLastError();
            return run;
        }
        const UniqueHandle processHandle(process.hProcess);
        const UniqueHandle threadHandle(process.hThread);
        EXPECT_EQ(WaitForSingleObject(processHandle.get(), 30000), WAIT_OBJECT_0);
        GetExitCodeProcess(processHandle.get(), &run.exitCode);
    }
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
    EXPECT_EQ(check.exitCode, 2u) << check.out;
    EXPECT_TRUE(check.out.starts_with(
        R"({"encoding":"utf-16le-bom","lines":[{"line":1,"kind":"rule","rule":1},)"
        R"({"line":2,"kind":"rule","rule":2},{"line":3,"kind":"rule","rule":3}],"rules":[)"
        R"({"rule":1,"enabled":true,"code_from":101,"code_to":199,"diameter_low":8,)"
        R"("diameter_high":8.99,"new_diameter":8.5},)"))
        << check.out;
    EXPECT_NE(check.out.find(R"("code":"partial-number")"), std::string::npos) << check.out;

    const fs::path csv = folder / L"규칙.csv";
    const ProgramRun exported =
        RunWorkbench(L"export " + Quoted(written) + L" -o " + Quoted(csv), folder / L"export.txt");
    EXPECT_EQ(exported.exitCode, 0u) << exported.out;
    EXPECT_EQ(BytesOf(csv),
              "enabled,code_from,code_to,diameter_from,diameter_to,diameter_modify\r\n"
              "1,101,199,\"8,5\",8.99,8.5\r\n"
              "0,201,,5.0,5.5,5.2\r\n"
              "1,\"\"\"A\"\",B\",구멍,10,,12\r\n");

    const fs::path copy = folder / L"복사.def";
    const ProgramRun imported =
        RunWorkbench(L"import " + Quoted(csv) + L" -o " + Quoted(copy), folder / L"import.txt");
    EXPECT_EQ(imported.exitCode, 0u) << imported.out;
    EXPECT_EQ(BytesOf(copy), BytesOf(written));
}

}  // namespace
