#include "install/dosbox.h"

namespace setup {

std::string DosCommandLine(const std::string& comSpec, const std::string& command) {
  return comSpec + " /c \"" + command + "\"";
}

void ExecDosCommand(Processes& processes, Ui& ui, bool wait, const std::string& folder,
                    const std::string& command) {
  // Without an interpreter there is nothing to start, and nothing is reported either.
  const auto comSpec = processes.GetEnv("ComSpec");
  if (!comSpec || comSpec->empty()) return;
  auto process = processes.StartHidden(DosCommandLine(*comSpec, command), folder);
  if (!process || !wait) return;
  // Short waits with message pumping keep the windows responsive while the command runs.
  while (process->WaitFor(100) == Process::Wait::TimedOut) ui.ProcessMessages();
}

}  // namespace setup
