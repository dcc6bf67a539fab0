#ifndef CATEGORYPANEL_GLOBAL_H
#define CATEGORYPANEL_GLOBAL_H

#include <QtGlobal>

// CATEGORYPANEL_EXPORT marks what category plug-ins link against.
// CATEGORYPANEL_AUTOTEST_EXPORT marks internal classes that only the library's
// own tests reach; they are exported only from a build with tests, and a
// plug-in never sees them exported.
#if defined(CATEGORYPANEL_LIBRARY)
#define CATEGORYPANEL_EXPORT Q_DECL_EXPORT
#else
#define CATEGORYPANEL_EXPORT Q_DECL_IMPORT
#endif

#if defined(CATEGORYPANEL_LIBRARY) && defined(CATEGORYPANEL_BUILD_TESTS)
#define CATEGORYPANEL_AUTOTEST_EXPORT Q_DECL_EXPORT
#else
#define CATEGORYPANEL_AUTOTEST_EXPORT
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
