#pragma once
// The file functions minizip reads a package through. The download a package arrives in stays
// open in this process for writing and deletion until it is installed (so nobody else can
// change or remove it), and the platform's own reader opens files sharing reads only, which such
// a file refuses. This reader shares everything: what the package holds is vouched for entry by
// entry by the signed manifest, not by who else has the file open.

#include <minizip/ioapi.h>

// Fills `table` with the shared reader (reading only; writing fails).
void FillSharedReadFunctions(zlib_filefunc64_def* table);
