// Path text rules shared by the core; paths are Windows-form UTF-8 strings.
#pragma once

#include <string>

namespace setup {

// Everything up to and including the last "\" or ":" ("" when there is none).
std::string ExtractFilePath(const std::string& path);
// The part after the last "\" or ":".
std::string ExtractFileName(const std::string& path);
// From the last "." after the last "\" or ":", the dot included; "" when there is none.
std::string ExtractFileExt(const std::string& path);
// Replaces the extension (or appends ext when there is none).
std::string ChangeFileExt(const std::string& path, const std::string& ext);
// ASCII letters folded to lower case; other bytes (UTF-8 sequences) stay as they are.
std::string LowerAscii(std::string text);

}  // namespace setup
