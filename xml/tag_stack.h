#pragma once
// The names of the open elements, outermost first. Popped slots keep their
// strings, so pushing a name at a depth that was reached before reuses the
// slot's capacity instead of allocating: a parse allocates per new depth, not
// per element.

#include <cstddef>
#include <string>
#include <vector>

class MTagStack {
public:
    // Number of open elements; the root element has depth 1.
    std::size_t size() const { return _depth; }
    bool empty() const { return _depth == 0; }

    // The innermost open element. Precondition: not empty.
    const std::u16string& back() const { return _slots[_depth - 1]; }

    // The element n places below the top (0 = innermost); null when n is
    // outside the open elements.
    const std::u16string* FromTop(std::size_t n) const {
        return n < _depth ? &_slots[_depth - 1 - n] : nullptr;
    }

    // The element at position i, outermost first. Precondition: i < size().
    const std::u16string& operator[](std::size_t i) const { return _slots[i]; }

    // Opens an element named by the null-terminated name.
    void push(const char16_t* name) {
        if (_depth == _slots.size()) {
            _slots.emplace_back(name);
        } else {
            _slots[_depth].assign(name);
        }
        ++_depth;
    }

    // Closes the innermost element; does nothing when none is open.
    void pop() {
        if (_depth > 0) {
            --_depth;
        }
    }

    // Closes every element; the slots keep their capacity for the next parse.
    void clear() { _depth = 0; }

private:
    std::vector<std::u16string> _slots;
    std::size_t _depth = 0;
};
