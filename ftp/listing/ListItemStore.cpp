#include "ftp/listing/ListItemStore.h"

#include <memory>

namespace kobix::ftp {

TListItemStore::~TListItemStore() {
  std::allocator<TIdFTPListOutputItem> allocator;
  for (size_t i = 0; i < FCount; ++i) std::destroy_at(&(*this)[i]);
  for (TIdFTPListOutputItem* block : FBlocks) allocator.deallocate(block, BlockSize);
}

TListItemStore::TListItemStore(TListItemStore&& AOther) noexcept
    : FBlocks(std::move(AOther.FBlocks)), FCount(std::exchange(AOther.FCount, 0)) {
  AOther.FBlocks.clear();
}

TListItemStore& TListItemStore::operator=(TListItemStore&& AOther) noexcept {
  if (this != &AOther) {
    TListItemStore old(std::move(*this));
    FBlocks = std::move(AOther.FBlocks);
    AOther.FBlocks.clear();
    FCount = std::exchange(AOther.FCount, 0);
  }
  return *this;
}

TIdFTPListOutputItem& TListItemStore::Add() {
  if (FCount == FBlocks.size() * BlockSize) {
    FBlocks.reserve(FBlocks.size() + 1);  // so that the push below cannot throw with the block unowned
    FBlocks.push_back(std::allocator<TIdFTPListOutputItem>().allocate(BlockSize));
  }
  TIdFTPListOutputItem* item = std::construct_at(&FBlocks[FCount / BlockSize][FCount % BlockSize]);
  ++FCount;
  return *item;
}

}  // namespace kobix::ftp
