#pragma once
// Where the settings file lives: how it is read, kept aside when damaged and replaced. The program
// keeps it in the file system; the fuzz targets keep it in memory, so that an input costs no file
// system work while the reader and writer around it run as they do in the program. A system is
// given its store (System::settingsStore).
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "settings/FileReplace.h"
#include "settings/RegularFile.h"

namespace sorvant {

struct System;

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The whole file when it is a regular file; what stands there otherwise (readRegularFile).
  virtual FileRead read(const std::filesystem::path& path) = 0;
  // Why the file may not be changed ("is write-protected", "is on a read-only file system"); empty
  // when it may, or when there is no file.
  virtual std::string protection(const std::filesystem::path& path) = 0;
  // Keeps a damaged file aside: <path>.bad, or when that is taken the first free of <path>.bad.1 to
  // .bad.3, the newest replacing .bad.3 once all are taken. A file with other names (a symbolic or
  // hard link) stays where it is and its content is copied aside. An error says it could not be kept.
  virtual std::error_code keepAside(const std::filesystem::path& path) = 0;
  // Creates the folder of `path` when missing, then replaces the file through any link (replaceFile).
  virtual ReplaceResult replace(const std::filesystem::path& path, std::string_view text) = 0;
};

// The file system, through the system calls given (tests give their own to watch or fail them).
class FileSystemStore final : public SettingsStore {
 public:
  explicit FileSystemStore(const FileCalls& calls = {}) : calls_(calls) {}
  FileRead read(const std::filesystem::path& path) override;
  std::string protection(const std::filesystem::path& path) override;
  std::error_code keepAside(const std::filesystem::path& path) override;
  ReplaceResult replace(const std::filesystem::path& path, std::string_view text) override;

 private:
  const FileCalls calls_;
};

// The store the system was given, or the file system when none.
SettingsStore& settingsStoreOf(System& sys);

}  // namespace sorvant
