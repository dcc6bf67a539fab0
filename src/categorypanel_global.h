#ifndef CATEGORYPANEL_GLOBAL_H
#define CATEGORYPANEL_GLOBAL_H

#include <QtGlobal>

// CATEGORYPANEL_EXPORT marks what category plug-ins link against, and nothing
// else leaves the shared library. Internal classes carry no mark; the
// library's tests reach them by linking the library's objects.
#if defined(CATEGORYPANEL_LIBRARY)
#define CATEGORYPANEL_EXPORT Q_DECL_EXPORT
#else
#define CATEGORYPANEL_EXPORT Q_DECL_IMPORT
#endif

// Qt 6's Q_OBJECT no longer declares trUtf8; the classes whose interface had
// it keep it, in a public section (texts are UTF-8 under either Qt).
#if QT_VERSION_MAJOR >= 6
#define CATEGORYPANEL_TRUTF8                                                                       \
    static inline QString trUtf8(const char* s, const char* c = nullptr, int n = -1)               \
    {                                                                                              \
        return tr(s, c, n);                                                                        \
    }
#else
#define CATEGORYPANEL_TRUTF8
#endif

#endif // CATEGORYPANEL_GLOBAL_H
