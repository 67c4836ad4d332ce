// Reading the stand-in host's log (see standin/KepTest.h).
#pragma once

#include <string>
#include <vector>

// Every line of the log, in order.
std::vector<std::string> ReadStandinLog();

// The lines from index first on, for reading what happened since an earlier count.
std::vector<std::string> ReadStandinLogFrom(size_t first);

// True for the lines of host messages: KepMsgPutMessage, KepMsgPutErrorMessage and
// KepDlgMessageBox.
bool IsMessageLine(const std::string& line);
