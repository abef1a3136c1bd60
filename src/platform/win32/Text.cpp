#include "platform/win32/Text.h"

#include <climits>

namespace setup {

namespace {

// The conversion calls count in int; longer texts do not occur in this program.
int Length(std::size_t size) {
  return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

std::string FromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), Length(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, wide.data(), Length(wide.size()), out.data(), n, nullptr,
                        nullptr);
  return out;
}

}  // namespace

std::wstring ToWide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), Length(utf8.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), Length(utf8.size()), out.data(), n);
  return out;
}

std::string ToUtf8(std::wstring_view wide) {
  return FromWide(CP_UTF8, wide);
}

std::string ToAnsi(std::string_view utf8) {
  return FromWide(CP_ACP, ToWide(utf8));
}

std::string SystemReason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (n == 0 || text == nullptr) return "System error " + std::to_string(error) + ".";
  std::wstring_view message(text, n);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n'))
    message.remove_suffix(1);
  std::string reason = ToUtf8(message);
  LocalFree(text);
  return reason;
}

}  // namespace setup
