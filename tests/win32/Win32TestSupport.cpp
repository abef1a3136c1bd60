#include "Win32TestSupport.h"

#include <gtest/gtest.h>

#include "platform/win32/Win32Platform.h"

namespace setup::test {

Scratch::Scratch() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  static unsigned counter = 0;
  std::wstring folder = std::wstring(temp, n) + L"win32_tests_" +
                        std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
  RemoveTree(folder);
  if (!CreateDirectoryW(folder.c_str(), nullptr))
    throw Error("Cannot create scratch folder. " + SystemReason(GetLastError()));
  folder_ = ToUtf8(folder) + "\\";
}

Scratch::~Scratch() {
  RemoveTree(ToWide(folder_.substr(0, folder_.size() - 1)));
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }
  RemoveDirectoryW(folder.c_str());
}

std::string RawRead(const std::string& path) {
  const HANDLE h = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw Error("RawRead: cannot open " + path);
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

void RawWrite(const std::string& path, const std::string& bytes) {
  const HANDLE h =
      CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw Error("RawWrite: cannot create " + path);
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  if (!ok || written != bytes.size()) throw Error("RawWrite: cannot write " + path);
}

HeldFile::HeldFile(const std::string& path, DWORD access, DWORD share)
    : h_(CreateFileW(ToWide(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}

HeldFile::~HeldFile() {
  if (Valid()) CloseHandle(h_);
}

std::string QuotedSelf() {
  return "\"" + Win32Module().ExePath() + "\"";
}

namespace {

void WriteText(const std::wstring& file, const std::string& text) {
  RawWrite(ToUtf8(file), text);
}

}  // namespace

bool RunChildMode(int argc, wchar_t** argv, int& exitCode) {
  if (argc < 3) return false;
  const std::wstring mode = argv[1];
  exitCode = 0;
  if (mode == L"--child-sleep") {
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    return true;
  }
  if (mode == L"--child-sleep-write" && argc >= 4) {
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    WriteText(argv[3], "done");
    return true;
  }
  if (mode == L"--child-report") {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    wchar_t cwd[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, cwd);
    WriteText(argv[2], "flags=" + std::to_string(si.dwFlags) +
                           " show=" + std::to_string(si.wShowWindow) +
                           " cwd=" + ToUtf8(std::wstring_view(cwd, n)));
    return true;
  }
  return false;
}

void PumpingUi::ProcessMessages() {
  ++pumps;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace setup::test
