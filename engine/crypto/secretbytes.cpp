#include "secretbytes.h"

#include <openssl/crypto.h>

#include <cstring>

SecretBytes::SecretBytes(const char* data, std::size_t size) : m_bytes(size)
{
    if (size)
        std::memcpy(m_bytes.data(), data, size);
}

SecretBytes::~SecretBytes()
{
    Clear();
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept : m_bytes(std::move(other.m_bytes))
{
    other.m_bytes.clear();
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept
{
    if (this != &other) {
        Clear();
        // Moving a vector hands over its buffer; nothing is left to wipe in `other`.
        m_bytes = std::move(other.m_bytes);
        other.m_bytes.clear();
    }
    return *this;
}

SecretBytes SecretBytes::FromByteArray(const QByteArray& data)
{
    return SecretBytes(data.constData(), static_cast<std::size_t>(data.size()));
}

void SecretBytes::Clear()
{
    if (!m_bytes.empty())
        OPENSSL_cleanse(m_bytes.data(), m_bytes.size());
    m_bytes.clear();
}

QByteArray SecretBytes::ToByteArray() const
{
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()),
                      static_cast<int>(m_bytes.size()));
}
