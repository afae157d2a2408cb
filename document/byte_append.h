#pragma once

// Appending to a byte array in place. Streams and page content are made of
// millions of short pieces, and QByteArray::append goes through its general
// insert, which costs more than copying such a piece.

#include <QByteArray>
#include <algorithm>
#include <cstring>

namespace orvane {

// Room for `count` more bytes at the end, the array's size moved on and its
// terminating zero kept; the caller fills the room.
inline char* AppendRoom(QByteArray& out, qsizetype count)
{
    auto& d = out.data_ptr();
    if (d.needsDetach() || d.freeSpaceAtEnd() < count)
        out.reserve(std::max(out.size() + count, 2 * out.capacity()));
    char* at = d.data() + d.size;
    d.size += count;
    at[count] = '\0';
    return at;
}

inline void AppendBytes(QByteArray& out, const char* data, qsizetype count)
{
    if (count > 0)
        std::memcpy(AppendRoom(out, count), data, size_t(count));
}

inline void AppendByte(QByteArray& out, char c) { *AppendRoom(out, 1) = c; }

} // namespace orvane
