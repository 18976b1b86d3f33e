#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace loom {

class AppContext;

// The two text indexes of the archive, below INDEX: one line per data file (its display
// name) and one per template. Lines end in CR LF, fields are separated by one TAB and the
// first field is the line's key; a last line without its end was cut short by a failed
// write and is skipped (a change drops it). Each operation opens the index without
// sharing and closes it again; a change creates a missing index, a search takes it for
// empty. When it cannot be opened message 4 (with the reason) is shown as a warning and
// the operation fails.
inline constexpr std::string_view kDataIndex = "DATA.KQI";
inline constexpr std::string_view kFormIndex = "FORM.KQI";

class IndexEngine {
  public:
    explicit IndexEngine(AppContext& context) : context_(context) {}

    // Removes line feeds from `line`, removes the line with the same key, then appends it.
    bool StoreIndexLine(std::string_view indexName, std::string_view line);
    // Removes the first line whose key is `key` (exact); true when a line was removed.
    bool RemoveIndexLine(std::string_view indexName, std::string_view key);
    // Appends every line that matches all keywords to `list`, in file order.
    bool SearchIndex(std::string_view indexName, const std::vector<std::string>& keywords,
                     std::vector<std::string>& list);

    // The key of a line: the text before its first TAB (the whole line without one).
    static std::string_view keyOf(std::string_view line);
    // True when every keyword occurs, upper-cased as code page 1252, in the upper-cased
    // text after the line's first TAB. A line without a TAB has an empty text, in which
    // only the empty keyword occurs.
    static bool lineMatches(std::string_view line, const std::vector<std::string>& keywords);
    // SearchIndex on an index's content already in memory: every whole line (without its
    // end) that matches all keywords, appended to `list` in content order.
    static void searchContent(std::string_view content, const std::vector<std::string>& keywords,
                              std::vector<std::string>& list);

  private:
    AppContext& context_;
};

}  // namespace loom
