#include "platform/GridCell.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

size_t RoundUp4(size_t n) { return (n + 3) & ~size_t(3); }

}  // namespace

GridCell::GridCell(std::string_view text) {
    const size_t n = std::min(text.size(), kMaxBytes);
    if (n == 0) return;
    if (n <= kInlineBytes) {
        bits_ = kInline | (uint64_t(n) << 1);
        std::memcpy(reinterpret_cast<char*>(&bits_) + 1, text.data(), n);
        return;
    }
    // malloc's blocks are aligned to 16, which leaves the two tag bits 0.
    char* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + n));
    if (!block) throw std::bad_alloc();
    const uint32_t length = uint32_t(n);
    std::memcpy(block, &length, sizeof length);
    std::memcpy(block + sizeof length, text.data(), n);
    bits_ = uint64_t(reinterpret_cast<uintptr_t>(block));
}

GridCell::GridCell(const GridCell& other) {
    // A block of its own is copied; a short text and an arena entry (the
    // arena is shared by the grid's copies) are the eight bytes alone.
    if (other.OwnsBlock()) *this = GridCell(other.View());
    else bits_ = other.bits_;
}

GridCell& GridCell::operator=(const GridCell& other) {
    if (this != &other) *this = GridCell(other);
    return *this;
}

GridCell& GridCell::operator=(GridCell&& other) noexcept {
    if (this != &other) {
        Release();
        bits_ = other.bits_;
        other.bits_ = 0;
    }
    return *this;
}

void GridCell::Release() noexcept {
    if (OwnsBlock()) std::free(reinterpret_cast<void*>(uintptr_t(bits_)));
    bits_ = 0;
}

char* GridArena::Room(size_t bytes) {
    // A short text goes into the cell itself: no arena bytes for it.
    if (bytes <= GridCell::kInlineBytes) return pending_ = scratch_;
    const size_t need = RoundUp4(sizeof(uint32_t) + bytes);
    if (left_ < need) {
        // Blocks as large as what is still expected, within a megabyte; a
        // text larger than that has a block of its own.
        const size_t expected = expected_ > capacity_ ? expected_ - capacity_ : 0;
        const size_t size = std::max(need, std::clamp(expected, kSmallestBlock, kBlockBytes));
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        at_ = blocks_.back().get();
        left_ = size;
        capacity_ += size;
    }
    return pending_ = at_ + sizeof(uint32_t);
}

GridCell GridArena::Take(size_t length) {
    GridCell cell;
    if (length <= GridCell::kInlineBytes) {
        if (length > 0) {
            cell.bits_ = GridCell::kInline | (uint64_t(length) << 1);
            std::memcpy(reinterpret_cast<char*>(&cell.bits_) + 1, pending_, length);
        }
        return cell;
    }
    const uint32_t n = uint32_t(length);
    std::memcpy(at_, &n, sizeof n);
    cell.bits_ = uint64_t(reinterpret_cast<uintptr_t>(at_)) | GridCell::kBorrowed;
    const size_t used = RoundUp4(sizeof(uint32_t) + length);
    at_ += used;
    left_ -= used;
    used_ += used;
    return cell;
}

GridCell GridArena::Add(std::string_view text) {
    std::memcpy(Room(text.size()), text.data(), text.size());
    return Take(text.size());
}

char* GridArena::Adopt(std::string bytes) {
    capacity_ -= adopted_.capacity();
    used_ -= adopted_.size();
    adopted_ = std::move(bytes);
    capacity_ += adopted_.capacity();
    used_ += adopted_.size();
    return adopted_.data();
}

GridCell GridArena::Slice(std::string_view text) {
    const size_t n = text.size();
    if (n <= GridCell::kInlineBytes) return GridCell(text);
    const auto address = uint64_t(reinterpret_cast<uintptr_t>(text.data()));
    if (n >> (64 - GridCell::kSliceLengthShift) != 0 || (address & ~GridCell::kSliceAddressMask) != 0)
        return Add(text);
    GridCell cell;
    cell.bits_ = GridCell::kSlice | (address << 3) | (uint64_t(n) << GridCell::kSliceLengthShift);
    sliced_ += n;
    return cell;
}
