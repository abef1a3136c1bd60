// The windows' control tables against the core's tables: a row that names a choice must be
// that choice's check box, with a caption that says what the choice installs.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "install/FileInstall.h"
#include "install/RomBuilder.h"
#include "windows/LoadingWin.h"
#include "windows/MainWin.h"
#include "windows/SelDrvWin.h"
#include "windows/SelMLWin.h"
#include "windows/SetuppedWin.h"

namespace setup::win {
namespace {

std::string English(std::string_view caption) {
  return std::string(caption.substr(0, caption.find('|')));
}

const WindowDef* const kTables[] = {&kMainDef, &kSelDrvDef, &kSetuppedDef};

TEST(WindowTables, EachChoiceIsOneCheckBoxSayingWhatItInstalls) {
  std::map<Check, std::string> captions;
  for (const WindowDef* def : kTables) {
    for (const ControlDef& row : def->controls) {
      if (!IsChoiceId(row.id)) continue;
      const auto choice = static_cast<Check>(row.id);
      EXPECT_EQ(row.kind, Kind::CheckBox) << CtlName(ControlOf(choice));
      EXPECT_TRUE(captions.emplace(choice, English(row.caption)).second)
          << CtlName(ControlOf(choice)) << " has two rows";
    }
  }
  ASSERT_EQ(captions.size(), kChoices.size());
  for (const RomRow& rom : kRomRows) {
    const std::string& caption = captions[rom.check];
    EXPECT_EQ(caption, "The NDS file for " + std::string(rom.cartridge) + " is copied.")
        << CtlName(ControlOf(rom.check));
  }
  for (const ConfGroup& group : kConfGroups) {
    const std::string& caption = captions[group.choice];
    EXPECT_EQ(caption.rfind("/Skylarch/" + std::string(group.files[0]), 0), 0u)
        << CtlName(ControlOf(group.choice)) << ": " << caption;
  }
  EXPECT_NE(captions[Check::sysExistBackupChk].find("backup"), std::string::npos);
  EXPECT_NE(captions[Check::OpenGlobalINIChk].find("global.ini"), std::string::npos);
}

TEST(WindowTables, IdsAreUniqueAndParentsAreGroupBoxes) {
  for (const WindowDef* def : {&kMainDef, &kSelDrvDef, &kSetuppedDef, &kLoadingDef, &kSelMLDef}) {
    std::set<int> ids;
    for (const ControlDef& row : def->controls) {
      EXPECT_TRUE(ids.insert(row.id).second) << "id " << row.id << " twice in the table";
      if (row.parent < 0) continue;
      const int parent = RowOf(def->controls, row.parent);
      ASSERT_GE(parent, 0) << "row " << row.id << " names a missing parent";
      EXPECT_EQ(def->controls[static_cast<std::size_t>(parent)].kind, Kind::GroupBox);
    }
  }
}

}  // namespace
}  // namespace setup::win
