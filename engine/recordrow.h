#ifndef RECORDROW_H
#define RECORDROW_H

#include <QByteArray>

// Where a scanned record's row lies, so that a merge can take exactly that
// row again: the database (its path in the backup), the carved source of a
// lost row (empty: the live database) and its rowid there. A plain value.
struct RecordRow
{
    QByteArray store;
    QByteArray origin;
    qint64 rowid = -1;
};

#endif // RECORDROW_H
