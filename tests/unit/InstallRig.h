// An empty card E: and a setup log beside C:\Tools\Setup.exe, shared by the installation suites.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "TestArchive.h"
#include "install/FileInstall.h"
#include "install/SetupLog.h"

namespace setup::test {

inline const std::string kLog = "C:\\Tools\\Setup.log";

struct InstallRig {
  InstallRig() {
    fs.PutFolder("C:\\Tools\\");
    fs.journal.clear();
  }
  std::vector<std::string> LogLines() const { return fs.Lines(kLog); }
  // The error's text, which the tests check names the file.
  template <typename F>
  std::string ErrorOf(F f) {
    try {
      f();
    } catch (const Error& e) {
      return e.what();
    }
    ADD_FAILURE() << "no error";
    return {};
  }

  fake::FakeFileSystem fs;
  fake::FakeUi ui;
  Choices choices;
  fake::FakeCaption caption;
  SetupLog log{fs, caption, kLog};
  InstallingSink sink{fs, log, ui};
  std::string root = "E:\\";
  InstallContext ctx{sink, StandinCatalogue(), choices, root};
};

}  // namespace setup::test
