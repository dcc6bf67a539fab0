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
    bytes.resize(size_t(size));
    // In slices, so that a caller who stops is answered within one.
    constexpr std::streamoff slice = 4 << 20;
    for (std::streamoff done = 0; done < size; done += slice) {
        if (goOn && !goOn()) {
            if (error)
                *error = "stopped";
            return false;
        }
        const std::streamoff part = std::min(slice, size - done);
        if (!in.read(reinterpret_cast<char*>(bytes.data()) + done, part)) {
            if (error)
                *error = "cannot read " + path;
            return false;
        }
    }
    return true;
}

} // namespace SqliteCarve
