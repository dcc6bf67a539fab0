#ifndef CBMSEARCHPROBE_H
#define CBMSEARCHPROBE_H

#include "search/cbmsearch.h"

#include <QVector>

// Test access to the engine's private tables and steps. Friend of CBMSearch
// in builds with tests.
class CBMSearchProbe
{
public:
    static bool buildBS(CBMSearch& engine, const char* pattern, int m)
    {
        return engine.BuildBS(pattern, m);
    }
    static bool buildGS(CBMSearch& engine, const char* pattern, int m)
    {
        return engine.BuildGS(pattern, m);
    }
    static bool bmSearch(CBMSearch& engine, const char* text, const char* pattern, int m)
    {
        return engine.BMSearch(text, pattern, m);
    }
    static int badChar(const CBMSearch& engine, unsigned char byte)
    {
        return engine.m_badChar[byte];
    }
    // The first `m` entries; empty when the arrays hold fewer.
    static QVector<int> suffix(const CBMSearch& engine, int m)
    {
        return firstEntries(engine.m_suffix, engine.m_tableSize, m);
    }
    static QVector<int> goodSuffix(const CBMSearch& engine, int m)
    {
        return firstEntries(engine.m_goodSuffix, engine.m_tableSize, m);
    }
    static int tableSize(const CBMSearch& engine) { return engine.m_tableSize; }
    static const void* suffixArray(const CBMSearch& engine) { return engine.m_suffix; }
    static const void* goodSuffixArray(const CBMSearch& engine) { return engine.m_goodSuffix; }
    static void failNextAllocation() { CBMSearch::s_failNextAllocation = true; }

private:
    static QVector<int> firstEntries(const qint32* array, int size, int m)
    {
        QVector<int> entries;
        if (!array || m > size)
            return entries;
        for (int i = 0; i < m; ++i)
            entries.append(array[i]);
        return entries;
    }
};

#endif // CBMSEARCHPROBE_H
