#include "plugin/queuedemitscope.h"

#if defined(__SANITIZE_THREAD__)
#define CP_TSAN_SCOPE 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define CP_TSAN_SCOPE 1
#endif
#endif

#ifdef CP_TSAN_SCOPE
extern "C" {
void AnnotateIgnoreReadsBegin(const char* file, int line);
void AnnotateIgnoreReadsEnd(const char* file, int line);
void AnnotateIgnoreWritesBegin(const char* file, int line);
void AnnotateIgnoreWritesEnd(const char* file, int line);
}

QueuedEmitScope::QueuedEmitScope()
{
    AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
}

QueuedEmitScope::~QueuedEmitScope()
{
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
    AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
}
#else
QueuedEmitScope::QueuedEmitScope() = default;
QueuedEmitScope::~QueuedEmitScope() = default;
#endif
