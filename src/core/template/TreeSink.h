#pragma once

#include <string_view>

namespace loom {

// What the parser tells the tree view while it reads a template: the root with the
// template's title, the groups and the pages in file order. Node handles are the
// sink's own; the parser only hands them back as parents.
class TreeSink {
  public:
    virtual ~TreeSink() = default;

    // Drawing off while the tree is rebuilt, on again when the load ends (either way).
    virtual void setRedraw(bool on) = 0;
    virtual void clear() = 0;
    virtual int addRoot(std::string_view title) = 0;
    virtual int addGroup(int parent, std::string_view name) = 0;
    // `pageNumber` is the page's index in the form (0 for the file's first page).
    virtual int addPage(int parent, std::string_view name, int pageNumber) = 0;
};

// For loads that show no tree (index, fuzzing, benchmarks).
class NullTreeSink final : public TreeSink {
  public:
    void setRedraw(bool) override {}
    void clear() override {}
    int addRoot(std::string_view) override { return 0; }
    int addGroup(int, std::string_view) override { return 0; }
    int addPage(int, std::string_view, int) override { return 0; }
};

}  // namespace loom
