#include "install/SetupLog.h"

#include <utility>

#include "platform/Paths.h"

namespace setup {

std::string LogPathFor(const std::string& exePath) {
  return ChangeFileExt(exePath, ".log");
}

SetupLog::SetupLog(FileSystem& fs, MainCaption& caption, std::string logPath)
    : fs_(fs), caption_(caption), logPath_(std::move(logPath)) {}

void SetupLog::WriteLog(const std::string& line) {
  // The caption follows only a line that is on disk, so both name the same last step.
  fs_.AppendLine(logPath_, line);
  caption_.SetMainCaption(line);
}

}  // namespace setup
