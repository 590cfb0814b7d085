// What Open, the first paint and Shrink do with a file's bytes, without a window: the path the
// fuzzer and the corpus replay drive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fixtures {

/// How a picture ended.
enum class Outcome {
    Shrunk,      ///< opened, decoded and shrunk
    Partial,     ///< opened with a readable header; the picture decodes only in part
    NotJpeg,     ///< refused as not a JPEG picture
    TooLarge,    ///< refused as too large for memory
    TooComplex,  ///< refused for having more scans than any real picture
    Hollow,      ///< refused for holding far too little data for its picture
};

/// The outcome's name as the corpus README writes it.
[[nodiscard]] std::string OutcomeName(Outcome outcome);

/// Loads bytes as a picture, decodes it, shrinks it to 10%, 30% and 100% and encodes each result,
/// as the commands do. Partial when the data ended early or the decode broke off.
[[nodiscard]] Outcome OpenAndShrink(const uint8_t* data, size_t size);

}  // namespace fixtures
