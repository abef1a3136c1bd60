#include "Pack.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

namespace setup {

namespace {

void Put32(Bytes& out, std::size_t at, std::uint64_t value) {
  for (int k = 0; k < 4; ++k) out[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw OpenError(path.string(), "The file cannot be opened.");
  Bytes data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw Error("Cannot read file \"" + path.string() + "\".");
  return data;
}

void Walk(const std::filesystem::path& dir, const std::string& prefix,
          std::vector<PayloadFile>& out) {
  std::error_code ec;
  std::vector<std::pair<std::string, bool>> children;  // name, is folder
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    children.emplace_back(it->path().filename().string(), it->is_directory());
  }
  if (ec) throw Error("Cannot read folder \"" + dir.string() + "\". " + ec.message());
  std::sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
    if (a.second != b.second) return !a.second;  // files first
    const std::string ua = UpperAscii(a.first), ub = UpperAscii(b.first);
    return ua != ub ? ua < ub : a.first < b.first;
  });
  for (const auto& [name, isFolder] : children) {
    if (isFolder) {
      Walk(dir / name, prefix + name + "\\", out);
    } else {
      out.push_back({prefix + name, ReadFile(dir / name)});
    }
  }
}

}  // namespace

Bytes PackArchive(const std::vector<PayloadFile>& files) {
  std::uint64_t total = 4 + 12 * static_cast<std::uint64_t>(files.size());
  for (const auto& f : files) {
    if (f.name.empty() || f.name.find('\0') != std::string::npos) {
      throw Error("Cannot pack an entry named \"" + f.name + "\": empty or with a zero byte.");
    }
    total += f.name.size() + 1 + f.data.size();
  }
  if (total > std::numeric_limits<std::uint32_t>::max()) {
    throw Error("Cannot pack " + std::to_string(total) + " bytes: the archive is limited to 4 GB.");
  }
  Bytes out(static_cast<std::size_t>(total));
  Put32(out, 0, files.size());
  std::size_t at = 4 + 12 * files.size();
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto& f = files[i];
    const std::size_t record = 4 + 12 * i;
    Put32(out, record, at);
    std::copy(f.name.begin(), f.name.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    at += f.name.size() + 1;  // the zero byte is already there
    Put32(out, record + 4, at);
    Put32(out, record + 8, f.data.size());
    std::copy(f.data.begin(), f.data.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    at += f.data.size();
  }
  return out;
}

std::vector<PayloadFile> ReadPayloadFolder(const std::string& folder) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    throw Error("Cannot read folder \"" + folder + "\". It is not a folder.");
  }
  std::vector<PayloadFile> files;
  Walk(folder, "", files);
  return files;
}

}  // namespace setup
