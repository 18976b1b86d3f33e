#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <QString>

namespace loom {

// The one crossing between the core's code page 1252 texts and Qt's strings, and between
// file-system paths and the paths Qt shows and takes. The program and the CLI both use it.
QString toQt(std::string_view cp1252);
// Characters code page 1252 cannot hold become '?'; `lossy` (when given) is set then.
std::string fromQt(const QString& text, bool* lossy = nullptr);

QString pathToQt(const std::filesystem::path& path);
std::filesystem::path pathFromQt(const QString& path);

}  // namespace loom
