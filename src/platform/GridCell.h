#pragma once
// How the grid keeps a cell's text in memory: eight bytes per cell. An empty
// cell is all zero; a text of up to seven bytes lies in the cell itself; a
// longer one lies in a block of its own (made when a cell is set) or in an
// arena the cell borrows from: the bytes of the file it was read from, where
// the cell holds the text's address and length (a slice), or an entry
// copied there. Reading a file therefore costs the file and eight bytes a
// cell, not one allocation per cell. A grid of empty cells takes about
// eight bytes a cell, where a std::string took thirty-two.
//
// Blocks and arena entries hold a 32-bit length before the bytes, so one
// cell holds at most GridCell::kMaxBytes; a slice holds up to 16,383 bytes.

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

static_assert(std::endian::native == std::endian::little, "a short text lies in the cell's bytes 1 to 7");

class GridCell {
public:
    static constexpr size_t kMaxBytes = 0xFFFFFFFFu;
    static constexpr size_t kInlineBytes = 7;

    GridCell() noexcept = default;
    // A cell holding its own copy of the text (cut to kMaxBytes).
    explicit GridCell(std::string_view text);
    GridCell(const GridCell& other);
    GridCell(GridCell&& other) noexcept : bits_(other.bits_) { other.bits_ = 0; }
    GridCell& operator=(const GridCell& other);
    GridCell& operator=(GridCell&& other) noexcept;
    ~GridCell() { Release(); }

    // Read for every cell of every pass over a grid: defined here, inline.
    std::string_view View() const noexcept {
        if (bits_ == 0) return {};
        if (bits_ & kInline) return {reinterpret_cast<const char*>(&bits_) + 1, size_t((bits_ & 0xFF) >> 1)};
        if ((bits_ & kTagBits) == kSlice) return {SliceData(), size_t(bits_ >> kSliceLengthShift)};
        const char* entry = reinterpret_cast<const char*>(uintptr_t(bits_ & ~uint64_t(kInline | kBorrowed)));
        uint32_t length = 0;
        std::memcpy(&length, entry, sizeof length);
        return {entry + sizeof length, length};
    }
    bool Empty() const noexcept { return bits_ == 0; }
    // Asks for the text's bytes ahead of a read (a pass over many rows).
    void Prefetch() const noexcept {
        if (bits_ == 0 || (bits_ & kInline)) return;
        if ((bits_ & kTagBits) == kSlice) __builtin_prefetch(SliceData());
        else __builtin_prefetch(reinterpret_cast<const void*>(uintptr_t(bits_ & ~uint64_t(kInline | kBorrowed))));
    }
    // A text in a block of its own (set one by one), not in the cell or an arena.
    bool OwnsBlock() const noexcept { return bits_ != 0 && (bits_ & kTagBits) == 0; }
    bool Borrowed() const noexcept { return (bits_ & kBorrowed) != 0 || (bits_ & kTagBits) == kSlice; }
    // For passes over every cell's bytes (saving a file): a short text is
    // the low bytes of one word, the rest of it zero; its length is ShortSize().
    bool IsShort() const noexcept { return (bits_ & kInline) != 0 || bits_ == 0; }
    uint64_t ShortWord() const noexcept { return bits_ >> 8; }
    size_t ShortSize() const noexcept { return size_t((bits_ & 0xFF) >> 1); }

private:
    friend class GridArena;
    static constexpr uint64_t kInline = 1;     // bit 0: the text lies in bytes 1..7
    static constexpr uint64_t kBorrowed = 2;   // bit 1: points at an arena entry (its length before it)
    // Bits 0 to 2 being 100: a slice of an arena's bytes, its address in
    // bits 3 to 49 and its length in bits 50 to 63 (texts read from a file
    // lie where the file put them, with nothing before them). Blocks of
    // their own are aligned to 16 and entries to 4, so neither looks so.
    static constexpr uint64_t kSlice = 4;
    static constexpr uint64_t kTagBits = 7;
    static constexpr int kSliceLengthShift = 50;
    static constexpr uint64_t kSliceAddressMask = (uint64_t(1) << 47) - 1;
    const char* SliceData() const noexcept {
        return reinterpret_cast<const char*>(uintptr_t((bits_ >> 3) & kSliceAddressMask));
    }
    void Release() noexcept;
    uint64_t bits_ = 0;
};

// Where the texts of a grid read from a file live. Entries are written once
// and never move, so cells may point into it for as long as the grid that
// holds the arena lives; the grid keeps it (shared with its copies) until
// it reads another file.
class GridArena {
public:
    // `expected`: about how many bytes the texts will take (the file's
    // size), so a small file does not get a block of a megabyte.
    explicit GridArena(size_t expected = 0) : expected_(expected) {}
    GridArena(const GridArena&) = delete;
    GridArena& operator=(const GridArena&) = delete;

    // Room for a text of up to `bytes`, to be written in place, then Take
    // with the length written: the cell that holds it (the text lies in the
    // cell when it is short, and the room is used again).
    char* Room(size_t bytes);
    GridCell Take(size_t length);
    // Both at once, for a text that is there already.
    GridCell Add(std::string_view text);
    // Keeps `bytes` (a file as read) as its own; cells made by Slice may
    // then point into it. Returns where the bytes now lie, so room adopted
    // empty can be filled before slices point into it.
    char* Adopt(std::string bytes);
    // A cell for text lying in the adopted bytes, pointing at it where it
    // lies (the text lies in the cell when short; a text too long for a
    // slice is copied into an entry).
    GridCell Slice(std::string_view text);
    // Bytes of the adopted ones that slices point at.
    size_t SlicedBytes() const { return sliced_; }
    // Bytes the arena holds (for the memory figures), and those its
    // entries take.
    size_t Capacity() const { return capacity_; }
    size_t Used() const { return used_; }

private:
    static constexpr size_t kBlockBytes = size_t(1) << 20;
    static constexpr size_t kSmallestBlock = 4096;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* at_ = nullptr;       // the next entry's length field
    size_t left_ = 0;          // bytes left in the current block
    size_t capacity_ = 0;
    size_t used_ = 0;
    size_t expected_ = 0;
    char* pending_ = nullptr;  // where the text given room is written
    char scratch_[GridCell::kInlineBytes] = {};   // room for a short one
    std::string adopted_;
    size_t sliced_ = 0;
};
