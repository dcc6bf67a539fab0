#include "filebytes.h"

#include <fstream>

namespace SqliteCarve {

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string* error)
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
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    return true;
}

} // namespace SqliteCarve
