// Scratch folders, raw file access that bypasses the code under test, and the child modes of
// the test program, which the process tests start as a well-behaved child of known behaviour.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/win32/Text.h"

namespace setup::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class Scratch {
 public:
  Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  ~Scratch();
  // The folder with its trailing "\".
  const std::string& Folder() const { return folder_; }
  std::string Path(const std::string& name) const { return folder_ + name; }

 private:
  std::string folder_;
};

void RemoveTree(const std::wstring& folder);

// Whole-file access through the plain API, so a check does not lean on Win32FileSystem.
std::string RawRead(const std::string& path);
void RawWrite(const std::string& path, const std::string& bytes);

// An open handle the test holds, with the sharing it allows others.
class HeldFile {
 public:
  HeldFile(const std::string& path, DWORD access, DWORD share);
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  ~HeldFile();
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// The test program's own path in quotes, ready for a command line.
std::string QuotedSelf();

// Runs a child mode when the command line asks for one; returns false for a normal test run.
//   --child-sleep <ms>                 sleeps, then ends
//   --child-sleep-write <ms> <file>    sleeps, then writes "done" to file
//   --child-report <file>              writes its start-up flags, show state and current
//                                      folder to file
bool RunChildMode(int argc, wchar_t** argv, int& exitCode);

// A Ui whose message pumping is the real one.
class PumpingUi : public Ui {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void RequestEnd() override { ended = true; }
  bool EndRequested() const override { return ended; }
  void ProcessMessages() override;
  std::vector<std::string> messages;
  bool ended = false;
  int pumps = 0;
};

}  // namespace setup::test
