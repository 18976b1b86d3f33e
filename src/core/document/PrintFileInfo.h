#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

class Clock;
class FileSystem;

// The four lines of the printed file information (code page 1252): "Produkt: " and the
// product model, "Skapad :" and the creation date and "Dator: " and the computer's letter
// (both read from the file's identifier in its name; empty for another name), "Ändrad: "
// and the file's last change (empty when it has not been written yet).
std::vector<std::string> printFileInfo(std::string_view product, const std::filesystem::path& file,
                                       const Clock& clock, FileSystem& files);

}  // namespace loom
