#pragma once

#include <plist/plist.h>

#include <cstdint>
#include <string>

// Owns one libplist node (a whole tree) and reads typed values out of
// dictionaries. Every message of the fake phone is built and parsed through it,
// so that a missing key or a wrong type reads as empty, never as a crash.
class PlistNode
{
public:
    PlistNode() = default;
    explicit PlistNode(plist_t node) : m_node(node) {}
    ~PlistNode();
    PlistNode(PlistNode&& other) noexcept : m_node(other.Release()) {}
    PlistNode& operator=(PlistNode&& other) noexcept;
    PlistNode(const PlistNode&) = delete;
    PlistNode& operator=(const PlistNode&) = delete;

    static PlistNode Dict() { return PlistNode(plist_new_dict()); }
    static PlistNode Array() { return PlistNode(plist_new_array()); }
    // XML or binary; empty on malformed input.
    static PlistNode Parse(const std::string& bytes);
    static PlistNode ReadFile(const std::string& path, uint64_t maxSize);

    plist_t Get() const { return m_node; }
    plist_t Release();
    explicit operator bool() const { return m_node != nullptr; }

    std::string Xml() const;
    std::string Binary() const;

    // Dictionary readers of a dictionary node (empty/false/0 when absent or mistyped).
    static std::string String(plist_t dict, const char* key);
    static bool Bool(plist_t dict, const char* key);
    static uint64_t Uint(plist_t dict, const char* key);
    static std::string Data(plist_t dict, const char* key);
    static std::string StringValue(plist_t node);
    static std::string DataValue(plist_t node);

private:
    plist_t m_node = nullptr;
};
