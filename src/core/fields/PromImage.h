#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "fields/PromBlock.h"

namespace loom {

// A sparse image of the panel's PROM in 16-byte blocks. A byte that was never written
// reads 0xFF, the value of erased PROM. Bytes beyond address 0xFFFFFFFF do not exist:
// writes there are dropped and reads give 0xFF.
class PromImage {
  public:
    static constexpr std::uint8_t kErased = 0xFF;

    PromImage();
    ~PromImage();
    PromImage(const PromImage& other);
    PromImage& operator=(const PromImage& other);
    PromImage(PromImage&&) noexcept;
    PromImage& operator=(PromImage&&) noexcept;

    // Every 16-byte block touched is created (as 0xFF) when absent, even if the bytes
    // written equal what it read before.
    void write(std::uint32_t address, std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> read(std::uint32_t address, std::size_t count) const;
    void readInto(std::uint32_t address, std::span<std::uint8_t> out) const;
    std::uint8_t at(std::uint32_t address) const;

    // All stored blocks in ascending address order.
    std::vector<PromBlock> blocks() const;
    bool hasBlock(std::uint32_t blockAddress) const;
    std::size_t blockCount() const { return blockCount_; }
    bool empty() const { return blockCount_ == 0; }
    void clear();

    bool operator==(const PromImage& other) const;

  private:
    // Blocks are kept in pages of 64 so that neighbouring fields share one lookup.
    static constexpr unsigned kPageShift = 10;
    static constexpr std::uint32_t kPageBytes = 1u << kPageShift;
    static constexpr std::uint32_t kBlocksPerPage = kPageBytes / PromBlock::kSize;
    struct Page {
        std::uint64_t present = 0;  // bit b: block b of the page exists
        std::uint8_t bytes[kPageBytes];
    };

    const Page* findPage(std::uint32_t pageNumber) const;
    Page& pageFor(std::uint32_t pageNumber);

    std::unordered_map<std::uint32_t, std::unique_ptr<Page>> pages_;
    std::size_t blockCount_ = 0;
    // Writes mostly go near the previous one. Reads do not use it, so const access stays
    // free of hidden state.
    std::uint32_t cachedNumber_ = 0;
    Page* cachedPage_ = nullptr;
};

}  // namespace loom
