#include "testhost/StandinLog.h"

#include "standin/KepTest.h"

std::vector<std::string> ReadStandinLogFrom(size_t first) {
    std::vector<std::string> lines;
    const int32_t count = KepTestLogCount();
    for (int32_t i = static_cast<int32_t>(first); i < count; ++i) {
        int32_t length = KepTestLogLine(i, nullptr, 0);
        if (length < 0) break;
        std::string line(static_cast<size_t>(length) + 1, '\0');
        KepTestLogLine(i, line.data(), length + 1);
        line.resize(static_cast<size_t>(length));
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> ReadStandinLog() {
    return ReadStandinLogFrom(0);
}

bool IsMessageLine(const std::string& line) {
    return line.starts_with("KepMsgPutMessage(") || line.starts_with("KepMsgPutErrorMessage(") ||
           line.starts_with("KepDlgMessageBox(");
}
