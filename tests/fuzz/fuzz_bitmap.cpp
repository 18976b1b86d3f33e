// A picture file to the bitmap reader (from memory and from a file read in pieces) and a
// form's picture cache: both readings agree, a picture holds exactly its opaque pixels, and
// a refusal shows its one message each time the name is tried.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "template/BitmapCache.h"
#include "template/BitmapReader.h"

#include "../support/RecordingPrompt.h"
#include "FuzzHome.h"

using loom::BitmapFailure;
using loom::BitmapImage;
using loom::BitmapReader;
using loom::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    BitmapImage decoded;
    const BitmapFailure failure = BitmapReader::decode(bytes, decoded);

    check((failure == BitmapFailure::Empty) == (size == 0));
    if (size > 0 && (size < 2 || data[0] != 'B' || data[1] != 'M'))
        check(failure == BitmapFailure::Invalid);
    check(failure != BitmapFailure::CannotOpen);
    check(failure == BitmapFailure::None || decoded.pixels.empty());
    if (failure == BitmapFailure::None) {
        const auto pixels =
            static_cast<std::uint64_t>(decoded.width) * static_cast<std::uint64_t>(decoded.height);
        check(decoded.width > 0 && decoded.height > 0 && pixels <= BitmapReader::kMaxPixels &&
              decoded.pixels.size() == pixels &&
              decoded.colourTable.size() <= BitmapReader::kMaxColours);
        // Every row is in the file: at least one bit per pixel after the two headers.
        check(54 + 4 * decoded.colourTable.size() + (pixels * decoded.bitsPerPixel + 7) / 8 <=
              size);
        check(std::ranges::all_of(decoded.pixels, [](std::uint32_t p) { return p >> 24 == 0xFF; }));
    }

    loom::fuzz::MemoryFileSystem files;
    files.files["p.bmp"] = bytes;
    loom::test::RecordingPrompt prompt;
    BitmapFailure fromFile = BitmapFailure::None;
    const std::optional<BitmapImage> read = BitmapReader::read(files, "p.bmp", prompt, &fromFile);
    check(fromFile == failure);
    check(read.has_value() == (failure == BitmapFailure::None));
    if (read) check(read->pixels == decoded.pixels && read->colourTable == decoded.colourTable);
    const std::optional<loom::MessageId> message = BitmapReader::message(failure);
    check(prompt.entries.size() == (message ? 1u : 0u));
    if (message) check(prompt.entries[0].text == loom::cp1252ToUtf8(loom::messageText(*message)));

    loom::BitmapCache cache(files, prompt);
    for (int round = 0; round < 2; ++round) {
        const std::optional<loom::BitmapSize> found = cache.find("p.bmp", "p.bmp");
        check(found.has_value() == read.has_value());
        if (found) check(*found == read->size());
    }
    // Shown again for each refused lookup; a picture never asks.
    check(prompt.entries.size() == (message ? 3u : 0u) && prompt.unexpected == 0);
    check((cache.image("p.bmp") != nullptr) == read.has_value());
    return 0;
}
