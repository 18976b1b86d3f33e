#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "template/TreeSink.h"

namespace loom {

// A tree sink that keeps the nodes in memory: the outline of a template without a view
// (the CLI prints it, tests compare it). Node handles are indices into `nodes()`.
class TreeOutline final : public TreeSink {
  public:
    enum class Kind { Root, Group, Page };
    struct Node {
        Kind kind = Kind::Root;
        std::string name;  // title, group name or page name (code page 1252)
        int pageNumber = -1;
        int parent = -1;
        std::vector<int> children;
    };

    void setRedraw(bool on) override { redraw_ = on; }
    void clear() override { nodes_.clear(); }
    int addRoot(std::string_view title) override;
    int addGroup(int parent, std::string_view name) override;
    int addPage(int parent, std::string_view name, int pageNumber) override;

    const std::vector<Node>& nodes() const { return nodes_; }
    bool redraw() const { return redraw_; }

  private:
    int add(Kind kind, int parent, std::string_view name, int pageNumber);

    std::vector<Node> nodes_;
    bool redraw_ = true;
};

}  // namespace loom
