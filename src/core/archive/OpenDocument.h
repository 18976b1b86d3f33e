#pragma once

#include <filesystem>

namespace loom {

// What export needs of the system that is open in the program: its file, whether it has
// unsaved changes, and a way to save them (the document shows its own messages).
class OpenDocument {
  public:
    virtual ~OpenDocument() = default;
    // Empty while the system has never been saved.
    virtual std::filesystem::path path() const = 0;
    virtual bool modified() const = 0;
    // True when the file on the disk now holds every change.
    virtual bool save() = 0;
};

}  // namespace loom
