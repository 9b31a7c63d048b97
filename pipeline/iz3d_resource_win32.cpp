#include "pipeline/compose.h"

unsigned short *LoadIZ3DTable()
{
    HRSRC res = FindResourceA(nullptr, "IZ3D", "Binary");
    if (!res)
        return nullptr;
    HGLOBAL data = LoadResource(nullptr, res);
    const unsigned char *bytes = data ? (const unsigned char *)LockResource(data) : nullptr;
    DWORD size = SizeofResource(nullptr, res);
    if (!bytes || size < kIz3dTableEntries)
        return nullptr;
    return BuildIz3dTable(bytes, kIz3dTableEntries);
}
