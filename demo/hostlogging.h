#ifndef HOSTLOGGING_H
#define HOSTLOGGING_H

#include <QString>

// Where the host's log goes: one log4j properties file in the log folder
// that sends every line to "<folder>/demo.log".
class HostLogging
{
public:
    // Writes the properties into `folder` and applies them; false when they
    // cannot be written.
    static bool Configure(const QString& folder);
};

#endif // HOSTLOGGING_H
