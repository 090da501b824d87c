#pragma once

#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

#include "ftp/listing/ListItem.h"

namespace kobix::ftp {

/// The entries of one listing in the order they were added. They live in blocks of a fixed
/// number, so that a folder of many thousands of entries costs one allocation per block rather
/// than one per entry, and a reference to an entry stays valid while more are added.
class TListItemStore {
 public:
  static constexpr size_t BlockSize = 128;

  TListItemStore() = default;
  ~TListItemStore();
  TListItemStore(const TListItemStore&) = delete;
  TListItemStore& operator=(const TListItemStore&) = delete;
  TListItemStore(TListItemStore&& AOther) noexcept;
  TListItemStore& operator=(TListItemStore&& AOther) noexcept;

  /// Appends an entry with every field at its default.
  TIdFTPListOutputItem& Add();
  size_t size() const { return FCount; }
  TIdFTPListOutputItem& operator[](size_t AIndex) { return FBlocks[AIndex / BlockSize][AIndex % BlockSize]; }
  const TIdFTPListOutputItem& operator[](size_t AIndex) const { return FBlocks[AIndex / BlockSize][AIndex % BlockSize]; }

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TIdFTPListOutputItem;
    using difference_type = std::ptrdiff_t;
    using pointer = const TIdFTPListOutputItem*;
    using reference = const TIdFTPListOutputItem&;

    const_iterator() = default;
    const_iterator(const TListItemStore* AStore, size_t AIndex) : FStore(AStore), FIndex(AIndex) {}
    reference operator*() const { return (*FStore)[FIndex]; }
    pointer operator->() const { return &(*FStore)[FIndex]; }
    const_iterator& operator++() {
      ++FIndex;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++FIndex;
      return old;
    }
    friend bool operator==(const const_iterator& A, const const_iterator& B) { return A.FIndex == B.FIndex; }

   private:
    const TListItemStore* FStore = nullptr;
    size_t FIndex = 0;
  };

  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, FCount); }

 private:
  std::vector<TIdFTPListOutputItem*> FBlocks;  // raw storage for BlockSize entries each
  size_t FCount = 0;
};

}  // namespace kobix::ftp
