#pragma once
// The operating system's calls on files and folders that the settings file's reader and writer make,
// by descriptor. Defined once per system, in src/os/posix/ and src/os/win32/; CMake builds the one
// for the system the program is made for. Calls that can fail return -1 (or false) with the reason in
// errno, as the system calls themselves do.
#include <cstddef>
#include <filesystem>
#include <string>

namespace sorvant::os {

// Opens a file for reading without waiting (a FIFO put in place would otherwise block until a writer
// came) and without making it the controlling terminal; a descriptor, or -1.
int openForReading(const std::filesystem::path& path);
// Creates a file that did not exist before, for writing: no other writer can share it or truncate
// it. Its descriptor, or -1 (EEXIST when the name is taken).
int createNewFile(const std::filesystem::path& name);
// Opens an existing file for writing without creating it or waiting on it; a descriptor, or -1.
int openExistingForWriting(const std::filesystem::path& name);
// Opens a folder so that its entries can be flushed to the disk; -1 where folders cannot be flushed.
int openFolderForFlush(const std::filesystem::path& folder);

// True when the open file is a regular file.
bool isRegularFile(int fd);
// Reads up to `size` bytes: how many were read, 0 at the end, or -1.
long readSome(int fd, char* into, std::size_t size);
// Writes up to `size` bytes: how many were written, or -1.
long writeSome(int fd, const char* from, std::size_t size);
// Cuts or extends the file to `size` bytes.
bool truncateTo(int fd, std::size_t size);
// Makes the file at least `size` bytes long in blocks the file system has handed out, so that a
// rewrite cannot run out of room halfway. 0 when done or when the file system cannot reserve; the
// error number otherwise.
int reserve(int fd, std::size_t size);
// Flushes the open file or folder to the disk; 0, or -1.
int flushToDisk(int fd);
// Closes the descriptor; 0, or -1.
int closeFile(int fd);

// Gives the new file `fd` the owner, group and permissions of `target`, where this process may (one
// run as administrator must not take the file away from the user who keeps it); a file new to
// `folder`, made by an administrator, goes to the folder's owner. Nothing where files have no owner.
void keepOwnerAndMode(int fd, const std::filesystem::path& target, const std::filesystem::path& folder);
// Gives a folder just made by an administrator to the owner of the folder it is in, so that the
// owner's own runs can still write there. Nothing otherwise.
void giveToParentsOwner(const std::filesystem::path& folder);

// Why an existing file may not be changed: "is write-protected" (no write permission for anyone, which
// binds even an administrator, or none for this user) or "is on a read-only file system". Empty when
// it may be changed, or when there is no file.
std::string writeProtection(const std::filesystem::path& file);

// A flush that failed with this error failed only because the file or file system has none to do.
bool isFlushUnsupported(int error);
// A write that failed with this error ran out of room (space, or the user's quota).
bool isOutOfRoom(int error);

}  // namespace sorvant::os
