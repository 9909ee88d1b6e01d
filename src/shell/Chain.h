// TChain: the program's singly linked list of item pointers, with head, tail and an iteration cursor. It
// serves the filers' entry lists (many thousands of entries), the folder watchers and the attribute cache, so
// appending is O(1). A plain chain only links its items; `TOwningChain` also deletes them in Clear and on
// destruction, and a chain with another deleter ends its items with it (threads: `fw::ThreadDeleter`, which
// stops and joins each before deleting it). Items removed with RemoveAt or Remove go back to the caller.
#pragma once

#include <memory>
#include <utility>

// The deleter of a chain that only links its items.
struct TChainBorrows {
    template <class T>
    void operator()(T*) const noexcept {}
};

template <class T, class Deleter = TChainBorrows>
class TChain {
    struct Node {
        T* item;
        Node* next;
    };

public:
    TChain() noexcept = default;
    TChain(const TChain&) = delete;
    TChain& operator=(const TChain&) = delete;
    TChain(TChain&& other) noexcept { Take(other); }
    TChain& operator=(TChain&& other) noexcept {
        if (this != &other) {
            Clear();
            Take(other);
        }
        return *this;
    }
    ~TChain() { Clear(); }

    // Appends at the tail. Throws std::bad_alloc; then the chain is unchanged (and an owning chain has not
    // taken the item).
    void Add(T* item) {
        Node* node = new Node{item, nullptr};
        if (tail_) {
            tail_->next = node;
        } else {
            head_ = node;
        }
        tail_ = node;
        ++count_;
    }

    int Count() const noexcept { return count_; }

    // The item at `index` counted from the head; null when out of range.
    T* Items(int index) const noexcept {
        if (index < 0) return nullptr;
        Node* node = head_;
        for (; node && index > 0; --index) node = node->next;
        return node ? node->item : nullptr;
    }

    // Cursor iteration: First starts at the head, Next moves on; both give null past the end. Next without a
    // First (or after a removal, which resets the cursor) gives null.
    T* First() noexcept {
        cursor_ = head_;
        return cursor_ ? cursor_->item : nullptr;
    }
    T* Next() noexcept {
        if (cursor_) cursor_ = cursor_->next;
        return cursor_ ? cursor_->item : nullptr;
    }

    // Unlinks the node and returns its item (not deleted, even by an owning chain); null when out of range.
    T* RemoveAt(int index) noexcept {
        if (index < 0) return nullptr;
        Node* previous = nullptr;
        Node* node = head_;
        for (; node && index > 0; --index) {
            previous = node;
            node = node->next;
        }
        return Unlink(previous, node);
    }
    // Unlinks the first node holding `item` and returns it; null when the chain does not hold it.
    T* Remove(T* item) noexcept {
        Node* previous = nullptr;
        Node* node = head_;
        while (node && node->item != item) {
            previous = node;
            node = node->next;
        }
        return Unlink(previous, node);
    }

    void Clear() noexcept {
        Node* node = std::exchange(head_, nullptr);
        tail_ = cursor_ = nullptr;
        count_ = 0;
        while (node) {
            Node* next = node->next;
            Deleter()(node->item);
            delete node;
            node = next;
        }
    }

    // Walking without the cursor, for const users and range-for: `for (T* item : chain)`.
    class Iterator {
    public:
        explicit Iterator(const Node* node) noexcept : node_(node) {}
        T* operator*() const noexcept { return node_->item; }
        Iterator& operator++() noexcept {
            node_ = node_->next;
            return *this;
        }
        bool operator==(const Iterator& other) const noexcept { return node_ == other.node_; }
        bool operator!=(const Iterator& other) const noexcept { return node_ != other.node_; }

    private:
        const Node* node_;
    };
    Iterator begin() const noexcept { return Iterator(head_); }
    Iterator end() const noexcept { return Iterator(nullptr); }

private:
    T* Unlink(Node* previous, Node* node) noexcept {
        if (!node) return nullptr;
        if (previous) {
            previous->next = node->next;
        } else {
            head_ = node->next;
        }
        if (tail_ == node) tail_ = previous;
        cursor_ = nullptr;
        --count_;
        T* item = node->item;
        delete node;
        return item;
    }

    void Take(TChain& other) noexcept {
        head_ = std::exchange(other.head_, nullptr);
        tail_ = std::exchange(other.tail_, nullptr);
        cursor_ = std::exchange(other.cursor_, nullptr);
        count_ = std::exchange(other.count_, 0);
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Node* cursor_ = nullptr;
    int count_ = 0;  // kept in step so that Count does not walk thousands of entries
};

template <class T>
using TOwningChain = TChain<T, std::default_delete<T>>;
