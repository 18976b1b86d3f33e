#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/PromDocument.h"
#include "fields/FieldStore.h"
#include "template/DialogUnits.h"
#include "template/FormControl.h"

namespace loom {

// A PROM field of the template that a read has not filled yet.
struct PromDocument::WaitingField {
    std::uint64_t end = 0;  // the byte address just past its last byte
    FieldRecord* record = nullptr;
    std::vector<FormControl*> controls;  // every control that shows it
    std::vector<int> pages;              // the pages of those controls, each once
};

// The document's state that its header need not show.
struct PromDocument::Impl {
    DialogUnits units{8, 16, 2, 2};
    BitmapLookup* bitmaps = nullptr;
    bool readsPictures = false;
    // The template's values as loaded: what a reset goes back to.
    FieldStore defaults;
    // The name AssignNewFileName gave, not yet taken by a save: while it is the path, a
    // save makes a new file (under it or the next free name) instead of replacing one.
    std::filesystem::path newPath;

    // The PROM read under way or last done.
    std::vector<WaitingField> waiting;  // ordered by `end`
    std::size_t nextWaiting = 0;        // fields before it are filled
    std::vector<int> pagePending;       // per page: its fields still waiting
    std::vector<char> pageDiffers;      // per page: a field differs from the file
    bool readFinished = false;
    std::string readFileId;     // the valid FileId the PROM holds, or empty
    FieldStore comparedValues;  // the archived file with that id
    std::vector<FieldDifference> differences;
};

}  // namespace loom
