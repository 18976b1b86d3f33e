#pragma once

#include <filesystem>
#include <string_view>

#include "fields/FieldStore.h"

namespace loom {

class AppContext;

// Saves `values` as a new system in FILES (made when missing), never over another file:
// named by the file identifier `fileId` when no file has that name, otherwise by the same
// computer's identifier of each next second until a free one is found, so that systems
// made within one second, or on two computers with one letter, all keep their files.
// The path taken; empty after a failure (reported when `reportErrors`).
std::filesystem::path SaveNewDataFile(AppContext& context, std::string_view fileId,
                                      std::string_view templateName, std::string_view password,
                                      const FieldStore& values, bool reportErrors);

}  // namespace loom
