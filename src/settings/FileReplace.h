#pragma once
// Replacing a small file so that it is always either the old or the new content: a temporary file of
// its own beside the real one, flushed to the disk, renamed over it, and the folder flushed after.
// Where no new file can be made beside it (a folder that refuses new files, a file system out of
// inodes or space, a quota, no descriptors left) but the file itself may be changed, and where the
// file has other names (hard links) that a rename would leave behind on the old content, the file is
// rewritten in place instead: a change kept matters more than a write that cannot be torn.
#include <filesystem>
#include <string>
#include <string_view>

#include "os/FileSystem.h"

namespace sorvant {

enum class ReplaceStatus {
  Written,   // the new content is in place
  ReadOnly,  // the file is write-protected and was left alone
  NotAFile,  // a device, FIFO, socket or folder stands there: it was left alone
  Failed,    // nothing could be written; the old file is untouched
};

struct ReplaceResult {
  ReplaceStatus status = ReplaceStatus::Failed;
  std::string reason;  // why it was not written, for the operator
};

// The file that `path` stands for: `path` itself, or the end of its chain of symbolic links (which
// may not exist yet). Empty when the chain loops or cannot be read.
std::filesystem::path linkTarget(const std::filesystem::path& path);

// The system calls a replacement makes that tests stand in for: the flush to the disk (to watch the
// flushes or to make one fail) and the creation of the new file (to stand for a folder that refuses
// new files, which no folder does to an administrator). Both as the system calls: -1 with errno.
struct FileCalls {
  using Flush = int (*)(int fd);
  using Create = int (*)(const std::filesystem::path& name);
  Flush flushToDisk = &os::flushToDisk;
  Create createNewFile = &os::createNewFile;
};

// Replaces the file `path` stands for with `text`, through any symbolic links, which stay links. Only
// a regular file, or none, is replaced; a write-protected one never. The new file keeps the old one's
// mode and, where this process may give it away, its owner and group. On a failure the old file
// stays as it was (a rewrite in place first reserves the room it needs, so a full disk cannot cut it
// short) and no temporary file is left behind; after a success, those that killed writers left are removed. A failure
// names the file, and the link it was reached through, never the temporary name.
ReplaceResult replaceFile(const std::filesystem::path& path, std::string_view text, const FileCalls& calls = {});

// Creates the folders missing on the way to `folder`. Made by an administrator inside someone else's
// folder, each is given to that folder's owner, so the owner's own runs can still write there.
void createFolders(const std::filesystem::path& folder);

}  // namespace sorvant
