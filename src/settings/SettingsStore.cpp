#include "settings/SettingsStore.h"

#include "core/System.h"

namespace sorvant {

namespace fs = std::filesystem;

namespace {

// Damaged files kept besides the first one.
constexpr int kOlderBadFiles = 3;

// The first free name for a damaged file; once all are taken, the last, so the first faults'
// evidence is never erased by a fault that keeps coming back.
fs::path badFileName(const fs::path& path) {
  fs::path name = path;
  name += ".bad";
  for (int older = 1; older <= kOlderBadFiles; ++older) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(name, ec))) return name;
    name = path;
    name += ".bad." + std::to_string(older);
  }
  return name;
}

}  // namespace

FileRead FileSystemStore::read(const fs::path& path) { return readRegularFile(path); }

std::string FileSystemStore::protection(const fs::path& path) {
  const fs::path target = linkTarget(path);
  return target.empty() ? std::string() : os::writeProtection(target);
}

std::error_code FileSystemStore::keepAside(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  if (!fs::exists(status)) return {};
  const fs::path bad = badFileName(path);
  // Renaming a link would take the link away, and renaming one name of a hard-linked file would
  // leave the damage under the others: the content is copied aside, and the defaults written
  // over it where it stands.
  const auto names = fs::hard_link_count(path, ec);
  if (fs::is_symlink(status) || (!ec && names > 1))
    fs::copy_file(path, bad, fs::copy_options::overwrite_existing, ec);
  else
    fs::rename(path, bad, ec);
  return ec;
}

ReplaceResult FileSystemStore::replace(const fs::path& path, std::string_view text) {
  if (path.has_parent_path()) createFolders(path.parent_path());
  return replaceFile(path, text, calls_);
}

SettingsStore& settingsStoreOf(System& sys) {
  // Holds nothing that changes: every system without a store of its own may share it.
  static FileSystemStore fileSystem;
  return sys.settingsStore != nullptr ? *sys.settingsStore : fileSystem;
}

}  // namespace sorvant
