// Packed media archive: every media or data file name that a
// loader opens passes through resolveMediaFile. A file that exists is used
// as it is; otherwise the name is looked up in the archive and the entry is
// extracted into the temporary directory. Internal to the runtime: the game
// itself never calls these.
//
// Not thread-safe: like every loader of the runtime, call from the game
// thread only.
#pragma once

#include <cstdint>
#include <string>

#include <vorlan/rt_string.h>

namespace vorlan {

struct ArchiveContext {
    // 1 while archive lookups are allowed; cleared for good when the archive
    // cannot be used (missing name or unopenable file).
    uint8_t enabled = 1;
    // Path of the archive file.
    std::string archiveName;
    // Path of the temporary file of the last successful extraction, or empty.
    std::string lastExtracted;
};

// Gives 1 with the path to open in `result`, or
// 0 with `result` empty. `name` may point into `result`'s own buffer.
int resolveMediaFile(ArchiveContext& context, const char* name, RtString& result);

// For each of the two contexts, deletes its
// pending extracted file, enables it and stores the name. Does nothing for
// contexts that initMediaArchives has not created.
void setArchiveName(const char* firstName, const char* secondName);

// Deletes the context's pending extracted file, if any, and clears the path.
void deletePendingExtraction(ArchiveContext& context);

// --- Start-up and shutdown ------------------------------------------------

// Creates the two contexts (enabled, empty names) and names both with the
// program file itself, so that an archive appended to the executable is
// found. `programPath` nullptr or empty means the file /proc/self/exe names.
void initMediaArchives(const char* programPath);
// Deletes each context's pending extracted file and frees both contexts.
// Safe to call when they were never created, and more than once.
void shutdownMediaArchives();

// The two contexts, or nullptr before initMediaArchives / after shutdown.
ArchiveContext* archiveContext(int index);

// --- For the loaders -------------------------------------------------------

// Resolves a media or data file name through the first context, exactly as
// resolveMediaFile does. Before start-up (or after shutdown) only files that
// exist on disk are found. Gives 1 with the path to open, or 0 and an empty
// `result`. `name` may point into `result`'s own buffer.
int resolveMediaName(const char* name, RtString& result);

}  // namespace vorlan
