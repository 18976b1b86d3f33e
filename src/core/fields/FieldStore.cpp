#include "fields/FieldStore.h"

#include <algorithm>
#include <utility>

namespace loom {

// Records live in blocks that never move; removed nodes are reused. The index is an
// open-addressing table (linear probing, at most half full) from address to node: a
// template load creates tens of thousands of records, and a node-based map allocated
// for each of them. The fixed order is kept as a vector sorted by (bucket, insertion
// number): appending in order keeps it valid, anything else marks it for one sort at the
// next iteration, so walking the store never visits the 24576 buckets.
struct FieldStore::Impl {
    struct Node {
        FieldRecord record;
        std::uint64_t seq = 0;
    };
    struct Slot {
        FieldAddress address = 0;
        Node* node = nullptr;  // null: the slot is free
    };

    static constexpr std::size_t kBlock = 256;
    std::vector<std::unique_ptr<Node[]>> blocks;
    std::size_t blockUsed = kBlock;
    std::vector<Node*> freeNodes;
    std::vector<Slot> slots;  // size 0 or a power of two
    unsigned shift = 64;      // 64 - log2(slots.size())
    std::size_t count = 0;
    std::uint64_t nextSeq = 0;
    std::vector<Node*> order;
    bool orderValid = true;

    static bool before(const Node* a, const Node* b) {
        const std::uint32_t ba = bucketOf(a->record.address);
        const std::uint32_t bb = bucketOf(b->record.address);
        return ba != bb ? ba < bb : a->seq < b->seq;
    }

    std::size_t home(FieldAddress address) const {
        // Fibonacci hashing spreads the runs of neighbouring addresses a template has.
        return static_cast<std::size_t>((std::uint64_t{address} * 0x9E3779B97F4A7C15u) >> shift);
    }

    // The slot holding `address`, or the free slot where it would go.
    std::size_t probe(FieldAddress address) const {
        std::size_t i = home(address);
        while (slots[i].node != nullptr && slots[i].address != address)
            i = (i + 1) & (slots.size() - 1);
        return i;
    }

    Node* lookup(FieldAddress address) const {
        if (count == 0) return nullptr;
        return slots[probe(address)].node;
    }

    void rehash(std::size_t wanted) {
        std::size_t size = 16;
        unsigned bits = 4;
        for (; size / 2 < wanted; ++bits)
            size *= 2;
        if (size <= slots.size()) return;
        std::vector<Slot> old = std::exchange(slots, std::vector<Slot>(size));
        shift = 64 - bits;
        for (const Slot& slot : old) {
            if (slot.node != nullptr) slots[probe(slot.address)] = slot;
        }
    }

    Node& newNode() {
        if (!freeNodes.empty()) {
            Node* node = freeNodes.back();
            freeNodes.pop_back();
            *node = Node{};
            return *node;
        }
        if (blockUsed == kBlock) {
            blocks.push_back(std::make_unique<Node[]>(kBlock));
            blockUsed = 0;
        }
        return blocks.back()[blockUsed++];
    }

    Node& findOrCreate(FieldAddress address) {
        if ((count + 1) * 2 > slots.size()) rehash(count + 1);
        const std::size_t i = probe(address);
        if (slots[i].node != nullptr) return *slots[i].node;
        Node& node = newNode();
        node.record.address = address;
        node.seq = nextSeq++;
        slots[i] = Slot{address, &node};
        ++count;
        if (orderValid && (order.empty() || before(order.back(), &node)))
            order.push_back(&node);
        else
            orderValid = false;
        return node;
    }

    Node* erase(FieldAddress address) {
        if (count == 0) return nullptr;
        std::size_t i = probe(address);
        Node* node = slots[i].node;
        if (node == nullptr) return nullptr;
        // Shift later members of the probe run back so that no run has a hole.
        const std::size_t mask = slots.size() - 1;
        for (std::size_t j = (i + 1) & mask; slots[j].node != nullptr; j = (j + 1) & mask) {
            const std::size_t h = home(slots[j].address);
            // Entry j may fill the hole at i unless its home lies cyclically in (i, j].
            const bool stays = i <= j ? (i < h && h <= j) : (i < h || h <= j);
            if (!stays) {
                slots[i] = slots[j];
                i = j;
            }
        }
        slots[i] = Slot{};
        --count;
        return node;
    }

    const std::vector<Node*>& sorted() {
        if (!orderValid) {
            order.clear();
            order.reserve(count);
            for (const Slot& slot : slots) {
                if (slot.node != nullptr) order.push_back(slot.node);
            }
            std::sort(order.begin(), order.end(), before);
            orderValid = true;
        }
        return order;
    }
};

FieldStore::FieldStore() : impl_(std::make_unique<Impl>()) {}
FieldStore::~FieldStore() = default;
FieldStore::FieldStore(FieldStore&&) noexcept = default;
FieldStore& FieldStore::operator=(FieldStore&&) noexcept = default;

FieldStore::FieldStore(const FieldStore& other) : impl_(std::make_unique<Impl>()) {
    reserve(other.size());
    // Copying in the fixed order keeps the order of the copy the same.
    for (const FieldRecord* r : other.ordered())
        copyIn(*r);
}

FieldStore& FieldStore::operator=(const FieldStore& other) {
    if (this != &other) {
        FieldStore copy(other);
        impl_ = std::move(copy.impl_);
    }
    return *this;
}

FieldStore::Impl& FieldStore::impl() {
    if (!impl_) impl_ = std::make_unique<Impl>();  // a moved-from store is usable again
    return *impl_;
}

FieldRecord* FieldStore::find(FieldAddress address) {
    if (!impl_) return nullptr;
    Impl::Node* node = impl_->lookup(address);
    return node == nullptr ? nullptr : &node->record;
}

const FieldRecord* FieldStore::find(FieldAddress address) const {
    return const_cast<FieldStore*>(this)->find(address);
}

FieldRecord& FieldStore::findOrCreate(FieldAddress address) {
    return impl().findOrCreate(address).record;
}

FieldRecord& FieldStore::copyIn(const FieldRecord& record) {
    FieldRecord& r = findOrCreate(record.address);
    if (&r != &record) {
        r.size = record.size;
        r.type = record.type;
        r.flags = record.flags;
        r.value = record.value;
    }
    return r;
}

bool FieldStore::remove(FieldAddress address) {
    if (!impl_) return false;
    Impl::Node* node = impl_->erase(address);
    if (node == nullptr) return false;
    node->record.value = std::string();  // give the text back now, not at reuse
    impl_->freeNodes.push_back(node);
    impl_->orderValid = false;
    return true;
}

void FieldStore::clear() {
    if (impl_) *impl_ = Impl{};
}

std::size_t FieldStore::size() const {
    return impl_ ? impl_->count : 0;
}

void FieldStore::reserve(std::size_t records) {
    Impl& i = impl();
    i.rehash(records);
    i.order.reserve(records);
}

std::vector<FieldRecord*> FieldStore::ordered() {
    std::vector<FieldRecord*> out;
    if (!impl_) return out;
    const auto& order = impl_->sorted();
    out.reserve(order.size());
    for (Impl::Node* node : order)
        out.push_back(&node->record);
    return out;
}

std::vector<const FieldRecord*> FieldStore::ordered() const {
    std::vector<const FieldRecord*> out;
    if (!impl_) return out;
    const auto& order = impl_->sorted();
    out.reserve(order.size());
    for (const Impl::Node* node : order)
        out.push_back(&node->record);
    return out;
}

}  // namespace loom
