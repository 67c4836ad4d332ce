#include "ModuleFixture.h"

#include <stdexcept>

#include "platform/FilePaths_win.h"
#include "standin/KepTest.h"
#include "testhost/StandinLog.h"

std::string ChangedHolesLine(int count) {
    return "KepDlgMessageBox(\"총 " + std::to_string(count) + "개의 구멍을 수정하였습니다.\")";
}

ModuleTest::ModuleTest()
    : boxes_([this](const SeenMessageBox&) { logCountAtLastBox_ = KepTestLogCount(); }) {}

void ModuleTest::WriteRules(std::u16string_view lines, bool bom) {
    WriteBytes(RuleFilePath(), Utf16Le(lines, bom));
}

void ModuleTest::LoadModule(std::string_view drawing, std::function<void()> prepareHost) {
    const std::wstring drawingPath = folder_.File(L"drawing.txt");
    WriteBytes(drawingPath, Bytes(drawing.begin(), drawing.end()));
    int32_t loaded = -1;
    ModuleSessionOptions options;
    options.folder = ForFileApi(moduleFolder_);
    options.prepareHost = [&] {
        loaded = KepTestLoadDrawing(drawingPath.c_str());
        if (prepareHost) prepareHost();
    };
    session_ = std::make_unique<ModuleSession>(options);
    ASSERT_EQ(loaded, 0) << ::testing::PrintToString(Log());
}

void ModuleTest::StartCommand(std::string_view drawing, std::u16string_view rules) {
    StartCommand(drawing, Utf16Le(rules));
}

void ModuleTest::StartCommand(std::string_view drawing, const Bytes& ruleFile) {
    WriteBytes(RuleFilePath(), ruleFile);
    ASSERT_NO_FATAL_FAILURE(LoadModule(drawing));
    ASSERT_EQ(session().startupResult(), 0);
    ASSERT_EQ(session().Start(), 0);
}

std::vector<std::string> ModuleTest::Log() const {
    return ReadStandinLog();
}

std::vector<std::string> ModuleTest::LogSince(size_t mark) const {
    return ReadStandinLogFrom(mark);
}

std::vector<std::string> ModuleTest::MessagesSince(size_t mark) const {
    std::vector<std::string> messages;
    for (std::string& line : ReadStandinLogFrom(mark)) {
        if (IsMessageLine(line)) messages.push_back(std::move(line));
    }
    return messages;
}

double ModuleTest::Diameter(int32_t holeId, int32_t step) const {
    HoleStep stored{};
    if (KepTestHoleStep(holeId, step, &stored) != 0) throw std::out_of_range("no such step");
    return stored.diameter;
}

int32_t ModuleTest::AmendCount(int32_t holeId) const {
    return KepTestAmendCount(holeId);
}
