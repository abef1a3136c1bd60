// The developer option: every archive entry written below a folder.
#pragma once

#include <string>

#include "archive/resfile.h"

namespace setup {

// folder is a full folder path ending with "\". Shows "Extracted. [folder]" when done.
void ExtractAll(const ResFile& catalogue, FileSystem& fs, Ui& ui, const std::string& folder);

}  // namespace setup
