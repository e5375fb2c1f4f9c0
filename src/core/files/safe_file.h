// File writing that never leaves a half-written file behind, and bounded
// whole-file reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korventa {

// The error texts below are in `lingua` (0 Italian, 1 English); the command
// line speaks English, the windows the user's language.

// Writes data to a temporary file in the target's own folder, flushes it to
// the disk and renames it over path, so path holds either its old contents
// or all of the new ones, never a mixture or an empty file. A path that is a
// symbolic link writes through to the file it points at. The new file keeps
// the permissions of the file it replaces. On failure the temporary file is
// removed, path is untouched, and error says what went wrong.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data, std::string& error,
                         int lingua = 1);

// The whole contents of a regular file, refusing (nullopt, with error set)
// a file that cannot be opened, is not a regular file, or is longer than
// maxBytes. At most maxBytes + 1 bytes are ever read, so a huge foreign
// file cannot exhaust memory.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t maxBytes,
                                                       std::string& error, int lingua = 1);

// A file that must hold exactly `size` bytes (a configuration file, a memory
// image): refused like ReadWholeFile, and with one wording for any other
// size: "cannot read "x": the file holds 300 bytes; a memory image holds 256".
std::optional<std::vector<std::uint8_t>> ReadFixedSizeFile(const std::string& path, std::size_t size,
                                                           const std::string& what, std::string& error, int lingua = 1);

}  // namespace korventa
