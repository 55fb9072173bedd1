#pragma once
// What stands at a path, and reading it only when it is a plain file: a device, a FIFO or a socket
// met where a small text file belongs is never opened in a way that could block or change it.
#include <filesystem>
#include <string>

namespace sorvant {

enum class FileKind {
  Missing,  // nothing there (a link that leads to nothing counts as missing: the file can be made)
  Regular,
  Other,  // a device, FIFO, socket or folder, or a chain of links that loops
};

// What `path` stands for, through any symbolic links, without opening it.
FileKind fileKindAt(const std::filesystem::path& path);

// "a character device", "a FIFO", ...: what a path that is not a regular file holds, for a message.
std::string describeKind(const std::filesystem::path& path);

struct FileRead {
  enum class Status { Read, Missing, NotAFile, Unreadable } status = Status::Missing;
  std::string text;      // the whole content when Read
  std::string reason;    // why it was not read, for the operator
  bool viaLink = false;  // the path is a symbolic link (one that leads to nothing when Missing)
};

// Reads the whole file `path` stands for when it is a regular file. Anything else is not opened for
// reading at all, or (if it changed in between) opened without waiting and closed again unread.
FileRead readRegularFile(const std::filesystem::path& path);

}  // namespace sorvant
