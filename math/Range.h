#pragma once

#include <cstdint>

namespace Tavrolin::Fill {

// A start and a length, as 32-bit integers.
class Range {
public:
    int32_t start;
    int32_t length;

    // (0, INT32_MAX) when true: everything; (0, 0) when false.
    explicit Range(bool all) : start(0), length(all ? INT32_MAX : 0) {}
    explicit Range(int start) : start(start), length(0) {}
    Range(int start, int length) : start(start), length(length) {}
    Range(const Range& o) : start(o.start), length(o.length) {}
    Range& operator=(const Range& o) {
        start = o.start;
        length = o.length;
        return *this;
    }
};

} // namespace Tavrolin::Fill
