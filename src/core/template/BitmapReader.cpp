#include "template/BitmapReader.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"

namespace loom {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersEnd = kFileHeaderSize + kInfoHeaderSize;
constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t le16(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
}
std::uint32_t le32(const std::uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}
std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return kOpaque | r << 16 | g << 8 | b;
}
// 5 bits to 8, so that 31 is full intensity.
std::uint32_t widen5(std::uint32_t v) {
    return v << 3 | v >> 2;
}

// What the headers say about the rest of the file, every size checked against its length.
struct Layout {
    int width = 0;
    std::uint64_t rows = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t colours = 0;  // colour table entries
    std::uint64_t rowBytes = 0;
    std::uint64_t pixelBytes = 0;
    std::uint32_t imageSize = 0;

    // Bytes after the headers that decoding reads: the colour table and the rows.
    std::uint64_t bodyBytes() const { return std::uint64_t{4} * colours + pixelBytes; }
};

// `head` is the file's beginning (up to 54 bytes), `fileSize` its whole length.
BitmapFailure readLayout(std::span<const std::uint8_t> head, std::uint64_t fileSize, Layout& out) {
    if (fileSize == 0) return BitmapFailure::Empty;
    if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') return BitmapFailure::Invalid;
    if (head.size() < kFileHeaderSize + 4) return BitmapFailure::Invalid;
    if (le32(&head[14]) != kInfoHeaderSize) return BitmapFailure::Refused;
    if (head.size() < kHeadersEnd) return BitmapFailure::Invalid;

    const auto width = static_cast<std::int32_t>(le32(&head[18]));
    const auto height = static_cast<std::int32_t>(le32(&head[22]));
    const std::uint32_t bits = le16(&head[28]);
    const std::uint32_t compression = le32(&head[30]);
    const std::uint32_t imageSizeField = le32(&head[34]);
    const std::uint32_t coloursUsed = le32(&head[46]);

    // Compressed and bit-field pictures keep their pixels elsewhere than this layout says.
    if (width <= 0 || height == 0 || compression != 0) return BitmapFailure::Refused;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return BitmapFailure::Refused;
    if (coloursUsed > BitmapReader::kMaxColours) return BitmapFailure::Refused;
    const auto rows = static_cast<std::uint64_t>(height < 0 ? -std::int64_t{height} : height);
    if (static_cast<std::uint64_t>(width) * rows > BitmapReader::kMaxPixels)
        return BitmapFailure::Refused;

    Layout l;
    l.width = width;
    l.rows = rows;
    l.topDown = height < 0;
    l.bitsPerPixel = static_cast<int>(bits);
    l.colours = coloursUsed != 0 ? coloursUsed : bits <= 8 ? 1u << bits : 0u;
    l.rowBytes = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    l.pixelBytes = l.rowBytes * rows;
    // Both fit in 32 bits: at most 2^24 pixels of 4 bytes, or 2^24 rows of one word.
    l.imageSize = imageSizeField != 0 ? imageSizeField : static_cast<std::uint32_t>(l.pixelBytes);

    const std::uint64_t available = fileSize - kHeadersEnd;
    if (l.bodyBytes() > available) return BitmapFailure::Invalid;
    if (std::uint64_t{4} * l.colours + l.imageSize > available) return BitmapFailure::Invalid;
    out = l;
    return BitmapFailure::None;
}

void decodeRow(const Layout& l, const std::uint8_t* row, const std::vector<std::uint32_t>& table,
               std::uint32_t* out) {
    const auto width = static_cast<std::size_t>(l.width);
    switch (l.bitsPerPixel) {
        case 1:
        case 4:
        case 8: {
            const auto bits = static_cast<unsigned>(l.bitsPerPixel);
            const unsigned mask = (1u << bits) - 1;
            for (std::size_t x = 0; x < width; ++x) {
                const std::size_t bit = x * bits;
                const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
                const unsigned index = (row[bit / 8] >> shift) & mask;
                // An index past the table draws black, as a missing entry would.
                out[x] = index < table.size() ? table[index] : kOpaque;
            }
            break;
        }
        case 16:
            for (std::size_t x = 0; x < width; ++x) {
                const std::uint32_t v = le16(row + 2 * x);
                out[x] = rgb(widen5(v >> 10 & 31), widen5(v >> 5 & 31), widen5(v & 31));
            }
            break;
        case 24:
        case 32: {
            const std::size_t step = static_cast<std::size_t>(l.bitsPerPixel) / 8;
            for (std::size_t x = 0; x < width; ++x) {
                const std::uint8_t* p = row + step * x;
                out[x] = rgb(p[2], p[1], p[0]);
            }
            break;
        }
        default:
            break;
    }
}

// `body` holds exactly l.bodyBytes() bytes: the colour table, then the rows.
BitmapImage decodeBody(const Layout& l, std::span<const std::uint8_t> body) {
    BitmapImage image;
    image.width = l.width;
    image.height = static_cast<int>(l.rows);
    image.bitsPerPixel = l.bitsPerPixel;
    image.imageSize = l.imageSize;
    image.colourTable.reserve(l.colours);
    for (std::uint32_t i = 0; i < l.colours; ++i) {
        const std::uint8_t* e = &body[std::size_t{4} * i];
        image.colourTable.push_back(rgb(e[2], e[1], e[0]));
    }
    const std::uint8_t* pixels = body.data() + std::size_t{4} * l.colours;
    const auto width = static_cast<std::size_t>(l.width);
    image.pixels.resize(width * l.rows);
    for (std::uint64_t r = 0; r < l.rows; ++r) {
        // Rows are stored bottom-up unless the height was negative.
        const std::uint64_t y = l.topDown ? r : l.rows - 1 - r;
        decodeRow(l, pixels + r * l.rowBytes, image.colourTable, &image.pixels[y * width]);
    }
    return image;
}

// Fills `out` from `in` as far as it goes; the count of bytes read.
std::size_t readFully(InputFile& in, std::span<std::uint8_t> out) {
    std::size_t got = 0;
    while (got < out.size()) {
        const std::size_t n = in.read(out.subspan(got));
        if (n == 0) break;
        got += n;
    }
    return got;
}

std::optional<BitmapImage> readFile(FileSystem& files, const std::filesystem::path& path,
                                    BitmapFailure& failure) {
    // Reading only: nothing is ever written to a picture, and a read-only installation
    // must show its pictures too.
    std::string error;
    std::unique_ptr<InputFile> in = files.openRead(path, error);
    if (!in) {
        failure = BitmapFailure::CannotOpen;
        return std::nullopt;
    }
    const std::uint64_t fileSize = in->size();
    std::array<std::uint8_t, kHeadersEnd> head{};
    const std::size_t wanted =
        fileSize < head.size() ? static_cast<std::size_t>(fileSize) : head.size();
    const std::size_t got = readFully(*in, std::span(head).first(wanted));
    if (in->failed()) {
        failure = BitmapFailure::CannotOpen;
        return std::nullopt;
    }
    Layout layout;
    // A file that shrank while it was read is as short as what could be read.
    failure = readLayout(std::span(head).first(got), got < wanted ? got : fileSize, layout);
    if (failure != BitmapFailure::None) return std::nullopt;

    std::vector<std::uint8_t> body(static_cast<std::size_t>(layout.bodyBytes()));
    if (readFully(*in, body) != body.size()) {
        failure = in->failed() ? BitmapFailure::CannotOpen : BitmapFailure::Invalid;
        return std::nullopt;
    }
    return decodeBody(layout, body);
}

}  // namespace

BitmapFailure BitmapReader::decode(std::span<const std::uint8_t> file, BitmapImage& out) {
    Layout layout;
    const BitmapFailure failure =
        readLayout(file.first(std::min(file.size(), kHeadersEnd)), file.size(), layout);
    if (failure != BitmapFailure::None) return failure;
    out =
        decodeBody(layout, file.subspan(kHeadersEnd, static_cast<std::size_t>(layout.bodyBytes())));
    return BitmapFailure::None;
}

std::optional<BitmapImage> BitmapReader::read(FileSystem& files, const std::filesystem::path& path,
                                              UserPrompt& prompt, BitmapFailure* failure) {
    BitmapFailure why = BitmapFailure::None;
    std::optional<BitmapImage> image = readFile(files, path, why);
    if (failure != nullptr) *failure = why;
    if (const std::optional<MessageId> id = message(why))
        prompt.show(*id, {}, MessageKind::Information);
    return image;
}

std::optional<MessageId> BitmapReader::message(BitmapFailure failure) {
    switch (failure) {
        case BitmapFailure::Empty:
            return MessageId::EmptyBitmapFile;
        case BitmapFailure::Invalid:
            return MessageId::InvalidBitmapFile;
        case BitmapFailure::Refused:
            return MessageId::AttachMemoryError;
        case BitmapFailure::None:
        case BitmapFailure::CannotOpen:
            break;
    }
    return std::nullopt;
}

}  // namespace loom
