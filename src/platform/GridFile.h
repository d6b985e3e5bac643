#pragma once
// The grid file format (.vkt, .tsk, .mts), kept apart from the table it
// stores. The format is described in GridFile.cpp. Loading checks the whole
// file first and leaves the grid unchanged on any error; saving replaces the
// file only once the new one is complete. Failures return false with a reason.

#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Grid.h"

class GridFile {
public:
    static std::string Serialize(const Grid& grid);
    static bool Deserialize(Grid& grid, const std::string& data, QString* error = nullptr);
    // Written as it is made, a piece at a time, so a large grid is never
    // held twice in memory. `written`, when given, is shown each piece once
    // it is written (to fingerprint the file). `placed`, when given, says
    // whether the new file took the old one's place, which a failure may
    // follow (see FileOps::SafeFile::Placed).
    using Written = std::function<void(std::string_view piece)>;
    static bool Save(const Grid& grid, const QString& path, QString* error = nullptr, const Written& written = {},
                     bool* placed = nullptr);
    // `read`, when given, is shown the file as read, before it is parsed
    // (to fingerprint it).
    using Read = std::function<void(std::string_view bytes)>;
    static bool Load(Grid& grid, const QString& path, QString* error = nullptr, const Read& read = {});

private:
    // The bytes of Serialize handed to `sink` a piece at a time (about a
    // megabyte each). Stops at the first piece the sink refuses; false then.
    using Sink = std::function<bool(const char* data, size_t size)>;
    static bool SerializeTo(const Grid& grid, const Sink& sink);
    // Writes the file into `out` from its start; with a sink, hands it over
    // whenever `flushAt` bytes are ready and starts again at the buffer's
    // start. False when the sink refused a piece.
    static bool SerializeWith(const Grid& grid, std::string& out, size_t flushAt, const Sink* sink);
    // Deserialize from bytes the grid may keep (its texts stay where they lie).
    static bool DeserializeOwned(Grid& grid, std::string data, QString* error = nullptr);
};
