#ifndef CONTENTFILES_H
#define CONTENTFILES_H

#include <QString>

// Where a record's content files come from when they are not plain files of
// the backup folder: an encrypted backup writes each one to its private path
// the first time a reader asks for it. Owned by the device; records only
// point at it.
class ContentFiles
{
public:
    // Makes `path` readable if it is one of these files; true when it is
    // there (and for paths this object does not know).
    virtual bool Materialize(const QString& path) = 0;

protected:
    ~ContentFiles() = default;
};

#endif // CONTENTFILES_H
