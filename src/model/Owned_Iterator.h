#pragma once
// Walks a collection that owns its items through unique_ptr as if it held the items.

#include <memory>
#include <type_traits>
#include <vector>

template <class T> class Owned_Iterator {
public:
    using Inner = typename std::vector<std::unique_ptr<std::remove_const_t<T>>>::const_iterator;
    explicit Owned_Iterator(Inner it) : it_(it) {}
    T& operator*() const { return **it_; }
    T* operator->() const { return it_->get(); }
    Owned_Iterator& operator++() {
        ++it_;
        return *this;
    }
    bool operator!=(const Owned_Iterator& o) const { return it_ != o.it_; }
    bool operator==(const Owned_Iterator& o) const { return it_ == o.it_; }

private:
    Inner it_;
};
