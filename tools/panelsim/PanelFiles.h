#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "PanelConfig.h"
#include "fields/PromImage.h"

namespace loom::panelsim {

// The PROM image file: one line per block that is not all 0xFF, in address order, the
// address as 5 hexadecimal digits, a blank and the 16 bytes as 32 hexadecimal digits
// ("00020 4B4C...") - what "loomcraft-cli data image" prints. Reading also takes lower
// case, CR LF, blank lines and lines starting with '#'; a block must lie inside the
// 128 KiB PROM at a multiple of 16 and appear once.
bool parseImageText(std::string_view text, PromImage& image, std::string& error);
std::string formatImageText(const PromImage& image);

// The event log file, as the program's LOG files: one record a line as 32 hexadecimal
// digits, oldest first. Reading takes LF or CR LF and skips blank lines.
bool parseLogText(std::string_view text, std::vector<LogRecord>& log, std::string& error);
// Lines end in CR LF, as on the program's disk.
std::string formatLogText(const std::vector<LogRecord>& log);

// A missing image file is an erased PROM: the first session creates the file.
bool loadImageFile(const std::filesystem::path& path, PromImage& image, std::string& error);
// Replaces the file atomically: readers see the old panel or the whole new one.
bool saveImageFile(const std::filesystem::path& path, const PromImage& image, std::string& error);
bool loadLogFile(const std::filesystem::path& path, std::vector<LogRecord>& log,
                 std::string& error);

}  // namespace loom::panelsim
