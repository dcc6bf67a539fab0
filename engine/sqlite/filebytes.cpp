#include "filebytes.h"

#include <algorithm>
#include <fstream>

namespace SqliteCarve {

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string* error,
                   const std::function<bool()>& goOn)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot open " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    // In slices, so that a caller who stops is answered within one (a
    // megabyte: a few ms even on a busy disk). The buffer grows with them:
    // zeroing tens of megabytes at once takes a tenth of a second.
    bytes.clear();
    bytes.reserve(size_t(size));
    constexpr std::streamoff slice = 1 << 20;
    for (std::streamoff done = 0; done < size; done += slice) {
        if (goOn && !goOn()) {
            if (error)
                *error = "stopped";
            return false;
        }
        const std::streamoff part = std::min(slice, size - done);
        bytes.resize(size_t(done + part));
        if (!in.read(reinterpret_cast<char*>(bytes.data()) + done, part)) {
            if (error)
                *error = "cannot read " + path;
            return false;
        }
    }
    return true;
}

} // namespace SqliteCarve
