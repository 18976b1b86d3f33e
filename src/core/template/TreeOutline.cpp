#include "template/TreeOutline.h"

namespace loom {

int TreeOutline::addRoot(std::string_view title) {
    return add(Kind::Root, -1, title, -1);
}

int TreeOutline::addGroup(int parent, std::string_view name) {
    return add(Kind::Group, parent, name, -1);
}

int TreeOutline::addPage(int parent, std::string_view name, int pageNumber) {
    return add(Kind::Page, parent, name, pageNumber);
}

int TreeOutline::add(Kind kind, int parent, std::string_view name, int pageNumber) {
    const int handle = static_cast<int>(nodes_.size());
    nodes_.push_back(Node{kind, std::string(name), pageNumber, parent, {}});
    if (parent >= 0 && parent < handle)
        nodes_[static_cast<std::size_t>(parent)].children.push_back(handle);
    return handle;
}

}  // namespace loom
