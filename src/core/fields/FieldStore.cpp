#include "fields/FieldStore.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace loom {

// Records live in a pool (a deque never moves its elements); removed nodes are reused.
// The fixed order is kept as a vector sorted by (bucket, insertion number): appending in
// order keeps it valid, anything else marks it for one sort at the next iteration, so
// walking the store never visits the 24576 buckets.
struct FieldStore::Impl {
    struct Node {
        FieldRecord record;
        std::uint64_t seq = 0;
    };

    std::deque<Node> pool;
    std::vector<Node*> freeNodes;
    std::unordered_map<FieldAddress, Node*> index;
    std::uint64_t nextSeq = 0;
    std::vector<Node*> order;
    bool orderValid = true;

    static bool before(const Node* a, const Node* b) {
        const std::uint32_t ba = bucketOf(a->record.address);
        const std::uint32_t bb = bucketOf(b->record.address);
        return ba != bb ? ba < bb : a->seq < b->seq;
    }

    Node& create(FieldAddress address) {
        Node* node = nullptr;
        if (!freeNodes.empty()) {
            node = freeNodes.back();
            freeNodes.pop_back();
            *node = Node{};
        } else {
            node = &pool.emplace_back();
        }
        node->record.address = address;
        node->seq = nextSeq++;
        index.emplace(address, node);
        if (orderValid && (order.empty() || before(order.back(), node)))
            order.push_back(node);
        else
            orderValid = false;
        return *node;
    }

    const std::vector<Node*>& sorted() {
        if (!orderValid) {
            order.clear();
            order.reserve(index.size());
            for (const auto& entry : index)
                order.push_back(entry.second);
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
    const auto it = impl_->index.find(address);
    return it == impl_->index.end() ? nullptr : &it->second->record;
}

const FieldRecord* FieldStore::find(FieldAddress address) const {
    return const_cast<FieldStore*>(this)->find(address);
}

FieldRecord& FieldStore::findOrCreate(FieldAddress address) {
    if (FieldRecord* r = find(address)) return *r;
    return impl().create(address).record;
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
    const auto it = impl_->index.find(address);
    if (it == impl_->index.end()) return false;
    Impl::Node* node = it->second;
    impl_->index.erase(it);
    node->record.value = std::string();  // give the text back now, not at reuse
    impl_->freeNodes.push_back(node);
    impl_->orderValid = false;
    return true;
}

void FieldStore::clear() {
    if (impl_) *impl_ = Impl{};
}

std::size_t FieldStore::size() const {
    return impl_ ? impl_->index.size() : 0;
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
