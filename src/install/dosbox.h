// Running a command through the command interpreter named by "ComSpec".
#pragma once

#include <string>

#include "platform/Platform.h"

namespace setup {

// <comSpec> /c "<command>"
std::string DosCommandLine(const std::string& comSpec, const std::string& command);

// Starts command hidden with folder as current folder; with wait, pumps messages between
// 100 ms waits until it ends. Nothing is reported when it cannot start.
void ExecDosCommand(Processes& processes, Ui& ui, bool wait, const std::string& folder,
                    const std::string& command);

}  // namespace setup
