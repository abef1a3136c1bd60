// The setup log beside the executable: one line per step, written before the step acts.
#pragma once

#include <string>

#include "install/Questions.h"
#include "platform/Platform.h"

namespace setup {

// The executable's path with its extension replaced by ".log".
std::string LogPathFor(const std::string& exePath);

class SetupLog {
 public:
  SetupLog(FileSystem& fs, MainCaption& caption, std::string logPath);
  // Appends line + CR LF (ANSI code page), closes the file, and shows the line as the main
  // window's caption. A failed step raises Error with the system's reason; the caption stays.
  void WriteLog(const std::string& line);
  const std::string& LogPath() const { return logPath_; }

 private:
  FileSystem& fs_;
  MainCaption& caption_;
  std::string logPath_;
};

}  // namespace setup
