#pragma once

#include <string>
#include <vector>

class QTreeWidget;

namespace loom {

// Fills a flat list with rows whose columns are separated by TAB (code page 1252): one
// item per row, as many columns as the widest row, each column as wide as its widest text.
void fillTabbedRows(QTreeWidget* list, const std::vector<std::string>& rows);

}  // namespace loom
