#include "platform/win32/Win32Platform.h"

namespace setup {

std::string Win32Profile::ReadString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& def) {
  wchar_t buffer[2048];
  const DWORD n = GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(),
                                           ToWide(def).c_str(), buffer, 2048, ToWide(file).c_str());
  return ToUtf8(std::wstring_view(buffer, n));
}

void Win32Profile::WriteString(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value) {
  if (!WritePrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(),
                                  ToWide(value).c_str(), ToWide(file).c_str()))
    throw Error(file + " に書き込めません");
}

void Win32Profile::Flush(const std::string& file) {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, ToWide(file).c_str());
}

}  // namespace setup
