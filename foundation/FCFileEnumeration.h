#pragma once

#include <cstdint>

#include "foundation/FCPathName.h"
#include "foundation/FCString.h"
#include "foundation/LumivexApi.h"

// Lists the entries of a folder that match a pattern ("save\\*.dat"),
// resolved by the path rules. Names beginning with "." are never listed;
// folders end with a backslash.
class LUMIVEX_API FCFileEnumeration {
public:
    FCFileEnumeration();
    virtual ~FCFileEnumeration();
    FCFileEnumeration(const FCFileEnumeration&) = delete;
    FCFileEnumeration& operator=(const FCFileEnumeration&) = delete;

    // Closes any search and keeps the pattern; next() starts the search.
    void start(const char* pattern);
    // The next entry; false at the end.
    bool next();
    // The pattern's folder (with its separator) followed by the entry's name.
    const FCString& fullPath() const { return m_fullPath; }
    // The entry's name, inside fullPath().
    const char* name() const;
    void close();

private:
    FCPathName m_pattern;
    FCString m_fullPath;
    void* m_search; // the system's search handle, (void*)-1 when closed
    alignas(4) unsigned char m_findRecord[592]; // WIN32_FIND_DATAW
};
