// The only place where text changes encoding: UTF-8 inside the program, UTF-16 for the wide
// Win32 API, the system's ANSI code page for files whose encoding is an external interface.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// <windows.h> maps DeleteFile to DeleteFileW, which would rename FileSystem::DeleteFile in every
// file that includes it before Platform.h.
#undef DeleteFile

namespace setup {

std::wstring ToWide(std::string_view utf8);
std::string ToUtf8(std::wstring_view wide);
// UTF-8 to the bytes of the system's ANSI code page (CP_ACP); unmappable characters become the
// code page's default character.
std::string ToAnsi(std::string_view utf8);
// The system's message for an error code, without its trailing line end.
std::string SystemReason(DWORD error);

}  // namespace setup
