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

#endif // CATEGORYPANEL_GLOBAL_H
