// Searching a monotonic table: hunt outward from a guess, then bisect.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "sigproc/SignalToolbox.h"

namespace {

// With key(0) < v < key(n-1) in the table's direction (ascending when
// key(n-1) >= key(0)), the lower index j of the pair enclosing v, hunting
// from guess j with steps 1, 2, 4 ... and then bisecting.
template <class Key, class V>
int hunt(Key key, int n, V v, int j, bool ascending)
{
    auto atOrAbove = [&](int64_t i) { return (v >= key(i)) == ascending; };
    int64_t lo = (j < 0 || j > n - 1) ? 0 : j;
    int64_t hi;
    int64_t step = 1;
    if (atOrAbove(lo)) {
        hi = lo + step;
        while (hi <= n - 1 && atOrAbove(hi)) {
            lo = hi;
            step *= 2;
            hi = lo + step;
        }
        if (hi > n - 1)
            hi = n - 1;
    } else {
        hi = lo;
        lo = hi - step;
        while (lo >= 0 && !atOrAbove(lo)) {
            hi = lo;
            step *= 2;
            lo = hi - step;
        }
        if (lo < 0)
            lo = 0;
    }
    while (hi - lo > 1) {
        int64_t mid = (lo + hi) / 2;
        if (atOrAbove(mid))
            lo = mid;
        else
            hi = mid;
    }
    return static_cast<int>(lo);
}

template <class T>
int locate(const T* table, int n, T v, int* j)
{
    if (!table || n < 1 || !j)
        return -1;
    const bool ascending = table[n - 1] >= table[0];
    const bool beforeFirst = ascending ? v < table[0] : v > table[0];
    const bool pastLast = ascending ? v > table[n - 1] : v < table[n - 1];
    if (beforeFirst || pastLast) {
        *j = 0;
        return beforeFirst ? -2 : -3;
    }
    if (v == table[0]) {
        *j = 0;
        return 0;
    }
    if (v == table[n - 1]) {
        *j = n - 1;
        return 0;
    }
    *j = hunt([table](int64_t i) { return table[i]; }, n, v, *j, ascending);
    return 0;
}

}  // namespace

extern "C" {

int DllLocateValue(const unsigned* table, int n, unsigned v, int* j)
{
    return locate(table, n, v, j);
}

int DllLocateValueDble(const double* table, int n, double v, int* j)
{
    if (std::isnan(v))
        return -1;
    return locate(table, n, v, j);
}

int DllLocateValueDsiSegment(const void* const* records, int n, double v, int* j)
{
    if (!records || n < 1 || !j || std::isnan(v))
        return -1;
    for (int i = 0; i < n; ++i)
        if (!records[i])
            return -1;
    auto key = [records](int64_t i) {
        uint32_t k;
        std::memcpy(&k, static_cast<const unsigned char*>(records[i]) + 2 * sizeof(uint32_t), sizeof k);
        return static_cast<double>(k);
    };
    const bool ascending = key(n - 1) >= key(0);
    const bool atOrBeforeFirst = ascending ? v <= key(0) : v >= key(0);
    const bool atOrPastLast = ascending ? v >= key(n - 1) : v <= key(n - 1);
    if (atOrBeforeFirst) {
        *j = 0;
        return 0;
    }
    if (atOrPastLast) {
        *j = n - 1;
        return 0;
    }
    *j = hunt(key, n, v, *j, ascending);
    return 0;
}
}
