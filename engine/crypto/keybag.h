#ifndef KEYBAG_H
#define KEYBAG_H

#include "secretbytes.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <map>

// The backup keybag of Manifest.plist (BackupKeyBag): tag-length-value
// records, first the bag's own (SALT, ITER, and since iOS 10.2 DPSL, DPIC),
// then one group
// per protection class (UUID, CLAS, WRAP, KTYP, WPKY). Unlock() turns the
// backup password into the key that unwraps the class keys; the unwrapped
// class keys then unwrap the manifest key and every file key. The class keys
// are wiped when the bag goes. Not thread-safe: its owner serialises use.
class KeyBag
{
public:
    enum UnlockResult {
        UNLOCKED,       // every class key the password protects is unwrapped
        WRONG_PASSWORD, // no class key passed its integrity check
        DAMAGED,        // the bag cannot be parsed, lacks what unlocking needs, or
                        // holds a class key that fails where others pass
        CANCELLED       // the derivation was stopped: the bag stays locked
    };

    // Parses the bag; IsValid() tells whether it has what Unlock() needs.
    explicit KeyBag(const QByteArray& data);

    bool IsValid() const { return m_valid; }
    QString ErrorText() const { return m_error; }
    // Derives for seconds; stops within milliseconds once `cancel` is set.
    UnlockResult Unlock(const SecretBytes& password, const std::atomic<bool>* cancel = nullptr);
    bool IsUnlocked() const { return m_unlocked; }
    // Unwraps a key wrapped with the key of `protectionClass`; false when the
    // class is unknown or still locked, or the integrity check fails.
    bool UnwrapKey(int protectionClass, const QByteArray& wrapped, SecretBytes& key) const;
    // Wraps `key` with the key of `protectionClass`; false as above.
    bool WrapKey(int protectionClass, const SecretBytes& key, QByteArray& wrapped) const;

    // The bag's wrap flag for class keys protected by the password.
    static constexpr int WrapPasscode = 2;

private:
    struct ClassKey
    {
        int wrap = 0;
        QByteArray wrapped;
        SecretBytes key;
    };

    bool Parse(const QByteArray& data);
    bool Fail(const QString& error);

    bool m_valid = false;
    bool m_unlocked = false;
    QString m_error;
    QByteArray m_salt;
    int m_iter = 0;
    QByteArray m_dpsl;
    int m_dpic = 0;
    std::map<int, ClassKey> m_classes;
};

#endif // KEYBAG_H
