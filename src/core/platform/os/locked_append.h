#pragma once

#include <chrono>
#include <string>

namespace xkm {

// Appends one line (given without its line break) to a file shared by
// programs on several machines, e.g. on a network share. The line goes in
// under an exclusive fcntl write lock on the whole file with one write at the
// file's end as it stands under the lock, and is flushed to disk before the
// lock is given up: lines never interleave or overwrite each other, which
// O_APPEND alone does not promise on a network file system, and a lock held
// by a writer that dies is dropped by the kernel or the file server rather
// than left behind as a stale lock file. A line left without its line break
// by an earlier fault is ended first; a write that fails is cut off again.
// Waits at most `patience` for the lock. Throws Error with the reason.
void AppendLineLocked(const std::string& path, const std::string& line,
                      std::chrono::milliseconds patience);

}  // namespace xkm
