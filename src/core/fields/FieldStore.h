#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fields/FieldRecord.h"

namespace loom {

// The values of one system, keyed by field address. Iteration order is fixed: bucket
// order ((address >> 4) mod 24576), then insertion order within a bucket. It decides
// the order of records in saved files and of indexed values, so it must never change.
// Records have stable addresses until they are removed or the store is cleared
// (form controls keep pointers to their records). Iteration sorts lazily, so even the
// const functions must not run on one store from two threads at once; the transfer
// thread works on its own copy.
class FieldStore {
  public:
    static constexpr std::uint32_t kBucketCount = 24576;
    static constexpr std::uint32_t bucketOf(FieldAddress a) { return (a >> 4) % kBucketCount; }

    FieldStore();
    ~FieldStore();
    FieldStore(const FieldStore& other);
    FieldStore& operator=(const FieldStore& other);
    FieldStore(FieldStore&&) noexcept;
    FieldStore& operator=(FieldStore&&) noexcept;

    FieldRecord* find(FieldAddress address);
    const FieldRecord* find(FieldAddress address) const;
    // A new record has size 0, type 0, flags 0 and an empty value.
    FieldRecord& findOrCreate(FieldAddress address);
    // Find or create by the source's address, then copy size, type, flags and value.
    FieldRecord& copyIn(const FieldRecord& record);
    bool remove(FieldAddress address);
    void clear();

    std::size_t size() const;
    // Room for `records` records without growing the index.
    void reserve(std::size_t records);
    bool empty() const { return size() == 0; }

    // All records in the fixed order described above.
    std::vector<FieldRecord*> ordered();
    std::vector<const FieldRecord*> ordered() const;

    template <class F>
    void forEach(F&& f) const {
        for (const FieldRecord* r : ordered())
            f(*r);
    }

  private:
    struct Impl;
    Impl& impl();
    std::unique_ptr<Impl> impl_;  // null only after a move
};

}  // namespace loom
