#ifndef SAMPLECARVERSITUATIONS_H
#define SAMPLECARVERSITUATIONS_H

#include <QString>
#include <QStringList>

struct sqlite3;

// Writes small SQLite databases, made by SQLite itself with the phone's
// settings (secure_delete off, no auto-vacuum), each leaving deleted rows in
// one of the places a record carver must look: heads a freeblock header
// overwrote in the unallocated gap, a freeblock of several records whose end
// a later row took, an interior root page that was a leaf, records older than
// an ALTER TABLE ... ADD COLUMN, and a rollback journal captured before its
// first sync. Beside each <name>.db (and its side file) goes <name>.truth.json:
// {"table": ..., "journal": file or "", "deleted": [{"values": [...],
// "survives": bool}]}, "survives" telling whether every text of the row is
// still somewhere in the files. Owns nothing past Write().
class SampleCarverSituations
{
public:
    // Writes every situation into `folder` (made if missing); false with
    // ErrorText() on a failure.
    bool Write(const QString& folder);
    static QStringList Names();
    QString ErrorText() const { return m_error; }

private:
    bool Situation(const QString& folder, const QString& name);
    bool Exec(sqlite3* db, const QString& sql);

    QString m_error;
};

#endif // SAMPLECARVERSITUATIONS_H
