#include "page_changes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace adoimpl {
namespace {

// The file header (the first 100 bytes of page 1), as SQLite's file format
// lays it out.
constexpr std::size_t kHeaderSize = 100;
constexpr char kMagic[] = "SQLite format 3";  // with its terminating zero: 16 bytes

// B-tree page types.
constexpr unsigned char kInteriorTable = 5;
constexpr unsigned char kLeafTable = 13;

std::uint32_t read16(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 8 | p[1];
}

std::uint32_t read32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// SQLite's variable-length integer at p, not reading past end; its length in
// `used` (0 when it runs past end).
std::uint64_t readVarint(const unsigned char* p, const unsigned char* end, std::size_t& used) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < 9; ++i) {
    if (p + i >= end) break;
    if (i == 8) {
      used = 9;
      return value << 8 | p[8];
    }
    value = value << 7 | (p[i] & 0x7f);
    if ((p[i] & 0x80) == 0) {
      used = i + 1;
      return value;
    }
  }
  used = 0;
  return 0;
}

std::uint64_t rotl(std::uint64_t x, int r) { return x << r | x >> (64 - r); }

std::uint64_t load64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// A 64-bit hash of n bytes: four lanes of multiply-rotate rounds over 8-byte
// words (xxHash64's round and constants), the tail a byte at a time, then an
// avalanche. Pages differ in a few bytes when a row is edited; any bit that
// moves moves the hash.
std::uint64_t hashBytes(const unsigned char* p, std::size_t n) {
  constexpr std::uint64_t kP1 = 11400714785074694791ULL;
  constexpr std::uint64_t kP2 = 14029467366897019727ULL;
  constexpr std::uint64_t kP3 = 1609587929392839161ULL;
  std::uint64_t lane[4] = {kP1 + kP2, kP2, 0, 0 - kP1};
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    for (int l = 0; l < 4; ++l) lane[l] = rotl(lane[l] + load64(p + i + 8 * l) * kP2, 31) * kP1;
  }
  std::uint64_t h = rotl(lane[0], 1) + rotl(lane[1], 7) + rotl(lane[2], 12) + rotl(lane[3], 18);
  for (; i < n; ++i) h = rotl(h ^ (p[i] * kP3), 11) * kP1;
  h ^= n;
  h ^= h >> 33;
  h *= kP2;
  h ^= h >> 29;
  h *= kP3;
  return h ^ (h >> 32);
}

}  // namespace

FilePages::~FilePages() { unmap(); }

void FilePages::unmap() {
  if (m_data) munmap(const_cast<unsigned char*>(m_data), m_mapped);
  m_data = nullptr;
  m_mapped = 0;
}

bool FilePages::refresh(const std::string& path) {
  const bool had = !m_hashes.empty();
  m_before.swap(m_hashes);
  m_hashes.clear();
  m_compared = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 512) {
    if (fd >= 0) ::close(fd);
    unmap();
    return false;
  }
  // The mapping is kept between refreshes (the pages another connection
  // writes show through it) and made again when the file's size moved.
  if (m_data == nullptr || m_mapped != static_cast<std::size_t>(st.st_size)) {
    unmap();
    void* map = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    if (map != MAP_FAILED) {
      m_data = static_cast<const unsigned char*>(map);
      m_mapped = static_cast<std::size_t>(st.st_size);
    }
  }
  ::close(fd);
  if (m_data == nullptr) return false;

  const unsigned char* h = m_data;
  std::size_t pageSize = read16(h + 16);
  if (pageSize == 1) pageSize = 65536;
  // Read and write versions 1: a rollback journal, so every commit is in the
  // file. A WAL file's recent commits are in its log, which is not read here.
  const bool legacy = h[18] == 1 && h[19] == 1;
  if (std::memcmp(h, kMagic, sizeof kMagic) != 0 || !legacy || pageSize < 512 ||
      (pageSize & (pageSize - 1)) != 0 || h[20] > pageSize - 480) {
    unmap();
    return false;
  }
  // Another page size makes every earlier page number mean something else.
  const bool samePages = pageSize == m_pageSize && m_usable == pageSize - h[20];
  m_pageSize = pageSize;
  m_usable = pageSize - h[20];
  m_pageCount = static_cast<std::uint32_t>(m_mapped / pageSize);
  // The header's own page count, when it is valid (written by the same commit
  // as the change counter), bounds the pages: the file may have a tail.
  const std::uint32_t inHeader = read32(h + 28);
  if (inHeader != 0 && read32(h + 92) == read32(h + 24) && inHeader < m_pageCount) {
    m_pageCount = inHeader;
  }
  m_hashes.resize(m_pageCount);
  m_hashes[0] = hashBytes(m_data + kHeaderSize, m_pageSize - kHeaderSize);
  for (std::uint32_t n = 2; n <= m_pageCount; ++n) m_hashes[n - 1] = hashBytes(page(n), m_pageSize);
  m_compared = had && samePages;
  // What was read of a page holds while its bytes are the same.
  m_links.resize(m_pageCount + 1);
  for (std::uint32_t n = 1; n <= m_pageCount; ++n) {
    if (!m_compared || n > m_before.size() || m_before[n - 1] != m_hashes[n - 1]) {
      m_links[n] = {};
    }
  }
  return true;
}

std::optional<std::vector<std::string>> FilePages::changedTables(
    const std::vector<std::pair<std::string, std::uint32_t>>& tables) const {
  if (!m_data || !m_compared) return std::nullopt;
  std::vector<bool> changed(m_pageCount + 1, false);
  for (std::uint32_t n = 1; n <= m_pageCount; ++n) {
    changed[n] = n > m_before.size() || m_before[n - 1] != m_hashes[n - 1];
  }
  // A page belongs to one tree: reached twice, by one walk or two, the trees
  // are not what they seem.
  std::vector<bool> seen(m_pageCount + 1, false);
  // The schema's tree (rooted at page 1): a change there may have moved a
  // table's root or made a new table.
  const std::optional<bool> schema = treeTouches(1, changed, seen);
  if (!schema || *schema) return std::nullopt;
  std::vector<std::string> out;
  for (const auto& [name, root] : tables) {
    const std::optional<bool> touches = treeTouches(root, changed, seen);
    if (!touches) return std::nullopt;
    if (*touches) out.push_back(name);
  }
  return out;
}

std::optional<bool> FilePages::treeTouches(std::uint32_t root, const std::vector<bool>& changed,
                                           std::vector<bool>& seen) const {
  // Marks a page as reached: false when it cannot be (out of range, or
  // reached before).
  const auto reach = [&](std::uint32_t n) {
    if (n == 0 || n > m_pageCount || seen[n]) return false;
    seen[n] = true;
    return true;
  };
  if (!reach(root)) return std::nullopt;
  std::vector<std::uint32_t> pending{root};
  while (!pending.empty()) {
    const std::uint32_t n = pending.back();
    pending.pop_back();
    // A changed page is not read: its tree has changed, whatever it holds.
    if (changed[n]) return true;
    Links& links = m_links[n];
    if (!links.known && !readLinks(n, links)) return std::nullopt;
    for (const std::uint32_t overflow : links.overflow) {
      if (!reach(overflow)) return std::nullopt;
      if (changed[overflow]) return true;
    }
    for (const std::uint32_t child : links.children) {
      if (!reach(child)) return std::nullopt;
      pending.push_back(child);
    }
  }
  return false;
}

bool FilePages::readLinks(std::uint32_t n, Links& links) const {
  links = {};
  const unsigned char* p = page(n);
  const unsigned char* end = p + m_usable;
  const unsigned char* head = n == 1 ? p + kHeaderSize : p;
  const unsigned char type = head[0];
  if (type != kInteriorTable && type != kLeafTable) return false;
  const std::uint32_t cells = read16(head + 3);
  const std::size_t headerSize = type == kInteriorTable ? 12 : 8;
  if (head + headerSize + 2 * static_cast<std::size_t>(cells) > end) return false;
  if (type == kInteriorTable) links.children.push_back(read32(head + 8));
  // The larger part of a cell's payload that stays on a leaf page, and the
  // rest's overflow pages, as SQLite's file format defines them for tables.
  const std::size_t maxLocal = m_usable - 35;
  const std::size_t minLocal = (m_usable - 12) * 32 / 255 - 23;
  for (std::uint32_t c = 0; c < cells; ++c) {
    const std::size_t offset = read16(head + headerSize + 2 * c);
    if (offset < 8 || offset + 4 > m_usable) return false;
    const unsigned char* cell = p + offset;
    if (type == kInteriorTable) {
      links.children.push_back(read32(cell));
      continue;
    }
    std::size_t used = 0;
    const std::uint64_t payload = readVarint(cell, end, used);
    if (used == 0) return false;
    std::size_t rowidUsed = 0;
    readVarint(cell + used, end, rowidUsed);
    if (rowidUsed == 0) return false;
    if (payload <= maxLocal) continue;
    std::size_t local = minLocal + (payload - minLocal) % (m_usable - 4);
    if (local > maxLocal) local = minLocal;
    const unsigned char* pointer = cell + used + rowidUsed + local;
    if (pointer + 4 > end) return false;
    // The overflow chain: each page's first four bytes name the next. A
    // chain longer than the file loops.
    std::uint64_t left = payload - local;
    for (std::uint32_t next = read32(pointer); left > 0;) {
      if (next == 0 || next > m_pageCount || links.overflow.size() > m_pageCount) return false;
      links.overflow.push_back(next);
      left -= left < m_usable - 4 ? left : m_usable - 4;
      next = read32(page(next));
    }
  }
  links.known = true;
  return true;
}

}  // namespace adoimpl
