#ifndef LINKEDFILEVFS_H
#define LINKEDFILEVFS_H

#include <QByteArray>
#include <QString>

// SQLite's default VFS with one change: a path is taken as given, where the
// default resolves symbolic links first. The engine reads a database of the
// backup that has a log through links in its work folder, the database's and
// the log's side by side, rather than through copies of both: resolved, the
// link would lead SQLite to look for the log and its index beside the
// backup's own file, where the log goes by another name and nothing may be
// written. Links are made only where the system has them; elsewhere the
// engine copies. Process-wide, registered on first use.
class LinkedFileVfs
{
public:
    // The VFS's name for a URI's "vfs" parameter; empty where there is none.
    static QByteArray Name();
    // Makes `link` a symbolic link to `target`; false where none can be made.
    static bool Link(const QString& target, const QString& link);
};

#endif // LINKEDFILEVFS_H
