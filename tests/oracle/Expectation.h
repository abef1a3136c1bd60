// What a setup must leave behind, worked out from the archive and the user's choices alone:
// the log's lines, the card's files and the settings file. The native full-run suite and the
// end-to-end checks (through the setup-oracle program) both compare against it, so the two
// levels cannot expect different things.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "archive/resfile.h"
#include "install/Choices.h"

namespace setup::test {

// Files by their path below the card's root, "\"-separated, spelled as the program writes them.
using Tree = std::map<std::string, Bytes>;

struct SetupCase {
  Choices choices;  // the ticks when Setup is pressed (and OpenGlobalINIChk after the dialog)
  std::string startPath = "C:\\Tools\\";
  std::string root = "E:\\";
  std::string driveLine = "E:\\ Removable [CARD]";
  Tree before;  // the card before this attempt
  // Files an earlier attempt of the same run installed (paths below the root, any case).
  std::set<std::string> installedEarlier;
  // The file whose copy fails: the attempt ends with its copy line, nothing after it is written.
  std::string failsAt;
  std::optional<int> storedLanguage;  // isJP, when it is stored
};

struct SetupOutcome {
  std::vector<std::string> log;
  Tree card;
  std::vector<std::string> installed;  // by the copy steps, in order
  // Section -> key -> value; empty when the attempt failed before the end.
  std::map<std::string, std::map<std::string, std::string>> settings;
};

SetupOutcome ExpectSetup(const ResFile& catalogue, const SetupCase& c);

// A ROM image as the builder must make it: the bootstrap, then the program image with the four
// bytes after its first "Adapter:" replaced by the ID.
Bytes ExpectedRom(const ResFile& catalogue, const std::string& bootstrap, const std::string& id);

}  // namespace setup::test
