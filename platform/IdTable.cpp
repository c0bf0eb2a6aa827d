#include "platform/IdTable.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace zem {
namespace {

// Texts live in fixed chunks that never move, so a reader needs only the chunk pointer.
constexpr std::size_t kChunkBits = 12;
constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;
constexpr std::size_t kMaxChunks = 1 << 16;  // room for 268 million ids

struct Chunk {
    std::array<std::string, kChunkSize> texts;
};

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
};

class IdTable {
public:
    IdTable()
    {
        // Handle 0 is the empty text.
        chunks_[0].store(new Chunk, std::memory_order_release);
        next_ = 1;
    }

    IdHandle Intern(std::string_view text)
    {
        if (text.empty())
            return kNoId;
        {
            std::shared_lock lock(mutex_);
            if (auto it = index_.find(text); it != index_.end())
                return it->second;
        }
        std::unique_lock lock(mutex_);
        if (auto it = index_.find(text); it != index_.end())
            return it->second;
        const std::size_t handle = next_;
        Chunk* chunk = chunks_[handle >> kChunkBits].load(std::memory_order_relaxed);
        if (!chunk) {
            chunk = new Chunk;
            chunks_[handle >> kChunkBits].store(chunk, std::memory_order_release);
        }
        std::string& slot = chunk->texts[handle & (kChunkSize - 1)];
        slot.assign(text);
        index_.emplace(slot, static_cast<IdHandle>(handle));
        // Publish the count last, so a reader that sees the handle sees its text.
        next_ = handle + 1;
        published_.store(handle + 1, std::memory_order_release);
        return static_cast<IdHandle>(handle);
    }

    IdHandle Find(std::string_view text) const
    {
        if (text.empty())
            return kNoId;
        std::shared_lock lock(mutex_);
        auto it = index_.find(text);
        return it == index_.end() ? kNoId : it->second;
    }

    const std::string& Text(IdHandle handle) const
    {
        if (handle == kNoId || handle >= published_.load(std::memory_order_acquire))
            return empty_;
        const Chunk* chunk = chunks_[handle >> kChunkBits].load(std::memory_order_acquire);
        return chunk->texts[handle & (kChunkSize - 1)];
    }

    std::size_t Count() const { return published_.load(std::memory_order_acquire) - 1; }

private:
    mutable std::shared_mutex mutex_;
    std::unordered_map<std::string_view, IdHandle, StringHash, std::equal_to<>> index_;
    std::unique_ptr<std::atomic<Chunk*>[]> chunks_{new std::atomic<Chunk*>[kMaxChunks]()};
    std::size_t next_ = 1;
    std::atomic<std::size_t> published_{1};
    const std::string empty_;
};

// Never destroyed: handles may be read by static destructors of other libraries.
IdTable& Table()
{
    static IdTable* table = new IdTable;
    return *table;
}

}  // namespace

IdHandle InternId(std::string_view text) { return Table().Intern(text); }
IdHandle FindId(std::string_view text) { return Table().Find(text); }
const std::string& IdText(IdHandle handle) { return Table().Text(handle); }
std::size_t IdCount() { return Table().Count(); }

}  // namespace zem
