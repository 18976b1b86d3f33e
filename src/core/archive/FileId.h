#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

class AppContext;

// A data file's identifier: the creating computer's letter, the creation time in six
// base-36 digits, and "0". Its 8-byte form in the PROM is the time (big-endian), the
// letter and three 0xFF bytes.
inline constexpr std::size_t kFileIdLength = 8;

std::string MakeFileId(std::uint32_t time, char letter);
// The letter comes from the "ComputerID" setting. When it is empty, message 52 and the
// computer id dialog ask for one (stored when given); still none: "Z".
std::string MakeFileId(AppContext& context, std::uint32_t time);
// MakeFileId with the context's clock.
std::string NewFileId(AppContext& context);
bool ParseFileId(std::string_view text, std::uint32_t& time, char& letter);
// Empty when the text does not have 8 characters or does not parse.
std::vector<std::uint8_t> FileIdToBytes(std::string_view text);
// Empty when `bytes` is shorter than 8 or is an unwritten PROM area (the letter byte, or
// all four time bytes, 0xFF).
std::string FileIdFromBytes(std::span<const std::uint8_t> bytes);
bool IsWellFormedFileId(std::string_view text);

// Command "Datorns ID...": the computer id dialog showing the stored letter; OK stores the
// filtered text (also an empty one). True when it ended with OK.
bool EditComputerId(AppContext& context);

}  // namespace loom
