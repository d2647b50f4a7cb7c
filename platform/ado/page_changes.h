// Which tables of a catalogue file another connection's commit changed, told
// from the file's pages.
//
// SQLite tells a connection that another one has committed (data_version), not
// what the commit changed, and the data layer adds nothing to the user's file
// (no trigger, no table) to find out. But a table's rows are exactly what its
// b-tree holds: the pages reachable from its root page, with their overflow
// chains. If none of the pages that the tree reaches now differs from what the
// same page held before, a walk from the root sees the same bytes at every
// step, so the table holds the same rows. The file's pages are therefore hashed
// at one version; at the next, hashed again, and a table whose tree reaches a
// page whose hash moved (or a page past the old end of the file) may have
// changed, the others have not.
//
// What the walk does not understand (a file in WAL mode, whose commits are not
// in the file yet; a page that is not a table b-tree's; a page number out of
// range; a tree that loops; a schema whose own tree changed) gives no answer,
// and the caller forgets everything, as it would without this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace adoimpl {

class FilePages {
 public:
  FilePages() = default;
  ~FilePages();
  FilePages(const FilePages&) = delete;
  FilePages& operator=(const FilePages&) = delete;

  // Hashes the file's pages as they are now, keeping the previous hashes for
  // changedTables. The caller holds a read transaction, so no commit changes
  // the file meanwhile. The file stays mapped for the next refresh (mapped
  // again when its size moved). False when it cannot be read as a
  // rollback-journal SQLite database: nothing is then held, and the next
  // refresh has nothing to compare with.
  bool refresh(const std::string& path);

  // The tables among `tables` (name, root page) whose trees reach a page
  // whose hash moved between the last two refreshes (or a page past the
  // earlier end of the file). nullopt when the last refresh had nothing to
  // compare with, when a tree (or the schema's own) cannot be walked, or
  // when the schema changed: then any table may have changed.
  std::optional<std::vector<std::string>> changedTables(
      const std::vector<std::pair<std::string, std::uint32_t>>& tables) const;

 private:
  // What a b-tree page points at: its child pages, and the overflow pages of
  // its cells. Read when a walk first reaches the page and kept while the
  // page's hash stays the same.
  struct Links {
    bool known = false;
    std::vector<std::uint32_t> children;
    std::vector<std::uint32_t> overflow;
  };
  // Whether the tree rooted at root reaches a changed page; nullopt when it
  // cannot be walked. seen: the pages reached by this walk and earlier ones.
  std::optional<bool> treeTouches(std::uint32_t root, const std::vector<bool>& changed,
                                  std::vector<bool>& seen) const;
  bool readLinks(std::uint32_t number, Links& links) const;
  const unsigned char* page(std::uint32_t number) const {
    return m_data + static_cast<std::size_t>(number - 1) * m_pageSize;
  }
  void unmap();

  const unsigned char* m_data = nullptr;
  std::size_t m_mapped = 0;
  std::size_t m_pageSize = 0;
  std::size_t m_usable = 0;  // the page size less the bytes reserved at each page's end
  std::uint32_t m_pageCount = 0;
  std::vector<std::uint64_t> m_hashes;  // one per page, page 1 first (its header left out)
  std::vector<std::uint64_t> m_before;  // of the refresh before
  bool m_compared = false;              // m_before is of the same file
  mutable std::vector<Links> m_links;   // by page number
};

}  // namespace adoimpl
