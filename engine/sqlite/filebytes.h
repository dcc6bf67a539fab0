#ifndef FILEBYTES_H
#define FILEBYTES_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace SqliteCarve {

// Reads a whole file, front to back, into memory. The file is opened for
// reading only. Returns false (with a message) when it cannot be read, or
// when `goOn`, asked between slices, answers false ("stopped").
bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string* error,
                   const std::function<bool()>& goOn = {});

} // namespace SqliteCarve

#endif // FILEBYTES_H
