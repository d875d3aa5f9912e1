// The file-level entry points of drawhost/io.h: reading a file into a database, writing the
// database as a drawing file or a picture, and replacing files only once they are complete.
#include "drawhost/io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/dxf_database.h"
#include "io/dxf_text.h"
#include "io/dxf_reader.h"
#include "io/dxf_writer.h"
#include "io/svg_writer.h"

namespace drawhost {

Result readDxfText(std::string_view contents, AcDbDatabase* db, ReadReport* report,
                   const std::string& name) {
  if (db == nullptr) return Result::failure(name + ": no database to read into");
  std::vector<std::string> warnings;
  dxf::DatabaseImporter importer(db, warnings);
  dxf::DxfDiagnostics diagnostics;
  const bool read = dxf::readDxf(contents, importer, diagnostics);
  const bool finished = importer.finish();
  if (report) {
    for (const std::string& warning : diagnostics.warnings)
      report->warnings.push_back(text::gbkToUtf8(warning, true));
    for (const std::string& warning : warnings)
      report->warnings.push_back(text::gbkToUtf8(warning, true));
  }
  if (!read) {
    std::string error = name + ": " + text::gbkToUtf8(diagnostics.error, true);
    if (!importer.error().empty()) error += ": " + text::gbkToUtf8(importer.error(), true);
    return Result::failure(error);
  }
  if (!finished) return Result::failure(name + ": " + text::gbkToUtf8(importer.error(), true));
  return Result::success();
}

namespace {

// A file's bytes, mapped into memory (no copy) when it is a regular file.
class FileBytes {
 public:
  ~FileBytes() {
    if (mapped_ != nullptr) ::munmap(mapped_, size_);
  }
  std::string_view view() const {
    return mapped_ ? std::string_view(static_cast<const char*>(mapped_), size_) : copy_;
  }
  // An error text, or empty on success.
  std::string read(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
      size_ = static_cast<size_t>(info.st_size);
      void* at = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (at != MAP_FAILED) {
        mapped_ = at;
        return {};
      }
    }
    char buffer[65536];
    while (true) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return std::strerror(errno);
      if (n == 0) return {};
      copy_.append(buffer, static_cast<size_t>(n));
    }
  }

 private:
  void* mapped_ = nullptr;
  size_t size_ = 0;
  std::string copy_;
};

}  // namespace

Result readDxfFile(const std::string& path, AcDbDatabase* db, ReadReport* report) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    return Result::failure("cannot open drawing " + path + ": " + std::strerror(error));
  }
  FileBytes bytes;
  const std::string error = bytes.read(fd);
  ::close(fd);
  if (!error.empty()) return Result::failure("cannot read drawing " + path + ": " + error);
  return readDxfText(bytes.view(), db, report, path);
}

std::string dxfText(AcDbDatabase* db, std::vector<std::string>* warnings) {
  dxf::DatabaseExporter exporter(db);
  const dxf::DxfDrawing tables = exporter.tables();
  std::string text = dxf::writeDxf(
      tables, [&](const dxf::DxfEntityVisitor& visit) { exporter.modelSpace(visit); },
      static_cast<size_t>(db->approxNumObjects()));
  (void)warnings;  // writing loses nothing today, so it has nothing to warn about
  return text;
}

std::string displayedText(std::string_view utf8) { return dxf::displayText(std::string(utf8)); }

std::string svgText(AcDbDatabase* db) {
  dxf::DatabaseExporter exporter(db);
  const dxf::DxfDrawing tables = exporter.tables();
  return dxf::writeSvg(tables,
                       [&](const dxf::DxfEntityVisitor& visit) { exporter.modelSpace(visit); });
}

Result writeDxfFile(const std::string& path, AcDbDatabase* db, std::vector<std::string>* warnings) {
  if (db == nullptr) return Result::failure("cannot write " + path + ": no drawing");
  return writeFileAtomically(path, dxfText(db, warnings));
}

Result writeSvgFile(const std::string& path, AcDbDatabase* db) {
  if (db == nullptr) return Result::failure("cannot write " + path + ": no drawing");
  return writeFileAtomically(path, svgText(db));
}


}  // namespace drawhost
