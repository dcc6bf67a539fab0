#ifndef FRAMEKIT_GLOBAL_H
#define FRAMEKIT_GLOBAL_H

#include <QtGlobal>

// FRAMEKIT_EXPORT marks what the category pages link against.
#if defined(FRAMEKIT_LIBRARY)
#define FRAMEKIT_EXPORT Q_DECL_EXPORT
#else
#define FRAMEKIT_EXPORT Q_DECL_IMPORT
#endif

#endif // FRAMEKIT_GLOBAL_H
