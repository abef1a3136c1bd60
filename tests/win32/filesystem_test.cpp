#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Win32TestSupport.h"
#include "platform/win32/Win32Platform.h"

namespace setup::test {
namespace {

Bytes Pattern(std::size_t size) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return b;
}

std::string Str(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

// The text of the error that f throws, "" when it throws none.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// The error names the file and carries a reason after the fixed part.
void ExpectNamed(const std::string& text, const std::string& head) {
  ASSERT_EQ(text.rfind(head, 0), 0u) << text;
  EXPECT_GT(text.size(), head.size() + 2) << "no system reason in: " << text;
}

class FileSystemTest : public testing::Test {
 protected:
  Scratch scratch;
  Win32FileSystem fs;
};

TEST_F(FileSystemTest, TellsFilesFromFolders) {
  RawWrite(scratch.Path("file.txt"), "x");
  ASSERT_TRUE(CreateDirectoryW(ToWide(scratch.Path("sub")).c_str(), nullptr));
  struct Case {
    std::string name;
    bool file, folder;
  } cases[] = {{"file.txt", true, false}, {"FILE.TXT", true, false}, {"sub", false, true},
               {"sub\\", false, true},    {"missing", false, false}, {"missing\\x", false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(fs.FileExists(scratch.Path(c.name)), c.file) << c.name;
    EXPECT_EQ(fs.FolderExists(scratch.Path(c.name)), c.folder) << c.name;
  }
}

// Largest first, so that each write also replaces longer old content.
TEST_F(FileSystemTest, WritesAndReadsWholeFiles) {
  const std::string path = scratch.Path("data.bin");
  for (std::size_t size : {std::size_t{3 << 20}, std::size_t{1}, std::size_t{0}}) {
    fs.WriteWholeFile(path, Pattern(size));
    EXPECT_EQ(RawRead(path), Str(Pattern(size))) << size;
    EXPECT_EQ(fs.ReadWholeFile(path), Pattern(size)) << size;
  }
}

TEST_F(FileSystemTest, NamesOutsideAsciiReachTheSystemAsUnicode) {
  const std::string name = "インストール先\\ファイル.ini";
  ASSERT_TRUE(fs.CreateFolders(scratch.Path("インストール先")));
  fs.WriteWholeFile(scratch.Path(name), Pattern(10));
  const std::wstring wide = ToWide(scratch.Path(name));
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(wide.find(L"インストール先\\ファイル.ini"), std::wstring::npos);
  EXPECT_TRUE(fs.FileExists(scratch.Path(name)));
  EXPECT_EQ(fs.ReadWholeFile(scratch.Path(name)), Pattern(10));
}

// The files of the scratch folder, without sub-folders: a temporary file left behind shows here.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW(ToWide(folder + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(ToUtf8(found.cFileName));
  } while (FindNextFileW(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

// Whatever keeps the new bytes from taking the target's place, the target keeps its old bytes
// and no temporary file stays.
TEST_F(FileSystemTest, FailedReplacementKeepsTheOldFile) {
  const std::string held = scratch.Path("held.ini");
  const std::string readOnly = scratch.Path("readonly.ini");
  RawWrite(held, "held bytes");
  RawWrite(readOnly, "read-only bytes");
  ASSERT_TRUE(CreateDirectoryW(ToWide(scratch.Path("folder.ini")).c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesW(ToWide(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
  {
    HeldFile other(held, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(other.Valid());
    ExpectNamed(ErrorOf([&] { fs.WriteWholeFile(held, Pattern(5000)); }),
                "Cannot create file \"" + held + "\". ");
  }
  ExpectNamed(ErrorOf([&] { fs.WriteWholeFile(readOnly, Pattern(5000)); }),
              "Cannot create file \"" + readOnly + "\". ");
  ExpectNamed(ErrorOf([&] { fs.WriteWholeFile(scratch.Path("folder.ini"), Pattern(5)); }),
              "Cannot create file \"" + scratch.Path("folder.ini") + "\". ");
  SetFileAttributesW(ToWide(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(RawRead(held), "held bytes");
  EXPECT_EQ(RawRead(readOnly), "read-only bytes");
  EXPECT_TRUE(fs.FolderExists(scratch.Path("folder.ini")));
  EXPECT_EQ(FilesIn(scratch.Folder()), (std::vector<std::string>{"held.ini", "readonly.ini"}));
}

// A crash can leave the temporary file, even read-only; the next write of the target takes it.
TEST_F(FileSystemTest, LeftoverOfACrashIsOverwritten) {
  const std::string target = scratch.Path("global.ini");
  const std::string leftover = ReplacementPath(target);
  RawWrite(leftover, "half of an earlier write");
  ASSERT_TRUE(SetFileAttributesW(ToWide(leftover).c_str(), FILE_ATTRIBUTE_READONLY));
  fs.WriteWholeFile(target, Pattern(10));
  EXPECT_EQ(RawRead(target), Str(Pattern(10)));
  EXPECT_EQ(FilesIn(scratch.Folder()), std::vector<std::string>{"global.ini"});
}

// A handle held by someone else, even one that shares everything, must make every open fail:
// the file system asks for no sharing at all.
TEST_F(FileSystemTest, OpensShareNothing) {
  const std::string path = scratch.Path("held.txt");
  RawWrite(path, "kept");
  {
    HeldFile held(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(held.Valid());
    ExpectNamed(ErrorOf([&] { fs.ReadWholeFile(path); }), "Cannot open file \"" + path + "\". ");
    ExpectNamed(ErrorOf([&] { fs.WriteWholeFile(path, Pattern(3)); }),
                "Cannot create file \"" + path + "\". ");
    ExpectNamed(ErrorOf([&] { fs.AppendLine(path, "more"); }),
                "Cannot open file \"" + path + "\". ");
  }
  EXPECT_EQ(RawRead(path), "kept");
  // Each failed call closed whatever it had opened: the file is free again.
  HeldFile alone(path, GENERIC_READ | GENERIC_WRITE, 0);
  EXPECT_TRUE(alone.Valid());
}

TEST_F(FileSystemTest, FailuresNameTheFileAndTheReason) {
  RawWrite(scratch.Path("plain"), "");
  ASSERT_TRUE(CreateDirectoryW(ToWide(scratch.Path("folder")).c_str(), nullptr));
  const std::string missing = scratch.Path("missing.txt");
  const std::string noFolder = scratch.Path("nofolder\\x.txt");
  const std::string folder = scratch.Path("folder");
  const std::string underFile = scratch.Path("plain\\x.txt");

  ExpectNamed(ErrorOf([&] { fs.ReadWholeFile(missing); }),
              "Cannot open file \"" + missing + "\". ");
  ExpectNamed(ErrorOf([&] { fs.ReadWholeFile(folder); }), "Cannot open file \"" + folder + "\". ");
  for (const auto& path : {noFolder, folder, underFile}) {
    ExpectNamed(ErrorOf([&] { fs.WriteWholeFile(path, Pattern(3)); }),
                "Cannot create file \"" + path + "\". ");
    ExpectNamed(ErrorOf([&] { fs.AppendLine(path, "line"); }),
                "Cannot open file \"" + path + "\". ");
  }
  EXPECT_FALSE(fs.FileExists(missing));
  EXPECT_TRUE(fs.FolderExists(folder));
}

TEST_F(FileSystemTest, AppendLineCreatesThenAppendsWithCrLf) {
  const std::string path = scratch.Path("Setup.log");
  fs.AppendLine(path, "StartPath=C:\\Temp\\");
  EXPECT_EQ(RawRead(path), "StartPath=C:\\Temp\\\r\n");
  fs.AppendLine(path, "");
  fs.AppendLine(path, "TargetPath=E:\\");
  EXPECT_EQ(RawRead(path), "StartPath=C:\\Temp\\\r\n\r\nTargetPath=E:\\\r\n");
}

// The log is written in the system's ANSI code page; run.sh starts Wine with code page 932.
TEST_F(FileSystemTest, AppendLineWritesTheAnsiCodePage) {
  struct Case {
    UINT codePage;
    std::string line;
    std::string bytes;
  } cases[] = {
      {932, "copy \"テスト\"", "copy \"\x83\x65\x83\x58\x83\x67\""},
      {932, "アダプタID",
       "\x83\x41\x83\x5f\x83\x76\x83\x5e"
       "ID"},
      {932, "ﾃｽﾄ", "\xc3\xbd\xc4"},
      {1252, "café", "caf\xe9"},
  };
  int checked = 0;
  for (const auto& c : cases) {
    if (c.codePage != GetACP()) continue;
    const std::string path = scratch.Path("ansi" + std::to_string(++checked) + ".log");
    fs.AppendLine(path, c.line);
    EXPECT_EQ(RawRead(path), c.bytes + "\r\n") << c.line;
  }
  ASSERT_GT(checked, 0) << "no case for ANSI code page " << GetACP();
}

TEST_F(FileSystemTest, DeleteFileReportsWhetherAFileWent) {
  const std::string path = scratch.Path("gone.txt");
  RawWrite(path, "x");
  EXPECT_TRUE(fs.DeleteFile(path));
  EXPECT_FALSE(fs.FileExists(path));
  EXPECT_FALSE(fs.DeleteFile(path));
  ASSERT_TRUE(CreateDirectoryW(ToWide(scratch.Path("dir")).c_str(), nullptr));
  EXPECT_FALSE(fs.DeleteFile(scratch.Path("dir")));
  EXPECT_TRUE(fs.FolderExists(scratch.Path("dir")));
}

TEST_F(FileSystemTest, CreateFoldersMakesEveryMissingParent) {
  RawWrite(scratch.Path("afile"), "x");
  struct Case {
    std::string path;
    bool created;
    std::string check;  // a folder that must exist afterwards
  } cases[] = {
      {scratch.Path("a\\b\\c\\"), true, scratch.Path("a\\b\\c")},
      {scratch.Path("a\\b\\c"), true, scratch.Path("a\\b\\c")},
      {scratch.Path("d\\e\\\\"), true, scratch.Path("d\\e")},
      {scratch.Path("f/g/h"), true, scratch.Path("f\\g\\h")},
      {scratch.Path("Skylarch\\banner\\"), true, scratch.Path("Skylarch\\banner")},
      {scratch.Path("afile\\sub\\"), false, ""},
      {scratch.Path("afile"), false, ""},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fs.CreateFolders(c.path), c.created) << c.path;
    if (!c.check.empty()) {
      EXPECT_TRUE(fs.FolderExists(c.check)) << c.check;
    }
  }
  EXPECT_TRUE(fs.FileExists(scratch.Path("afile")));
}

TEST_F(FileSystemTest, CreateFoldersTakesDriveRoots) {
  wchar_t windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 2u);
  const std::string drive = ToUtf8(std::wstring(windows, 2));  // "C:"
  EXPECT_TRUE(fs.CreateFolders(drive + "\\"));
  EXPECT_TRUE(fs.CreateFolders(drive));
  // A letter with no drive behind it cannot be made.
  const DWORD used = GetLogicalDrives();
  for (int i = 25; i >= 3; --i) {
    if (used & (1u << i)) continue;
    const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
    EXPECT_FALSE(fs.CreateFolders(root)) << root;
    EXPECT_FALSE(fs.CreateFolders(root + "x\\y\\")) << root;
    break;
  }
}

// A small RAM disk mapped as a drive by run.sh: a full card for real.
class FullMediumTest : public FileSystemTest {
 protected:
  void SetUp() override {
    const char* root = std::getenv("SETUP_FULL_DRIVE");
    if (!root || !*root) GTEST_SKIP() << "no small drive mapped (SETUP_FULL_DRIVE)";
    folder_ = std::string(root) + "full" + std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(fs.CreateFolders(folder_));
  }
  void TearDown() override {
    if (!folder_.empty()) RemoveTree(ToWide(folder_.substr(0, folder_.size() - 1)));
  }
  std::string folder_;
};

// The card fills up while a file is replaced: the error names the file with the system's
// reason, the old bytes stay whole, and the temporary file is gone.
TEST_F(FullMediumTest, ShortWriteKeepsTheOldFile) {
  const std::string path = folder_ + "big.nds";
  fs.WriteWholeFile(path, Pattern(1000));
  const std::string text = ErrorOf([&] { fs.WriteWholeFile(path, Pattern(4 << 20)); });
  ExpectNamed(text, "Cannot write file \"" + path + "\". ");
  EXPECT_NE(text.find(SystemReason(ERROR_DISK_FULL)), std::string::npos) << text;
  EXPECT_EQ(RawRead(path), Str(Pattern(1000)));
  EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"big.nds"});
}

TEST_F(FullMediumTest, AppendOnAFullMediumIsAnError) {
  // A failed write leaves nothing behind, so the card is filled with files that fit.
  for (int n = 0; n < 100; ++n) {
    const std::string filler = folder_ + "filler" + std::to_string(n) + ".bin";
    if (!ErrorOf([&] { fs.WriteWholeFile(filler, Pattern(64 << 10)); }).empty()) break;
  }
  const std::string log = folder_ + "Setup.log";
  const std::string text = ErrorOf([&] {
    for (int i = 0; i < 1000; ++i) fs.AppendLine(log, std::string(1000, 'x'));
  });
  EXPECT_NE(text.find(log), std::string::npos) << text;
}

}  // namespace
}  // namespace setup::test
