#include "plistnode.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

PlistNode::~PlistNode()
{
    if (m_node)
        plist_free(m_node);
}

PlistNode& PlistNode::operator=(PlistNode&& other) noexcept
{
    if (this != &other) {
        if (m_node)
            plist_free(m_node);
        m_node = other.Release();
    }
    return *this;
}

plist_t PlistNode::Release()
{
    plist_t node = m_node;
    m_node = nullptr;
    return node;
}

PlistNode PlistNode::Parse(const std::string& bytes)
{
    if (bytes.empty() || bytes.size() > UINT32_MAX)
        return PlistNode();
    plist_t node = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &node);
    return PlistNode(node);
}

PlistNode PlistNode::ReadFile(const std::string& path, uint64_t maxSize)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return PlistNode();
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<uint64_t>(size) > maxSize)
        return PlistNode();
    in.seekg(0);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!in.read(&bytes[0], size))
        return PlistNode();
    return Parse(bytes);
}

std::string PlistNode::Xml() const
{
    char* text = nullptr;
    uint32_t length = 0;
    plist_to_xml(m_node, &text, &length);
    std::string out(text ? text : "", text ? length : 0);
    free(text);
    return out;
}

std::string PlistNode::Binary() const
{
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(m_node, &bytes, &length);
    std::string out(bytes ? bytes : "", bytes ? length : 0);
    free(bytes);
    return out;
}

std::string PlistNode::StringValue(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return std::string();
    char* text = nullptr;
    plist_get_string_val(node, &text);
    std::string out(text ? text : "");
    free(text);
    return out;
}

std::string PlistNode::DataValue(plist_t node)
{
    if (!node || plist_get_node_type(node) != PLIST_DATA)
        return std::string();
    char* bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    std::string out(bytes ? bytes : "", bytes ? length : 0);
    free(bytes);
    return out;
}

std::string PlistNode::String(plist_t dict, const char* key)
{
    if (!dict || plist_get_node_type(dict) != PLIST_DICT)
        return std::string();
    return StringValue(plist_dict_get_item(dict, key));
}

bool PlistNode::Bool(plist_t dict, const char* key)
{
    if (!dict || plist_get_node_type(dict) != PLIST_DICT)
        return false;
    plist_t node = plist_dict_get_item(dict, key);
    if (!node || plist_get_node_type(node) != PLIST_BOOLEAN)
        return false;
    uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

uint64_t PlistNode::Uint(plist_t dict, const char* key)
{
    if (!dict || plist_get_node_type(dict) != PLIST_DICT)
        return 0;
    plist_t node = plist_dict_get_item(dict, key);
    if (!node || plist_get_node_type(node) != PLIST_UINT)
        return 0;
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return value;
}

std::string PlistNode::Data(plist_t dict, const char* key)
{
    if (!dict || plist_get_node_type(dict) != PLIST_DICT)
        return std::string();
    return DataValue(plist_dict_get_item(dict, key));
}
