#pragma once

// A singly linked list that only grows at its tail and owns its nodes.
//
// Every collection of a run (the tables' records, the issue entries, the acquired files, the
// fields of a .DBF) is such a list: `head` and `tail` links, a `next` link in each node,
// appending at the tail, nothing removed before the list is destroyed. The nodes live in
// chunks that the list takes from a memory resource (a table's arena, or the usual heap),
// so appending costs no allocation of its own per node, a node never moves once appended,
// and destruction walks the chunks, not the `next` links: however long the list, it never
// recurses.
//
// REQUIRES: Node has a data member `Node* next`; the memory resource outlives the list.

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory_resource>
#include <type_traits>
#include <utility>
#include <vector>

namespace tramelo {

template <class Node>
class AppendList {
public:
    template <class Value>
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::remove_const_t<Value>;
        using difference_type = std::ptrdiff_t;
        using pointer = Value*;
        using reference = Value&;

        Iterator() = default;
        explicit Iterator(Value* node) : node_(node) {}
        reference operator*() const { return *node_; }
        pointer operator->() const { return node_; }
        Iterator& operator++() {
            node_ = node_->next;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            node_ = node_->next;
            return before;
        }
        bool operator==(const Iterator&) const = default;

    private:
        Value* node_ = nullptr;
    };

    explicit AppendList(std::pmr::memory_resource* memory = std::pmr::get_default_resource())
        : memory_(memory) {}
    AppendList(const AppendList&) = delete;
    AppendList& operator=(const AppendList&) = delete;
    AppendList(AppendList&&) noexcept = default;
    AppendList& operator=(AppendList&&) noexcept = default;

    // Builds a node from args, links it after the current tail (or makes it the head of an
    // empty list) and returns it; its `next` is none.
    template <class... Args>
    Node& append(Args&&... args) {
        if (chunks_.empty() || chunks_.back().size() == chunks_.back().capacity()) {
            addChunk();
        }
        Node& node = chunks_.back().emplace_back(std::forward<Args>(args)...);
        node.next = nullptr;
        if (head_ == nullptr) {
            head_ = &node;
        } else {
            tail_->next = &node;
        }
        tail_ = &node;
        ++size_;
        return node;
    }

    const Node* head() const { return head_; }
    const Node* tail() const { return tail_; }
    std::size_t size() const { return size_; }

    // The node appended as the position-th, from 0. REQUIRES: position < size().
    const Node& at(std::size_t position) const {
        const auto chunk = std::upper_bound(chunkFirsts_.begin(), chunkFirsts_.end(), position) - 1;
        return chunks_[static_cast<std::size_t>(chunk - chunkFirsts_.begin())][position - *chunk];
    }
    bool isEmpty() const { return head_ == nullptr; }

    Iterator<const Node> begin() const { return Iterator<const Node>(head_); }
    Iterator<const Node> end() const { return {}; }
    Iterator<Node> begin() { return Iterator<Node>(head_); }
    Iterator<Node> end() { return {}; }

private:
    static constexpr std::size_t kFirstChunk = 16;
    // Chunks grow to 64 KiB. A table takes them from its arena's large blocks, where texts
    // sit between them: a chunk that no longer fits a block leaves at most that much of it
    // unused (a chunk of 4 MiB left megabytes).
    static constexpr std::size_t kLargestChunk =
        std::max<std::size_t>(kFirstChunk, (64u << 10) / sizeof(Node));

    void addChunk() {
        const std::size_t capacity =
            chunks_.empty() ? kFirstChunk : std::min(2 * chunks_.back().capacity(), kLargestChunk);
        // A chunk is never filled past its capacity, so it never reallocates and its nodes
        // keep their addresses.
        chunks_.emplace_back(memory_).reserve(capacity);
        chunkFirsts_.push_back(size_);
    }

    std::pmr::memory_resource* memory_;
    std::vector<std::pmr::vector<Node>> chunks_;
    std::vector<std::size_t> chunkFirsts_;  // the position of each chunk's first node
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace tramelo
