#pragma once
// Replacing a small file so that it is always either the old or the new content: a temporary file of
// its own beside the real one, flushed to the disk, renamed over it, and the folder flushed after.
#include <filesystem>
#include <string>
#include <string_view>

namespace sorvant {

enum class ReplaceStatus {
  Written,   // the new content is in place
  ReadOnly,  // the file is write-protected and was left alone
  Failed,    // nothing could be written; the old file is untouched
};

struct ReplaceResult {
  ReplaceStatus status = ReplaceStatus::Failed;
  std::string reason;  // why it was not written, for the operator
};

// The file that `path` stands for: `path` itself, or the end of its chain of symbolic links (which
// may not exist yet). Empty when the chain loops or cannot be read.
std::filesystem::path linkTarget(const std::filesystem::path& path);

// True when an existing file is write-protected: no write permission for anyone (the operator locked
// it, which counts even for an administrator), or none for this user.
bool isWriteProtected(const std::filesystem::path& file);

// Replaces the file `path` stands for with `text`, through any symbolic links, which stay links. A
// write-protected file is never replaced. On any failure the old file stays as it was and no
// temporary file is left behind; after a success, those that killed writers left are removed.
ReplaceResult replaceFile(const std::filesystem::path& path, std::string_view text);

// Flushes an open file or folder to the disk; 0 on success. Tests put their own in to watch the
// flushes or to make one fail.
using SyncCall = int (*)(int fd);
extern SyncCall syncToDisk;

}  // namespace sorvant
