#include "settings/FileReplace.h"

#include <cerrno>
#include <chrono>
#include <random>
#include <system_error>
#include <vector>

#include "core/PathText.h"
#include "settings/RegularFile.h"

namespace sorvant {

namespace fs = std::filesystem;

namespace {

// The same bound the kernel puts on a chain of links.
constexpr int kMostLinks = 40;
// Names already taken are skipped; this many collisions in a row means something else is wrong.
constexpr int kNameTries = 100;

std::string describe(int error) { return std::generic_category().message(error); }

// A flush that the file system cannot do (a special file, a file system without flushing) is no
// failure: there is nothing more to get to the disk.
bool flushed(int fd, const FileCalls& calls) {
  if (calls.flushToDisk(fd) == 0) return true;
  return os::isFlushUnsupported(errno);
}

// <name>.<six random letters and digits>.tmp, in the folder of the file it will replace.
constexpr std::size_t kRandomLength = 6;
constexpr std::string_view kTemporaryEnd = ".tmp";
// A temporary file this old belongs to no write still going on: its writer was killed.
constexpr auto kLeftoverAge = std::chrono::minutes(1);

fs::path temporaryName(const fs::path& target) {
  static constexpr char kSymbols[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device seed;
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kSymbols) - 2);
  std::string suffix = ".";
  for (std::size_t i = 0; i < kRandomLength; ++i) suffix += kSymbols[pick(seed)];
  fs::path name = target;
  name += suffix + std::string(kTemporaryEnd);
  return name;
}

// Removes the temporary files that writers killed mid-write left beside the target.
// Names are compared as the system keeps them: a neighbour whose name has no text form (not UTF-8, or
// not in the Windows code page) is passed over, never a reason to stop.
void removeLeftovers(const fs::path& target, const fs::path& folder) {
  using Name = fs::path::string_type;
  const Name start = target.filename().native() + fs::path::value_type('.');
  const Name end = fs::path(std::string(kTemporaryEnd)).native();
  const auto oldest = fs::file_time_type::clock::now() - kLeftoverAge;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), last; !ec && it != last; it.increment(ec)) {
    const Name name = it->path().filename().native();
    if (name.size() != start.size() + kRandomLength + end.size() || !name.starts_with(start) || !name.ends_with(end))
      continue;
    std::error_code ignored;
    if (it->is_regular_file(ignored) && it->last_write_time(ignored) < oldest) fs::remove(it->path(), ignored);
  }
}

bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const long n = os::writeSome(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Where no file can be made beside the target, or the target has other names: its own content
// replaced through the file itself, written over from the start and cut to length, so nothing is
// freed before the new content is down, then flushed. Owner, mode and links stay as they were.
ReplaceResult rewriteInPlace(const fs::path& target, std::string_view text, const FileCalls& calls) {
  const int fd = os::openExistingForWriting(target);
  if (fd < 0) return {ReplaceStatus::Failed, pathText(target) + ": " + describe(errno)};
  if (!os::isRegularFile(fd)) {
    os::closeFile(fd);
    return {ReplaceStatus::NotAFile, pathText(target) + " is " + describeKind(target) + ", not a regular file"};
  }
  if (const int error = os::reserve(fd, text.size())) {
    os::closeFile(fd);
    return {ReplaceStatus::Failed, pathText(target) + ": " + describe(error)};
  }
  bool ok = writeAll(fd, text) && os::truncateTo(fd, text.size()) && flushed(fd, calls);
  int error = errno;
  if (os::closeFile(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) return {ReplaceStatus::Failed, pathText(target) + ": " + describe(error)};
  return {ReplaceStatus::Written, {}};
}

// The file as a message names it: the file itself, and the link it was reached through.
std::string shownName(const fs::path& target, const fs::path& path) {
  if (target == path) return pathText(target);
  return pathText(target) + " (linked from " + pathText(path) + ")";
}

// More names than this one lead to the file (hard links): a rename would leave the others behind.
bool hasOtherNames(const fs::path& file) {
  std::error_code ec;
  const auto links = fs::hard_link_count(file, ec);
  return !ec && links > 1;
}

// The rename itself must reach the disk too, or a power cut can bring back the old name's content.
void flushFolder(const fs::path& folder, const FileCalls& calls) {
  const int fd = os::openFolderForFlush(folder);
  if (fd < 0) return;
  flushed(fd, calls);
  os::closeFile(fd);
}

// Replaces `to` by `from` in one step; false says why in errno, as the calls before it do.
bool renameOver(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) errno = ec.value();
  return !ec;
}

}  // namespace

fs::path linkTarget(const fs::path& path) {
  fs::path at = path;
  for (int hop = 0; hop <= kMostLinks; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(at, ec))) return at;
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) return {};
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return {};
}

ReplaceResult replaceFile(const fs::path& path, std::string_view text, const FileCalls& calls) {
  const fs::path target = linkTarget(path);
  if (target.empty()) return {ReplaceStatus::Failed, pathText(path) + ": a link that leads nowhere"};
  const FileKind kind = fileKindAt(target);
  if (kind == FileKind::Other)
    return {ReplaceStatus::NotAFile, pathText(target) + " is " + describeKind(target) + ", not a regular file"};
  if (const std::string protection = os::writeProtection(target); !protection.empty())
    return {ReplaceStatus::ReadOnly, pathText(target) + " " + protection};
  if (kind == FileKind::Regular && hasOtherNames(target)) return rewriteInPlace(target, text, calls);
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();

  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kNameTries && fd < 0; ++attempt) {
    temporary = temporaryName(target);
    fd = calls.createNewFile(temporary);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    const int error = errno;
    // Whatever keeps a new file from being made (a folder that refuses new files, no inodes left, a
    // quota, no descriptors left), the file itself may still take the new content.
    if (kind == FileKind::Regular) return rewriteInPlace(target, text, calls);
    return {ReplaceStatus::Failed,
            shownName(target, path) + " cannot be made in " + pathText(folder) + ": " + describe(error)};
  }

  os::keepOwnerAndMode(fd, target, folder);
  bool ok = writeAll(fd, text) && flushed(fd, calls);
  int error = errno;
  if (os::closeFile(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    std::error_code ec;
    fs::remove(temporary, ec);
    // Out of room: the old file's own blocks may still take the new content.
    if (kind == FileKind::Regular && os::isOutOfRoom(error)) return rewriteInPlace(target, text, calls);
    return {ReplaceStatus::Failed, shownName(target, path) + ": " + describe(error)};
  }
  if (!renameOver(temporary, target)) {
    error = errno;
    std::error_code ec;
    fs::remove(temporary, ec);
    return {ReplaceStatus::Failed, shownName(target, path) + ": " + describe(error)};
  }
  flushFolder(folder, calls);
  removeLeftovers(target, folder);
  return {ReplaceStatus::Written, {}};
}

void createFolders(const fs::path& folder) {
  std::vector<fs::path> missing;
  std::error_code ec;
  for (fs::path at = folder; !at.empty() && !fs::exists(fs::symlink_status(at, ec)); at = at.parent_path()) {
    missing.push_back(at);
    if (at == at.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!fs::create_directory(*it, ec)) return;
    os::giveToParentsOwner(*it);
  }
}

}  // namespace sorvant
