// JpegImage: a picture held as compressed JPEG bytes and as a bitmap, each derived from the
// other only when it is needed, read and written through libjpeg-turbo.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Bitmap.h"
#include "platform/Stream.h"

/// Encoder quality and decoder smoothing of an image.
struct JpegSettings {
    uint8_t Quality;
    bool Smoothing;
};

/// The defaults every new image takes; nothing in the program changes them.
inline constexpr JpegSettings JpegDefaults{90, true};

/// Why an image has no bitmap to offer.
enum class PictureProblem {
    None,
    Unreadable,    ///< no JPEG data, a damaged header, or 450 bytes or less
    TooLarge,      ///< the picture would not fit in memory
    TooManyScans,  ///< a progressive file with more scans than any real picture has
    Undecodable,   ///< the header reads but not a single row of pixels decodes
    Hollow,        ///< far too few bytes for the picture the header claims: nearly all missing
};

/// The compressed form of an image.
struct JpegData {
    /// The compressed bytes: the whole buffer of the stream, whatever its position.
    std::unique_ptr<platform::MemoryStream> stream;
    /// The picture's size: the upright size from the header after a load, the bitmap's size
    /// after an encode, 0 otherwise.
    int Width = 0;
    int Height = 0;
    /// The Exif orientation (1..8) found at load; 1 when there was none.
    int Orientation = 1;
};

/// What SaveToFile did.
struct FileSaveResult {
    bool saved = false;
    /// The errno of the failure; 0 when the picture is empty and nothing was attempted.
    int error = 0;
};

class JpegImage {
public:
    JpegImage();
    ~JpegImage();
    JpegImage(const JpegImage&) = delete;
    JpegImage& operator=(const JpegImage&) = delete;

    /// The bitmap's width when there is a bitmap, else the data's.
    [[nodiscard]] int Width() const;
    /// The bitmap's height when there is a bitmap, else the data's.
    [[nodiscard]] int Height() const;
    /// True when Width() or Height() is 0.
    [[nodiscard]] bool IsEmpty() const { return Width() == 0 || Height() == 0; }

    /// Takes every byte from the stream's position to its end as the compressed data and reads
    /// its header (only for more than 450 bytes); drops the bitmap. Never decodes pixels. A
    /// failed header read leaves the image empty.
    void LoadFromStream(platform::Stream& stream);

    /// The decoded picture, decoding it at the first call. Null when Width() or Height() is 0
    /// or the picture cannot be decoded (see Problem()). The image keeps owning the bitmap.
    [[nodiscard]] const platform::Bitmap* Bitmap();

    /// Writes the whole compressed data at the stream's position, encoding the bitmap first
    /// when no compressed data is held.
    void SaveToStream(platform::Stream& stream);

    /// Writes the compressed data into a file that replaces path only once it is complete; an
    /// existing file stays untouched on any failure. Nothing happens for an empty picture.
    [[nodiscard]] FileSaveResult SaveToFile(const std::string& path);

    /// Makes a copy of bitmap the picture and drops the compressed data.
    void AssignBitmap(const platform::Bitmap& bitmap);
    /// The same for a bitmap the caller no longer needs: it becomes the picture without a copy.
    void AssignBitmap(std::unique_ptr<platform::Bitmap> bitmap);

    /// Why the last load, decode or assignment left no bitmap to offer.
    [[nodiscard]] PictureProblem Problem() const { return problem_; }
    /// True when the decoded bitmap holds only part of the picture: the data ended early or the
    /// decode broke off, and the rest was filled in or left black.
    [[nodiscard]] bool Incomplete() const { return incomplete_; }
    /// True once a bitmap exists (decoded or assigned).
    [[nodiscard]] bool HasBitmap() const { return bitmap_ != nullptr; }
    /// The compressed form, for inspection.
    [[nodiscard]] const JpegData& Data() const { return *data_; }

    uint8_t Quality;
    bool Smoothing;

private:
    void Decode();
    void Encode();

    std::unique_ptr<JpegData> data_;
    std::unique_ptr<platform::Bitmap> bitmap_;
    PictureProblem problem_ = PictureProblem::None;
    bool incomplete_ = false;
};

/// A new, empty image: no data, no bitmap, the default quality and smoothing.
[[nodiscard]] std::unique_ptr<JpegImage> CreateJpegImage();

/// What ShrinkBitmap made.
struct ShrinkOutcome {
    enum class Status { Done, TooSmall, OutOfMemory };
    Status status = Status::TooSmall;
    /// The shrunk picture, assigned but not yet encoded; null unless Done.
    std::unique_ptr<JpegImage> image;
};

/// Stretches source to percent of its width and height ((side x percent) div 100) into a new
/// 32-bit bitmap with the halftone stretch, keeps the source's colour profile, and makes that
/// bitmap the picture of a new image. TooSmall when a new side would be 0.
[[nodiscard]] ShrinkOutcome ShrinkBitmap(const platform::Bitmap& source, int percent);

/// Files of this many bytes or fewer are never parsed.
inline constexpr uint64_t kSmallestParsedFile = 450;
/// Progressive files with more scans than this are refused.
inline constexpr int kMaxScans = 256;
