// Program files with a chosen version resource, made at test time by
// copying a small test program and adding the resource to the copy.
#ifndef NIMBALUNE_VERSION_RESOURCE_H
#define NIMBALUNE_VERSION_RESOURCE_H

#include <windows.h>
#include <string>

namespace nltest {

// Copies build/.../tests/product_standin.exe to path and gives the copy a
// version resource whose file version is major.minor.build.revision. With
// zeroFixedPart the whole fixed part, signature included, is zeros. With
// paddingBytes the block gets a child of about that many bytes behind the
// fixed part, for resources larger than a reader's buffer.
bool WriteVersionedProgram(const std::string &path, WORD major, WORD minor, WORD build, WORD revision,
                           bool zeroFixedPart = false, size_t paddingBytes = 0);

// Sets a file's last-write time to this local time of day (today's date).
bool SetLocalWriteTime(const std::string &path, WORD hour, WORD minute, WORD second);

} // namespace nltest

#endif
