#include "platform/Paths.h"

namespace setup {

namespace {
std::string::size_type LastDelimiter(const std::string& path) {
  return path.find_last_of("\\:");
}
}  // namespace

std::string ExtractFilePath(const std::string& path) {
  const auto p = LastDelimiter(path);
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& path) {
  const auto p = LastDelimiter(path);
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileExt(const std::string& path) {
  const auto dot = path.rfind('.');
  const auto sep = LastDelimiter(path);
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
  return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const std::string old = ExtractFileExt(path);
  return path.substr(0, path.size() - old.size()) + ext;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace setup
