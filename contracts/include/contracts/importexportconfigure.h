#ifndef MMOBILE_IMPORTEXPORTCONFIGURE_H
#define MMOBILE_IMPORTEXPORTCONFIGURE_H

// A recovery request handed to the engine's StartImport/StartExport.
// The page builds it as a local value that dies when the starting call returns,
// so an engine keeps its own copy (copying is deep). The path and the index
// array are owned by the configuration and freed with it.

#include "contracts/mmobiletypes.h"

#include <cstring>

namespace MMobile {

class IDevice;

struct ImportExportConfigure
{
    MDType nType;       // category; -1 lets the engine use the page's own
    int nMode;          // RecoverMode
    int nOption;        // the page's GetExportOption(), opaque to the library
    char* szPath;       // output folder, UTF-8, owned; null when none
    IDevice* pDevice;   // target device, not owned; null when none
    int* pIndexs;       // store positions of the items to recover, owned
    int nIndexCount;    // entries of pIndexs

    ImportExportConfigure() { InitEmpty(); }
    ImportExportConfigure(const ImportExportConfigure& other)
    {
        InitEmpty();
        CopyFrom(other);
    }
    ImportExportConfigure& operator=(const ImportExportConfigure& other)
    {
        if (this != &other) {
            Reset();
            CopyFrom(other);
        }
        return *this;
    }
    ~ImportExportConfigure() { Reset(); }

    // Back to the empty request: nType -1, everything else 0 or null.
    void Reset()
    {
        delete[] szPath;
        delete[] pIndexs;
        InitEmpty();
    }

    // Owned copy of `path` (null clears it).
    void SetPath(const char* path)
    {
        delete[] szPath;
        szPath = nullptr;
        if (path) {
            const std::size_t n = std::strlen(path);
            szPath = new char[n + 1];
            std::memcpy(szPath, path, n + 1);
        }
    }

    // Owned copy of `count` indexes (a null array or a count below 1 clears them).
    template <class Int>
    void SetIndexs(const Int* indexs, int count)
    {
        delete[] pIndexs;
        pIndexs = nullptr;
        nIndexCount = 0;
        if (!indexs || count < 1)
            return;
        pIndexs = new int[count];
        for (int i = 0; i < count; ++i)
            pIndexs[i] = static_cast<int>(indexs[i]);
        nIndexCount = count;
    }

private:
    void InitEmpty()
    {
        nType = static_cast<MDType>(-1);
        nMode = 0;
        nOption = 0;
        szPath = nullptr;
        pDevice = nullptr;
        pIndexs = nullptr;
        nIndexCount = 0;
    }
    void CopyFrom(const ImportExportConfigure& other)
    {
        nType = other.nType;
        nMode = other.nMode;
        nOption = other.nOption;
        pDevice = other.pDevice;
        SetPath(other.szPath);
        SetIndexs(other.pIndexs, other.nIndexCount);
    }
};

} // namespace MMobile

#endif // MMOBILE_IMPORTEXPORTCONFIGURE_H
