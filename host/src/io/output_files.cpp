// Writing output files so that nothing is ever half done: every output goes to a temporary file
// beside its target first, and only when all of them are complete are they put in place.
//
// A target keeps what the user gave it: its mode and owner, and its other names (a file with
// more than one hard link is rewritten in place, after all temporary files are complete, since
// a rename would leave the other names on the old contents). A symbolic link is followed, and
// the file it names is replaced. A target that is not a regular file (a folder, a pipe, a
// device) is refused, and so are two outputs that name the same file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "drawhost/io.h"

namespace drawhost {

namespace {

struct Target {
  std::string path;      // as given, for messages
  std::string resolved;  // symbolic links followed
  bool exists = false;
  struct stat status {};
  std::string temporary;
};

Result cannotWrite(const std::string& path, int error) {
  return Result::failure("cannot write " + path + ": " + std::strerror(error));
}

// Follows symbolic links to the file they name, which may not exist yet.
std::string resolve(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path at = path;
  std::error_code error;
  for (int links = 0; links < 40 && fs::is_symlink(at, error); ++links) {
    const fs::path next = fs::read_symlink(at, error);
    if (error) break;
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  const fs::path resolved = fs::weakly_canonical(at, error);
  return error ? at.string() : resolved.string();
}

Result inspect(const std::string& path, Target& target) {
  target.path = path;
  target.resolved = resolve(path);
  if (::stat(target.resolved.c_str(), &target.status) != 0) {
    if (errno != ENOENT) return cannotWrite(path, errno);
    return Result::success();
  }
  target.exists = true;
  if (S_ISDIR(target.status.st_mode)) return Result::failure("cannot write " + path + ": it is a folder");
  if (!S_ISREG(target.status.st_mode))
    return Result::failure("cannot write " + path + ": it is not a regular file");
  return Result::success();
}

bool writeAll(int fd, std::string_view contents) {
  size_t written = 0;
  while (written < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

// The complete contents in a temporary file beside the target, with the target's mode and owner.
Result writeTemporary(Target& target, std::string_view contents) {
  std::string temporary = target.resolved + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return cannotWrite(target.path, errno);
  mode_t mode;
  if (target.exists) {
    mode = target.status.st_mode & 07777;
    // Only the owner or the superuser may give a file away; otherwise it stays the writer's.
    if (::fchown(fd, target.status.st_uid, target.status.st_gid) != 0 && errno != EPERM) {
      const int error = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      return cannotWrite(target.path, error);
    }
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  const bool ok = writeAll(fd, contents) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const int error = errno;
  if (::close(fd) != 0 || !ok) {
    ::unlink(temporary.c_str());
    return cannotWrite(target.path, ok ? errno : error);
  }
  target.temporary = std::move(temporary);
  return Result::success();
}

// Puts a complete temporary file in place.
Result putInPlace(const Target& target, std::string_view contents) {
  if (!target.exists || target.status.st_nlink <= 1) {
    if (::rename(target.temporary.c_str(), target.resolved.c_str()) != 0) {
      const int error = errno;
      ::unlink(target.temporary.c_str());
      return cannotWrite(target.path, error);
    }
    return Result::success();
  }
  ::unlink(target.temporary.c_str());
  const int fd = ::open(target.resolved.c_str(), O_WRONLY | O_TRUNC);
  if (fd < 0) return cannotWrite(target.path, errno);
  const bool ok = writeAll(fd, contents) && ::fsync(fd) == 0;
  const int error = errno;
  if (::close(fd) != 0 || !ok) return cannotWrite(target.path, ok ? errno : error);
  return Result::success();
}

}  // namespace

Result checkOutputTargets(const std::vector<std::string>& paths) {
  std::vector<Target> targets(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    if (Result checked = inspect(paths[i], targets[i]); !checked) return checked;
    for (size_t j = 0; j < i; ++j) {
      const bool sameFile = targets[i].exists && targets[j].exists
                                ? targets[i].status.st_dev == targets[j].status.st_dev &&
                                      targets[i].status.st_ino == targets[j].status.st_ino
                                : targets[i].resolved == targets[j].resolved;
      if (sameFile)
        return Result::failure("cannot write " + paths[i] + ": it is also where " + paths[j] +
                               " goes");
    }
  }
  return Result::success();
}

Result writeFilesAtomically(const std::vector<OutputFile>& outputs) {
  std::vector<std::string> paths;
  for (const OutputFile& output : outputs) paths.push_back(output.path);
  if (Result checked = checkOutputTargets(paths); !checked) return checked;
  std::vector<Target> targets(outputs.size());
  auto discard = [&]() {
    for (const Target& target : targets)
      if (!target.temporary.empty()) ::unlink(target.temporary.c_str());
  };
  for (size_t i = 0; i < outputs.size(); ++i) {
    Result written = inspect(outputs[i].path, targets[i]);
    if (written) written = writeTemporary(targets[i], outputs[i].contents);
    if (!written) {
      discard();
      return written;
    }
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    if (Result placed = putInPlace(targets[i], outputs[i].contents); !placed) {
      for (size_t j = i + 1; j < outputs.size(); ++j) ::unlink(targets[j].temporary.c_str());
      return placed;
    }
  }
  return Result::success();
}

Result writeFileAtomically(const std::string& path, std::string_view contents) {
  return writeFilesAtomically({{path, contents}});
}

}  // namespace drawhost
