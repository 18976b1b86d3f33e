// Feeds arbitrary bytes as a picture file to the bitmap reader, from memory and through a
// file read in pieces, and to a form's picture cache. Both readings must agree; a picture
// must hold exactly its pixels, all opaque, never more than the file could describe; a
// refusal shows exactly its one message, and a refused name is tried again next time.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserPrompt.h"
#include "template/BitmapCache.h"
#include "template/BitmapReader.h"

#include "MemoryFileSystem.h"

namespace {

using loom::BitmapFailure;
using loom::BitmapImage;
using loom::BitmapReader;

void check(bool condition) {
    if (!condition) std::abort();
}

class CountingPrompt final : public loom::UserPrompt {
  public:
    void show(std::string_view text, loom::MessageKind) override {
        ++shown;
        last.assign(text);
    }
    loom::Answer ask(std::string_view, loom::Buttons, loom::MessageKind) override {
        std::abort();  // a picture never asks
    }
    int shown = 0;
    std::string last;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    BitmapImage decoded;
    const BitmapFailure failure = BitmapReader::decode(bytes, decoded);

    check((failure == BitmapFailure::Empty) == (size == 0));
    if (size > 0 && (size < 2 || data[0] != 'B' || data[1] != 'M'))
        check(failure == BitmapFailure::Invalid);
    check(failure != BitmapFailure::CannotOpen);
    if (failure == BitmapFailure::None) {
        check(decoded.width > 0 && decoded.height > 0);
        const auto pixels =
            static_cast<std::uint64_t>(decoded.width) * static_cast<std::uint64_t>(decoded.height);
        check(pixels <= BitmapReader::kMaxPixels);
        check(decoded.pixels.size() == pixels);
        check(decoded.colourTable.size() <= BitmapReader::kMaxColours);
        // Every row is in the file: at least one bit per pixel after the two headers.
        check(54 + 4 * decoded.colourTable.size() + (pixels * decoded.bitsPerPixel + 7) / 8 <=
              size);
        for (std::uint32_t p : decoded.pixels)
            check((p >> 24) == 0xFF);
    } else {
        check(decoded.pixels.empty());
    }

    loom::fuzz::MemoryFileSystem files;
    files.files["p.bmp"] = bytes;
    CountingPrompt prompt;
    BitmapFailure fromFile = BitmapFailure::None;
    const std::optional<BitmapImage> read = BitmapReader::read(files, "p.bmp", prompt, &fromFile);
    check(fromFile == failure);
    check(read.has_value() == (failure == BitmapFailure::None));
    if (read) check(read->pixels == decoded.pixels && read->colourTable == decoded.colourTable);
    const std::optional<loom::MessageId> message = BitmapReader::message(failure);
    check(prompt.shown == (message ? 1 : 0));
    if (message) check(prompt.last == loom::messageText(*message));

    loom::BitmapCache cache(files, prompt);
    for (int round = 0; round < 2; ++round) {
        const std::optional<loom::BitmapSize> found = cache.find("p.bmp", "p.bmp");
        check(found.has_value() == read.has_value());
        if (found) check(*found == read->size());
    }
    check(prompt.shown == (message ? 3 : 0));
    check((cache.image("p.bmp") != nullptr) == read.has_value());
    return 0;
}
