// The file-level entry points of drawhost/io.h: reading a file into a database, writing the
// database as a drawing file or a picture, and replacing files only once they are complete.
#include "drawhost/io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

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

Result readDxfFile(const std::string& path, AcDbDatabase* db, ReadReport* report) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    const int error = errno;
    return Result::failure("cannot open drawing " + path + ": " +
                           (error ? std::strerror(error) : "cannot be read"));
  }
  std::ostringstream contents;
  contents << file.rdbuf();
  if (file.bad()) return Result::failure("cannot read drawing " + path);
  return readDxfText(contents.str(), db, report, path);
}

std::string dxfText(AcDbDatabase* db, std::vector<std::string>* warnings) {
  dxf::DatabaseExporter exporter(db);
  const dxf::DxfDrawing tables = exporter.tables();
  std::string text = dxf::writeDxf(
      tables, [&](const dxf::DxfEntityVisitor& visit) { exporter.modelSpace(visit); });
  if (warnings) exporter.addWarnings(*warnings);
  return text;
}

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

Result writeFileAtomically(const std::string& path, std::string_view contents) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return Result::failure("cannot write " + path + ": " + std::strerror(errno));
  auto failWith = [&](int error) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return Result::failure("cannot write " + path + ": " + std::strerror(error));
  };
  size_t written = 0;
  while (written < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return failWith(errno);
    }
    written += static_cast<size_t>(n);
  }
  // mkstemp makes the file private; a drawing is as readable as any file the user writes.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::fsync(fd) != 0) return failWith(errno);
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return Result::failure("cannot write " + path + ": " + std::strerror(error));
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return Result::failure("cannot write " + path + ": " + std::strerror(error));
  }
  return Result::success();
}

}  // namespace drawhost
