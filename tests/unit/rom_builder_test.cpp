#include <gtest/gtest.h>

#include <cstring>

#include "Expectation.h"
#include "FakePlatform.h"
#include "InstallRig.h"
#include "TestArchive.h"
#include "install/RomBuilder.h"

namespace setup {
namespace {

using test::StandinEntry;

using test::kLog;
const char kNoMarker[] = "アダプタIDが見つかりませんでした。(";

Bytes B(const std::string& text) {
  return Bytes(text.begin(), text.end());
}
std::string S(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

// ---- PatchAdapterID ----

struct PatchCase {
  const char* name;
  std::string image;
  std::int32_t size;  // -1: the whole image
  std::string expected;
};

class PatchAdapterIDTest : public ::testing::TestWithParam<PatchCase> {};

TEST_P(PatchAdapterIDTest, PatchesTheFirstMarkerWhereTheIdFits) {
  const auto& c = GetParam();
  Bytes image = B(c.image);
  fake::FakeUi ui;
  const std::int32_t size = c.size < 0 ? static_cast<std::int32_t>(image.size()) : c.size;
  PatchAdapterID(image.data(), size, "SCSD", ui);
  EXPECT_EQ(S(image), c.expected);
  if (c.expected == c.image) {
    EXPECT_EQ(ui.messages, std::vector<std::string>{std::string(kNoMarker) + "SCSD)"});
  } else {
    EXPECT_TRUE(ui.messages.empty());
  }
  EXPECT_EQ(ui.endRequests, 0) << "a missing marker does not end the program";
}

INSTANTIATE_TEST_SUITE_P(
    Images, PatchAdapterIDTest,
    ::testing::Values(
        PatchCase{"exactly_twelve", "Adapter:MPCF", -1, "Adapter:SCSD"},
        PatchCase{"thirteen_marker_at_one", "xAdapter:MPCF", -1, "xAdapter:SCSD"},
        PatchCase{"fourteen_at_start", "Adapter:MPCFzz", -1, "Adapter:SCSDzz"},
        PatchCase{"marker_at_size_minus_12", "0123456789Adapter:MPCF", -1,
                  "0123456789Adapter:SCSD"},
        PatchCase{"id_does_not_fit", "0123456789Adapter:MPC", -1, "0123456789Adapter:MPC"},
        PatchCase{"shorter_than_twelve", "Adapter:MP", -1, "Adapter:MP"},
        PatchCase{"empty", "", -1, ""},
        PatchCase{"first_of_two", "Adapter:AAAA..Adapter:BBBB", -1, "Adapter:SCSD..Adapter:BBBB"},
        PatchCase{"lower_case_is_no_marker", "adapter:MPCF", -1, "adapter:MPCF"},
        PatchCase{"no_colon_is_no_marker", "Adapter MPCF", -1, "Adapter MPCF"},
        PatchCase{"beyond_size_is_not_searched", "0123Adapter:MPCF", 15, "0123Adapter:MPCF"},
        PatchCase{"within_size", "0123Adapter:MPCF", 16, "0123Adapter:SCSD"},
        PatchCase{"partial_marker_then_real", "AdapteAdapter:MPCF", -1, "AdapteAdapter:SCSD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PatchAdapterID, MessageNamesTheWholeIdAndNothingElseChanges) {
  Bytes image = StandinEntry("_BOOT_MP.nds");
  const Bytes original = image;
  fake::FakeUi ui;
  PatchAdapterID(image.data(), 0x3A628 + 11, "EWSD", ui);
  EXPECT_EQ(image, original);
  EXPECT_EQ(ui.messages, std::vector<std::string>{std::string(kNoMarker) + "EWSD)"});

  PatchAdapterID(image.data(), static_cast<std::int32_t>(image.size()), "EWSD", ui);
  EXPECT_EQ(std::memcmp(image.data() + 0x3A628, "Adapter:EWSD", 12), 0);
  image[0x3A630] = 'M', image[0x3A631] = 'P', image[0x3A632] = 'C', image[0x3A633] = 'F';
  EXPECT_EQ(image, original);
}

// ---- The builder ----

class RomBuilderTest : public ::testing::Test, public test::InstallRig {
 protected:
  void TickOnly(std::initializer_list<Check> boxes) {
    choices = fake::AllChoices(false);
    for (auto b : boxes) choices.Set(b, true);
  }
  // The oracle states the card's layout on its own: the builder must write exactly the images it
  // expects (bootstrap, program image, adapter ID), in its order, each with its log line.
  void ExpectTheOraclesImages() {
    CreateROMImages(ctx);
    test::SetupCase setup;
    setup.choices = choices;
    const test::SetupOutcome want = test::ExpectSetup(test::StandinCatalogue(), setup);
    const std::string rom = "Create ROM image and copy to \"E:\\";
    std::vector<std::string> lines, paths;
    for (const std::string& line : want.log) {
      if (!line.starts_with(rom)) continue;
      lines.push_back(line);
      const std::string name = line.substr(rom.size(), line.find('"', rom.size()) - rom.size());
      paths.push_back("E:\\" + name);
      EXPECT_EQ(fs.Get(paths.back()), want.card.at(name)) << name;
    }
    EXPECT_EQ(Writes(), paths);
    EXPECT_EQ(LogLines(), lines);
    EXPECT_TRUE(ui.messages.empty());
  }
  std::vector<std::string> Writes() const {
    std::vector<std::string> w;
    for (const auto& op : fs.journal) {
      if (op.starts_with("write ")) w.push_back(op.substr(6));
    }
    return w;
  }
};

const char kSC[] = "BootStrap_SuperCard.bin";
const char kM3[] = "BootStrap_M3_quillmar-m3powerloader-20060117.bin";

class RomImageTest : public RomBuilderTest, public ::testing::WithParamInterface<ChoiceDef> {};

TEST_P(RomImageTest, TheBoxAloneWritesTheImageTheOracleExpects) {
  TickOnly({GetParam().id});
  ExpectTheOraclesImages();
}

INSTANTIATE_TEST_SUITE_P(Boxes, RomImageTest, ::testing::ValuesIn(kChoices),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RomBuilderTest, EveryBoxTickedWritesEveryImageInOrder) {
  choices = fake::AllChoices(true);
  ExpectTheOraclesImages();
  EXPECT_EQ(LogLines().size(), 11u);
}

TEST_F(RomBuilderTest, NoBoxTickedWritesAndLogsNothing) {
  choices = fake::AllChoices(false);
  CreateROMImages(ctx);
  EXPECT_TRUE(fs.journal.empty());
}

TEST_F(RomBuilderTest, EachRowPatchesAFreshCopy) {
  TickOnly({Check::romMPCFChk, Check::romEWSDChk, Check::romSCCFChk});
  CreateROMImages(ctx);
  EXPECT_EQ(fs.Get("E:\\_BOOT_MP.nds"), StandinEntry("_BOOT_MP.nds"));
  const auto sccf = *fs.Get("E:\\Skylarch_SCCF_SuperCard_CF.nds");
  EXPECT_EQ(Bytes(sccf.begin(), sccf.begin() + 512), StandinEntry(kSC));
  EXPECT_EQ(std::string(sccf.begin() + 0x3A830, sccf.begin() + 0x3A834), "SCCF");
  const auto ewsd = *fs.Get("E:\\Skylarch_EWSD_Ewin2_MicroSD.nds");
  EXPECT_EQ(std::string(ewsd.begin() + 0x3A630, ewsd.begin() + 0x3A634), "EWSD");
}

TEST_F(RomBuilderTest, ExistingImageIsReplacedWithoutBackup) {
  TickOnly({Check::romMMCFChk, Check::sysExistBackupChk});
  fs.PutFile("E:\\Skylarch_MMCF_MaxMedia_CF.nds", "old image");
  CreateROMImages(ctx);
  EXPECT_EQ(fs.Get("E:\\Skylarch_MMCF_MaxMedia_CF.nds")->size(), 323136u);
  EXPECT_FALSE(fs.Get("E:\\Skylarch_MMCF_MaxMedia_CF.nds.bak"));
  EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(RomBuilderTest, ImagesGoBelowAFolderRootToo) {
  root = "E:\\cards\\a\\";
  TickOnly({Check::romM3CFChk});
  CreateROMImages(ctx);
  EXPECT_EQ(fs.Get("E:\\cards\\a\\Skylarch_M3CF_M3_CF.nds")->size(), 323648u);
}

TEST_F(RomBuilderTest, MissingBootstrapSkipsOnlyItsRows) {
  auto files = std::vector<PayloadFile>{{"_BOOT_MP.nds", StandinEntry("_BOOT_MP.nds")},
                                        {kM3, StandinEntry(kM3)}};
  const ResFile catalogue = test::CatalogueOf(files);
  TickOnly({Check::romMPCFChk, Check::romSCCFChk, Check::romSCSDChk, Check::romM3CFChk});
  fs.PutFile("E:\\Skylarch_SCSD_SuperCard_SD.nds", "older image");
  // Planned first, as a setup does: the planning pass tells nothing and writes nothing.
  WritePlan plan(fs);
  PlanningSink planning(plan);
  InstallContext planned{planning, catalogue, choices, root};
  CreateROMImages(planned);
  EXPECT_TRUE(ui.messages.empty());
  InstallingSink installing(fs, log, ui, &plan);
  InstallContext c{installing, catalogue, choices, root};
  CreateROMImages(c);
  EXPECT_EQ(ui.messages, std::vector<std::string>(2, std::string("no file found. [") + kSC + "]"));
  EXPECT_EQ(ui.endRequests, 2);
  EXPECT_EQ(Writes(),
            (std::vector<std::string>{"E:\\_BOOT_MP.nds", "E:\\Skylarch_M3CF_M3_CF.nds"}));
  EXPECT_FALSE(fs.Get("E:\\Skylarch_SCCF_SuperCard_CF.nds"));
  EXPECT_EQ(fs.Text("E:\\Skylarch_SCSD_SuperCard_SD.nds"), "older image");
  EXPECT_EQ(LogLines().size(), 4u);
}

TEST_F(RomBuilderTest, MissingProgramImageWritesNothing) {
  const ResFile catalogue = test::CatalogueOf({{kSC, StandinEntry(kSC)}});
  InstallContext c{sink, catalogue, choices, root};
  TickOnly({Check::romSCCFChk, Check::romMMCFChk});
  CreateROMImages(c);
  EXPECT_EQ(ui.messages, std::vector<std::string>(2, "no file found. [_BOOT_MP.nds]"));
  EXPECT_TRUE(Writes().empty());
}

TEST_F(RomBuilderTest, MissingMarkerIsToldAndTheImageStillWritten) {
  Bytes program = B(std::string(100, 'p'));
  const ResFile catalogue =
      test::CatalogueOf({{"_BOOT_MP.nds", program}, {kSC, B(std::string(512, 'b'))}});
  InstallContext c{sink, catalogue, choices, root};
  TickOnly({Check::romSCSDChk, Check::romEWSDChk});
  CreateROMImages(c);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{std::string(kNoMarker) + "SCSD)",
                                                   std::string(kNoMarker) + "EWSD)"}));
  EXPECT_EQ(ui.endRequests, 0);
  EXPECT_EQ(fs.Text("E:\\Skylarch_SCSD_SuperCard_SD.nds"),
            std::string(512, 'b') + std::string(100, 'p'));
  EXPECT_EQ(fs.Get("E:\\Skylarch_EWSD_Ewin2_MicroSD.nds"), program);
}

TEST_F(RomBuilderTest, FullCardStopsAtThatImageAndKeepsEarlierOnes) {
  TickOnly({Check::romMPCFChk, Check::romSCCFChk, Check::romSCSDChk});
  fs.Mount("E:\\", 1, 323136 + 1000);
  const std::string text = ErrorOf([&] { CreateROMImages(ctx); });
  EXPECT_NE(text.find("E:\\Skylarch_SCCF_SuperCard_CF.nds"), std::string::npos) << text;
  EXPECT_EQ(fs.Get("E:\\_BOOT_MP.nds"), StandinEntry("_BOOT_MP.nds"));
  EXPECT_FALSE(fs.Get("E:\\Skylarch_SCSD_SuperCard_SD.nds"));
  EXPECT_EQ(LogLines().size(), 2u);
  EXPECT_EQ(caption.caption, "Create ROM image and copy to \"E:\\Skylarch_SCCF_SuperCard_CF.nds\"");
}

TEST_F(RomBuilderTest, WriteProtectedCardFailsAtTheFirstRow) {
  fs.WriteProtectBelow("E:\\");
  const std::string text = ErrorOf([&] { CreateROMImages(ctx); });
  EXPECT_NE(text.find("E:\\_BOOT_MP.nds"), std::string::npos) << text;
  EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(RomBuilderTest, EmptyTargetRootIsRefused) {
  root.clear();
  TickOnly({Check::romMPCFChk});
  const std::string text = ErrorOf([&] { CreateROMImages(ctx); });
  EXPECT_NE(text.find("\"_BOOT_MP.nds\""), std::string::npos) << text;
  EXPECT_TRUE(Writes().empty());
}

}  // namespace
}  // namespace setup
