#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "common/Messages.h"
#include "template/BitmapImage.h"

namespace loom {

class FileSystem;
class UserPrompt;

// Why a bitmap file gave no picture.
enum class BitmapFailure {
    None,
    CannotOpen,  // missing or unreadable: no message
    Empty,       // no bytes at all
    Invalid,     // not starting with "BM", or shorter than its headers say
    Refused,     // an information header other than the 40-byte one, or one it cannot draw
};

// Reads uncompressed bitmap files: "BM", the 14-byte file header, the 40-byte information
// header at byte 14, the colour table at byte 54 and the pixel rows right after it (the
// file header's pixel offset is not used). 1, 4, 8, 16 (5-5-5), 24 and 32 bits per pixel;
// rows bottom-up, or top-down for a negative height.
class BitmapReader {
  public:
    // Pictures of more pixels than this are refused: a file's header must not decide how
    // much memory is taken (16 Mi pixels decode to 64 MiB).
    static constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;
    // Colour table entries beyond this are refused (a palette holds at most 256).
    static constexpr std::uint32_t kMaxColours = 256;

    // Decodes a whole file held in memory into `out` (left as it was on a failure).
    static BitmapFailure decode(std::span<const std::uint8_t> file, BitmapImage& out);

    // Opens `path` for reading only, decodes it and shows the message of a refusal through
    // `prompt` (a plain box with OK). Reads no more than the headers promise, after they
    // have been checked against the file's length.
    static std::optional<BitmapImage> read(FileSystem& files, const std::filesystem::path& path,
                                           UserPrompt& prompt, BitmapFailure* failure = nullptr);

    // The message a failure shows; nothing for None and CannotOpen.
    static std::optional<MessageId> message(BitmapFailure failure);
};

}  // namespace loom
