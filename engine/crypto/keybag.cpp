#include "keybag.h"

#include "backupcipher.h"

#include <QtEndian>

namespace {

constexpr int PasswordKeySize = 32;
constexpr int WrappedKeySize = 40;
// Phones use 10,000 SHA-1 rounds and, since iOS 10.2, 10,000,000 SHA-256
// rounds before them. Far larger counts only make unlocking take minutes:
// such a bag is damaged.
constexpr int MaximumSha1Rounds = 10000000;
constexpr int MaximumSha256Rounds = 50000000;

int IntValue(const QByteArray& value)
{
    if (value.size() != 4)
        return -1;
    return static_cast<int>(qFromBigEndian<quint32>(value.constData()));
}

} // namespace

KeyBag::KeyBag(const QByteArray& data)
{
    m_valid = Parse(data);
}

bool KeyBag::Fail(const QString& error)
{
    m_error = error;
    return false;
}

bool KeyBag::Parse(const QByteArray& data)
{
    if (data.isEmpty())
        return Fail(QStringLiteral("the backup has no keybag"));
    // The bag's own records come first; each UUID after the first opens the
    // records of one class key.
    bool inClass = false;
    bool seenUuid = false;
    ClassKey current;
    int currentClass = -1;
    const auto finishClass = [this, &current, &currentClass]() {
        if (currentClass < 0 || current.wrapped.size() != WrappedKeySize)
            return Fail(QStringLiteral("a class key of the keybag is incomplete"));
        m_classes[currentClass] = std::move(current);
        current = ClassKey();
        currentClass = -1;
        return true;
    };
    int pos = 0;
    while (pos < data.size()) {
        if (data.size() - pos < 8)
            return Fail(QStringLiteral("the keybag ends inside a record header"));
        const QByteArray tag = data.mid(pos, 4);
        const quint32 length = qFromBigEndian<quint32>(data.constData() + pos + 4);
        pos += 8;
        if (length > static_cast<quint32>(data.size() - pos))
            return Fail(QStringLiteral("the keybag record %1 runs past its end")
                            .arg(QString::fromLatin1(tag.toHex())));
        const QByteArray value = data.mid(pos, static_cast<int>(length));
        pos += static_cast<int>(length);

        if (tag == "UUID") {
            if (inClass && !finishClass())
                return false;
            inClass = seenUuid;
            seenUuid = true;
        } else if (inClass) {
            if (tag == "CLAS")
                currentClass = IntValue(value);
            else if (tag == "WRAP")
                current.wrap = IntValue(value);
            else if (tag == "WPKY")
                current.wrapped = value;
        } else if (tag == "SALT") {
            m_salt = value;
        } else if (tag == "ITER") {
            m_iter = IntValue(value);
        } else if (tag == "DPSL") {
            m_dpsl = value;
        } else if (tag == "DPIC") {
            m_dpic = IntValue(value);
        }
    }
    if (inClass && !finishClass())
        return false;
    if (m_salt.isEmpty() || m_iter < 1)
        return Fail(QStringLiteral("the keybag lacks its salt or round count"));
    // Bags of iOS 10.1 and older have no second salt and count: their one
    // derivation is the SHA-1 one. Half of the pair is damage.
    if (m_dpsl.isEmpty() != (m_dpic == 0) || (!m_dpsl.isEmpty() && m_dpic < 1))
        return Fail(QStringLiteral("the keybag lacks its second salt or round count"));
    if (m_iter > MaximumSha1Rounds || m_dpic > MaximumSha256Rounds)
        return Fail(QStringLiteral("the keybag asks for %1 and %2 rounds, far more than phones use")
                        .arg(m_iter)
                        .arg(m_dpic));
    if (m_classes.empty())
        return Fail(QStringLiteral("the keybag holds no class keys"));
    return true;
}

KeyBag::UnlockResult KeyBag::Unlock(const SecretBytes& password, const std::atomic<bool>* cancel)
{
    if (!m_valid)
        return DAMAGED;
    // Newer phones first stretch the password with SHA-256 over DPSL/DPIC,
    // then derive the key-encryption key with SHA-1 over SALT/ITER; older
    // ones only the latter.
    const SecretBytes stretched =
        m_dpsl.isEmpty()
            ? SecretBytes(reinterpret_cast<const char*>(password.Data()), password.Size())
            : BackupCipher::Pbkdf2(BackupCipher::SHA256, password, m_dpsl, m_dpic, PasswordKeySize,
                                   cancel);
    const SecretBytes passwordKey =
        stretched.IsEmpty() && !password.IsEmpty()
            ? SecretBytes()
            : BackupCipher::Pbkdf2(BackupCipher::SHA1, stretched, m_salt, m_iter, PasswordKeySize,
                                   cancel);
    if (cancel && cancel->load()) {
        m_error = QStringLiteral("the password check was cancelled");
        return CANCELLED;
    }
    if (passwordKey.IsEmpty()) {
        m_error = QStringLiteral("the password key cannot be derived");
        return DAMAGED;
    }
    // One class key that unwraps proves the password right: any other that
    // then fails its check is damaged, not a sign of a wrong password.
    int unwrapped = 0;
    int failed = -1; // the first class that did not unwrap
    for (auto& entry : m_classes) {
        ClassKey& classKey = entry.second;
        if (!(classKey.wrap & WrapPasscode))
            continue;
        if (BackupCipher::UnwrapKey(passwordKey, classKey.wrapped, classKey.key))
            ++unwrapped;
        else if (failed < 0)
            failed = entry.first;
    }
    if (unwrapped == 0 || failed >= 0) {
        for (auto& other : m_classes)
            other.second.key.Clear();
        if (unwrapped > 0) {
            m_error = QStringLiteral("the keybag is damaged: the key of class %1 does not unwrap "
                                     "with the right password")
                          .arg(failed);
            return DAMAGED;
        }
        if (failed >= 0) {
            m_error = QStringLiteral("wrong password");
            return WRONG_PASSWORD;
        }
        m_error = QStringLiteral("no class key of the keybag is protected by the password");
        return DAMAGED;
    }
    m_unlocked = true;
    return UNLOCKED;
}

bool KeyBag::UnwrapKey(int protectionClass, const QByteArray& wrapped, SecretBytes& key) const
{
    const auto it = m_classes.find(protectionClass);
    if (!m_unlocked || it == m_classes.end() || it->second.key.IsEmpty())
        return false;
    return BackupCipher::UnwrapKey(it->second.key, wrapped, key);
}

bool KeyBag::WrapKey(int protectionClass, const SecretBytes& key, QByteArray& wrapped) const
{
    const auto it = m_classes.find(protectionClass);
    if (!m_unlocked || it == m_classes.end() || it->second.key.IsEmpty())
        return false;
    return BackupCipher::WrapKey(it->second.key, key, wrapped);
}
