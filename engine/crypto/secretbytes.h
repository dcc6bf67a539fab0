#ifndef SECRETBYTES_H
#define SECRETBYTES_H

#include <QByteArray>

#include <cstddef>
#include <vector>

// A key or a password in memory: movable, not copyable, and overwritten with
// OPENSSL_cleanse when it goes or is cleared, so that no copy of it outlives
// its owner. Use it for everything derived from the backup password.
class SecretBytes
{
public:
    SecretBytes() = default;
    explicit SecretBytes(std::size_t size) : m_bytes(size) {}
    SecretBytes(const char* data, std::size_t size);
    ~SecretBytes();
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    // A copy of the bytes of `data`, which the caller wipes itself if it must.
    static SecretBytes FromByteArray(const QByteArray& data);

    unsigned char* Data() { return m_bytes.data(); }
    const unsigned char* Data() const { return m_bytes.data(); }
    std::size_t Size() const { return m_bytes.size(); }
    bool IsEmpty() const { return m_bytes.empty(); }
    // Wipes the bytes and leaves the secret empty.
    void Clear();
    // A copy with the bytes that follow; for known-answer checks and the
    // generator, never for keeping a secret.
    QByteArray ToByteArray() const;

private:
    std::vector<unsigned char> m_bytes;
};

#endif // SECRETBYTES_H
