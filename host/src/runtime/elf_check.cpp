// A look at a plug-in file before the system's loader maps it. The loader
// trusts the file's headers: a file cut short (a copy that stopped half way)
// maps pages past its end and the process dies with a bus error on first
// touch. So the headers are read here and every part they name must lie
// inside the file.
#include <elf.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "runtime/runtime.h"

namespace hostimpl {

namespace {

#if defined(__x86_64__)
constexpr Elf64_Half kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr Elf64_Half kMachine = EM_AARCH64;
#else
constexpr Elf64_Half kMachine = EM_NONE;
#endif

std::string cutShort(std::uint64_t size, std::uint64_t needed, const char* what) {
  return "it is cut short: " + std::to_string(size) + " bytes, but its " + what + " reach to byte " +
         std::to_string(needed);
}

// end = offset + count * entry, false when that overflows.
bool extent(std::uint64_t offset, std::uint64_t count, std::uint64_t entry, std::uint64_t& end) {
  if (entry != 0 && count > (UINT64_MAX - offset) / entry) return false;
  end = offset + count * entry;
  return true;
}

}  // namespace

std::string sharedObjectProblem(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return "the file cannot be read";
  const auto size = static_cast<std::uint64_t>(in.tellg());
  Elf64_Ehdr header;
  if (size < sizeof header) return "it is not a shared library (too short for one)";
  in.seekg(0);
  in.read(reinterpret_cast<char*>(&header), sizeof header);
  if (!in || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
    return "it is not a shared library (no ELF header)";
  if (header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
      header.e_machine != kMachine)
    return "it is a shared library for another kind of machine";
  if (header.e_type != ET_DYN) return "it is not a shared library (an ELF file of another type)";
  std::uint64_t end = 0;
  if (header.e_phentsize != sizeof(Elf64_Phdr) ||
      !extent(header.e_phoff, header.e_phnum, header.e_phentsize, end))
    return "it is not a shared library (its program headers are damaged)";
  if (end > size) return cutShort(size, end, "program headers");
  if (header.e_shoff != 0) {
    if (!extent(header.e_shoff, header.e_shnum, header.e_shentsize, end))
      return "it is not a shared library (its section headers are damaged)";
    if (end > size) return cutShort(size, end, "section headers");
  }
  std::vector<Elf64_Phdr> segments(header.e_phnum);
  in.seekg(static_cast<std::streamoff>(header.e_phoff));
  in.read(reinterpret_cast<char*>(segments.data()),
          static_cast<std::streamsize>(segments.size() * sizeof(Elf64_Phdr)));
  if (!in) return "the file cannot be read";
  for (const Elf64_Phdr& segment : segments) {
    if (segment.p_type != PT_LOAD && segment.p_type != PT_DYNAMIC) continue;
    if (!extent(segment.p_offset, 1, segment.p_filesz, end))
      return "it is not a shared library (a segment is damaged)";
    if (end > size) return cutShort(size, end, "segments");
  }
  return {};
}

}  // namespace hostimpl
