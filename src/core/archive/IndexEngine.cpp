#include "archive/IndexEngine.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "common/Cp1252.h"
#include "common/Messages.h"
#include "context/AppContext.h"
#include "platform/FileSystem.h"

namespace loom {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::vector<std::string> upperAll(const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    out.reserve(texts.size());
    for (const std::string& text : texts)
        out.push_back(cp1252Upper(text));
    return out;
}

// The index without a last line that has no line end: what a write cut short (a full
// disk) leaves. Its key may be cut too, so it is no line at all.
std::string_view wholeLines(std::string_view content) {
    const std::size_t feed = content.rfind('\n');
    return feed == std::string_view::npos ? std::string_view() : content.substr(0, feed + 1);
}

// The non-empty whole lines of an index, without their ends. Lines written by hand or by
// other tools may end in LF alone.
std::vector<std::string_view> splitLines(std::string_view content) {
    content = wholeLines(content);
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < content.size()) {
        const std::size_t end = content.find('\n', at);
        std::string_view line = content.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

// Code page 1252 upper-casing of `text` into `out` (at least as long), written without
// branches or a table so that the compiler can do many bytes at once: a search spends most
// of its time here.
void upperInto(std::string_view text, char* out) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    auto* to = reinterpret_cast<unsigned char*>(out);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = in[i];
        const bool ascii = static_cast<unsigned char>(c - 'a') < 26;
        const bool latin = static_cast<unsigned char>(c - 0xE0) < 31 && c != 0xF7;
        const bool caron = c == 0x9A || c == 0x9C || c == 0x9E;  // š œ ž
        const unsigned char down = static_cast<unsigned char>(
            ((ascii || latin) ? 32 : 0) | (caron ? 16 : 0) | (c == 0xFF ? 96 : 0));  // ÿ
        to[i] = static_cast<unsigned char>(c - down);
    }
}

// The first occurrence of `needle` in `text` at or after `from`. Positions whose first and
// last byte agree with the needle's are found a block at a time (a loop the compiler turns
// into vector compares); only those few are compared whole. Index lines repeat the same
// words, which makes a search that checks every first-byte match slow.
std::size_t findIn(std::string_view text, std::size_t from, std::string_view needle) {
    const std::size_t n = needle.size();
    if (from > text.size() || text.size() - from < n) return std::string_view::npos;
    if (n == 0) return from;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto first = static_cast<unsigned char>(needle.front());
    const auto last = static_cast<unsigned char>(needle.back());
    const std::size_t starts = text.size() - n + 1;  // positions where the needle fits
    constexpr std::size_t kBlock = 64;
    std::size_t i = from;
    for (; i + kBlock <= starts; i += kBlock) {
        std::array<unsigned char, kBlock> candidate;
        for (std::size_t k = 0; k < kBlock; ++k)
            candidate[k] =
                static_cast<unsigned char>((p[i + k] == first) & (p[i + k + n - 1] == last));
        std::array<std::uint64_t, kBlock / 8> words;
        std::memcpy(words.data(), candidate.data(), kBlock);
        if ((words[0] | words[1] | words[2] | words[3] | words[4] | words[5] | words[6] |
             words[7]) == 0)
            continue;
        for (std::size_t k = 0; k < kBlock; ++k) {
            if (candidate[k] != 0 && std::memcmp(p + i + k, needle.data(), n) == 0) return i + k;
        }
    }
    for (; i < starts; ++i) {
        if (p[i] == first && std::memcmp(p + i, needle.data(), n) == 0) return i;
    }
    return std::string_view::npos;
}

bool matchesUpper(std::string_view line, const std::vector<std::string>& upperKeywords) {
    // A line without a TAB has nothing to search: only the empty keyword occurs in it.
    const std::size_t tab = line.find('\t');
    const std::string text =
        tab == std::string_view::npos ? std::string() : cp1252Upper(line.substr(tab + 1));
    return std::all_of(upperKeywords.begin(), upperKeywords.end(),
                       [&text](const std::string& k) { return text.find(k) != std::string::npos; });
}

// Far beyond any archive (a line per data file); a larger file is not read into memory.
constexpr std::uint64_t kMaxIndexBytes = std::uint64_t{1} << 30;

// An index opened for one operation, with its content read.
struct OpenIndex {
    std::filesystem::path path;
    std::unique_ptr<LockedFile> file;
    std::string content;
};

// Message `what` with the index's path, and the reason below it.
void reportIndex(AppContext& context, MessageId what, const OpenIndex& index,
                 std::string_view reason) {
    context.prompt().show(fileMessage(what, index.path, reason), MessageKind::Warning);
}

// Opens the index for a change, creating it (and INDEX) when absent, and reads it.
bool openIndex(AppContext& context, std::string_view name, OpenIndex& index) {
    FileSystem& files = context.files();
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Index);
    if (!files.exists(folder)) files.createFolder(folder);
    index.path = context.programDirectory().file(ProgramFolder::Index, name);
    std::string error;
    index.file = files.openLocked(index.path, OpenMode::CreateIfAbsent, error);
    if (index.file && !index.file->readAll(index.content, kMaxIndexBytes))
        error = index.file->error();
    if (!index.file || !error.empty()) {
        index.file.reset();
        reportIndex(context, MessageId::CannotOpenFile, index, error);
        return false;
    }
    return true;
}

bool saved(AppContext& context, const OpenIndex& index, bool ok) {
    if (!ok) reportIndex(context, MessageId::CannotSaveFile, index, index.file->error());
    return ok;
}

// The lines of `window` (whole lines, upper-cased in `upper`) in which every needle occurs
// after the key; the first needle is searched through the whole window.
void searchWindow(std::string_view upper, std::string_view window,
                  const std::vector<std::string>& needles, std::vector<std::string>& list) {
    const std::string& first = needles.front();
    std::size_t at = 0;
    while (at < upper.size()) {
        const std::size_t hit = findIn(upper, at, first);
        if (hit == std::string_view::npos) return;
        const std::size_t feed = upper.rfind('\n', hit);
        const std::size_t lineStart = feed == std::string_view::npos ? 0 : feed + 1;
        const std::size_t nextFeed = upper.find('\n', hit);
        const std::size_t lineEnd = nextFeed == std::string_view::npos ? upper.size() : nextFeed;
        const std::size_t next = lineEnd + 1;
        std::size_t textEnd = lineEnd;
        if (textEnd > lineStart && upper[textEnd - 1] == '\r') --textEnd;
        const std::size_t tab = upper.find('\t', lineStart);
        if (tab == std::string_view::npos || tab >= textEnd) {
            at = next;  // nothing to search in a line without a TAB
            continue;
        }
        const std::size_t textStart = tab + 1;
        if (hit < textStart) {
            at = textStart;  // a hit in the key does not count; look on in the text
            continue;
        }
        if (hit + first.size() > textEnd) {
            at = next;  // any later hit in this line would end past it too
            continue;
        }
        const std::string_view text = upper.substr(textStart, textEnd - textStart);
        const bool matches = std::all_of(
            needles.begin() + 1, needles.end(),
            [text](const std::string& k) { return findIn(text, 0, k) != std::string_view::npos; });
        if (matches) list.emplace_back(window.substr(lineStart, textEnd - lineStart));
        at = next;
    }
}

// The lines that hold every keyword, over any number of pieces of whole lines.
class KeywordScan {
  public:
    explicit KeywordScan(const std::vector<std::string>& keywords) {
        // The empty keyword occurs in every line, even in one without a TAB.
        for (const std::string& k : keywords) {
            if (!k.empty()) needles_.push_back(cp1252Upper(k));
        }
        // The most selective keyword is searched through the whole text, the others only
        // in the lines it hits.
        std::stable_sort(
            needles_.begin(), needles_.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    }

    void run(std::string_view content, std::vector<std::string>& list) {
        if (needles_.empty()) {
            for (const std::string_view line : splitLines(content))
                list.emplace_back(line);
            return;
        }
        // A window of whole lines at a time, upper-cased into a buffer that stays in the
        // cache.
        constexpr std::size_t kWindow = 64 * 1024;
        std::size_t from = 0;
        while (from < content.size()) {
            std::size_t to = std::min(content.size(), from + kWindow);
            if (to < content.size()) {
                const std::size_t feed = content.substr(from, to - from).rfind('\n');
                if (feed != std::string_view::npos) {
                    to = from + feed + 1;
                } else {  // a line longer than the window comes whole
                    const std::size_t next = content.find('\n', to);
                    to = next == std::string_view::npos ? content.size() : next + 1;
                }
            }
            const std::string_view window = content.substr(from, to - from);
            if (buffer_.size() < window.size()) buffer_.resize(window.size());
            upperInto(window, buffer_.data());
            searchWindow(std::string_view(buffer_.data(), window.size()), window, needles_, list);
            from = to;
        }
    }

  private:
    std::vector<std::string> needles_;
    std::string buffer_;
};

}  // namespace

std::string_view IndexEngine::keyOf(std::string_view line) {
    return line.substr(0, line.find('\t'));
}

bool IndexEngine::lineMatches(std::string_view line, const std::vector<std::string>& keywords) {
    return matchesUpper(line, upperAll(keywords));
}

bool IndexEngine::StoreIndexLine(std::string_view indexName, std::string_view line) {
    // Carriage returns go too: a value holding one would otherwise break the line structure
    // for readers that split on either.
    std::string clean;
    clean.reserve(line.size());
    for (const char c : line) {
        if (c != '\n' && c != '\r') clean.push_back(c);
    }
    OpenIndex index;
    if (!openIndex(context_, indexName, index)) return false;
    if (clean.empty()) return true;

    const std::string_view key = keyOf(clean);
    const std::vector<std::string_view> lines = splitLines(index.content);
    const bool known = std::any_of(lines.begin(), lines.end(),
                                   [key](std::string_view l) { return keyOf(l) == key; });
    // A cut-off last line is dropped by the rewrite below, never kept by an append.
    const bool damaged = wholeLines(index.content).size() != index.content.size();
    if (!known && !damaged) {
        // Appending in place keeps the cost of a save independent of the index's size.
        std::string tail(clean);
        tail += kLineEnd;
        return saved(context_, index, index.file->append(tail));
    }
    // Saving a file again without changing its indexed values is the common case: when its
    // line is already the last and the only one with its key, the index stays as it is.
    if (!damaged && lines.back() == clean &&
        std::count_if(lines.begin(), lines.end(),
                      [key](std::string_view l) { return keyOf(l) == key; }) == 1)
        return true;
    std::string next;
    next.reserve(index.content.size() + clean.size() + kLineEnd.size() * 2);
    for (const std::string_view l : lines) {
        if (keyOf(l) == key) continue;
        next += l;
        next += kLineEnd;
    }
    next += clean;
    next += kLineEnd;
    return saved(context_, index, index.file->replace(next));
}

bool IndexEngine::RemoveIndexLine(std::string_view indexName, std::string_view key) {
    OpenIndex index;
    if (!openIndex(context_, indexName, index)) return false;
    const std::vector<std::string_view> lines = splitLines(index.content);
    const auto found = std::find_if(lines.begin(), lines.end(),
                                    [key](std::string_view l) { return keyOf(l) == key; });
    if (found == lines.end()) return false;
    std::string next;
    next.reserve(index.content.size());
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (it == found) continue;
        next += *it;
        next += kLineEnd;
    }
    return saved(context_, index, index.file->replace(next));
}

bool IndexEngine::SearchIndex(std::string_view indexName, const std::vector<std::string>& keywords,
                              std::vector<std::string>& list) {
    // A search changes nothing: a missing index (or INDEX folder) is an empty one, and
    // neither is created.
    OpenIndex index;
    index.path = context_.programDirectory().file(ProgramFolder::Index, indexName);
    FileSystem& files = context_.files();
    if (!files.exists(index.path)) return true;
    std::string error;
    index.file = files.openLocked(index.path, OpenMode::Existing, error);
    if (!index.file) {
        reportIndex(context_, MessageId::CannotOpenFile, index, error);
        return false;
    }
    // Read piece by piece: an index of any size is searched in little memory. A line cut by
    // the end of a piece waits for the rest; one the file ends in is damaged and skipped.
    KeywordScan scan(keywords);
    const std::size_t before = list.size();
    std::string pending;
    const bool read = index.file->readChunks(
        [&](std::string_view piece) {
            const std::size_t feed = piece.rfind('\n');
            if (feed == std::string_view::npos) {
                pending.append(piece);
                return true;
            }
            if (pending.empty()) {
                scan.run(piece.substr(0, feed + 1), list);
            } else {
                pending.append(piece.substr(0, feed + 1));
                scan.run(pending, list);
            }
            pending.assign(piece.substr(feed + 1));
            return true;
        },
        kMaxIndexBytes);
    if (!read) {
        list.resize(before);
        reportIndex(context_, MessageId::CannotOpenFile, index, index.file->error());
        return false;
    }
    return true;
}

void IndexEngine::searchContent(std::string_view content, const std::vector<std::string>& keywords,
                                std::vector<std::string>& list) {
    KeywordScan(keywords).run(wholeLines(content), list);
}

}  // namespace loom
