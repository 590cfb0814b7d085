#include "TJpegObj.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <cerrno>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/ColourConversion.h"
#include "platform/HalftoneStretch.h"
#include "platform/MemoryBudget.h"
#include "platform/Orientation.h"

using platform::Bitmap;
using platform::MemoryStream;
using platform::PixelFormat;
using platform::Stream;

namespace {

// ---------------------------------------------------------------------------------------------
// The codec bridge. Every libjpeg call runs inside one of the small functions below that set a
// jump point first. Their locals are plain data, so the long jump of a fatal codec error skips no
// destructor; the codec is never resumed after it, only destroyed.
// ---------------------------------------------------------------------------------------------

constexpr size_t kBlockSize = 4096;

struct CodecErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Stops decoding a progressive file whose scan count no real picture reaches.
struct ScanLimit {
    jpeg_progress_mgr pub;
    bool exceeded;
};

// One per codec operation, zero-filled at its start.
struct CodecContext {
    CodecErrorManager error;
    ScanLimit scans;
    union {
        jpeg_decompress_struct decompressor;
        jpeg_compress_struct compressor;
    };
    bool isDecompressor;
    bool created;
};

void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<CodecErrorManager*>(cinfo->err)->jump, 1);
}
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char* buffer) {
    buffer[0] = '\0';
}
void ResetErrorManager(j_common_ptr cinfo) {
    cinfo->err->num_warnings = 0;
    cinfo->err->msg_code = 0;
}

void CheckScanCount(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        reinterpret_cast<ScanLimit*>(cinfo->progress)->exceeded = true;
        ERREXIT(cinfo, JERR_NOT_COMPILED);
    }
}

// Installs the error manager and creates the codec of ctx. Called inside a function that has set
// the jump point: a failure of the creation itself jumps back there.
void CreateCodec(CodecContext* ctx, bool decompressor) {
    jpeg_error_mgr& err = ctx->error.pub;
    err.error_exit = ErrorExit;
    err.emit_message = EmitMessage;
    err.output_message = OutputMessage;
    err.format_message = FormatMessage;
    err.reset_error_mgr = ResetErrorManager;
    ctx->isDecompressor = decompressor;
    if (decompressor) {
        ctx->decompressor.err = &err;
        jpeg_create_decompress(&ctx->decompressor);
    } else {
        ctx->compressor.err = &err;
        jpeg_create_compress(&ctx->compressor);
    }
    ctx->created = true;
}

// ---- the stream source ----

struct StreamSource {
    jpeg_source_mgr pub;
    Stream* stream;
    JOCTET* buffer;
    bool startOfFile;
    bool insertedEnd;  // the data ended before its end-of-image marker
};

void InitSource(j_decompress_ptr cinfo) {
    reinterpret_cast<StreamSource*>(cinfo->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    size_t n = src->stream->Read(src->buffer, kBlockSize);
    if (n == 0) {
        if (src->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->insertedEnd = true;
        // An inserted end-of-image marker lets the codec finish the picture it has.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    src->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    size_t n = static_cast<size_t>(count);
    while (n > src->bytes_in_buffer) {
        n -= src->bytes_in_buffer;
        FillInputBuffer(cinfo);
    }
    src->next_input_byte += n;
    src->bytes_in_buffer -= n;
}

void TermSource(j_decompress_ptr) {}

void AttachSource(j_decompress_ptr cinfo, Stream* stream) {
    auto* src = static_cast<StreamSource*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(StreamSource)));
    src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kBlockSize));
    src->stream = stream;
    src->startOfFile = true;
    src->insertedEnd = false;
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    cinfo->src = &src->pub;
}

// ---- the stream destination ----

struct StreamDestination {
    jpeg_destination_mgr pub;
    Stream* stream;
    JOCTET* buffer;
};

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    dest->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kBlockSize));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBlockSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    if (dest->stream->Write(dest->buffer, kBlockSize) != kBlockSize)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBlockSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    const size_t left = kBlockSize - dest->pub.free_in_buffer;
    if (left > 0 && dest->stream->Write(dest->buffer, left) != left) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

void AttachDestination(j_compress_ptr cinfo, Stream* stream) {
    auto* dest = static_cast<StreamDestination*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(StreamDestination)));
    dest->stream = stream;
    dest->pub.init_destination = InitDestination;
    dest->pub.empty_output_buffer = EmptyOutputBuffer;
    dest->pub.term_destination = TermDestination;
    cinfo->dest = &dest->pub;
}

// ---- operations ----

void DestroyCodec(CodecContext* ctx) {
    if (!ctx->created)
        return;
    jpeg_destroy(ctx->isDecompressor ? reinterpret_cast<j_common_ptr>(&ctx->decompressor)
                                     : reinterpret_cast<j_common_ptr>(&ctx->compressor));
    ctx->created = false;
}

// What a header read found.
struct HeaderFacts {
    int width;
    int height;
    int orientation;
    J_COLOR_SPACE outColourSpace;
    bool adobe;
    JOCTET* iccProfile;  // malloc'ed by libjpeg, or null
    unsigned iccLength;
    uint64_t blocks;  // 8 x 8 blocks of all components
    bool arithmetic;  // arithmetic-coded rather than Huffman-coded
};

void FindOrientation(j_decompress_ptr d, HeaderFacts* facts) {
    facts->orientation = 1;
    for (jpeg_saved_marker_ptr m = d->marker_list; m != nullptr; m = m->next) {
        if (m->marker != JPEG_APP0 + 1)
            continue;
        const int found = platform::ReadExifOrientation(m->data, m->data_length);
        if (found != 1) {
            facts->orientation = found;
            return;
        }
    }
}

// Creates the decompressor on stream (read from position 0) and reads the header. With
// forDecoding it also sets up the decode and fetches the colour profile.
bool ReadHeader(CodecContext* ctx, MemoryStream* stream, bool forDecoding, bool smoothing,
                HeaderFacts* facts) {
    if (setjmp(ctx->error.jump) != 0)
        return false;
    CreateCodec(ctx, true);
    j_decompress_ptr d = &ctx->decompressor;
    d->mem->max_memory_to_use = static_cast<long>(platform::PictureMemoryLimit());
    ctx->scans.pub.progress_monitor = CheckScanCount;
    d->progress = &ctx->scans.pub;
    (void)stream->SetPosition(0);
    AttachSource(d, stream);
    jpeg_save_markers(d, JPEG_APP0 + 1, 0xFFFF);
    if (forDecoding)
        jpeg_save_markers(d, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(d, TRUE);
    FindOrientation(d, facts);
    facts->adobe = d->saw_Adobe_marker;
    switch (d->out_color_space) {
        case JCS_GRAYSCALE:
        case JCS_CMYK:
            facts->outColourSpace = d->out_color_space;
            break;
        case JCS_RGB:
            facts->outColourSpace = JCS_EXT_BGR;
            break;
        default:
            // Two components, or five and more: no picture this program can show.
            return false;
    }
    facts->arithmetic = d->arith_code;
    facts->blocks = 0;
    for (int c = 0; c < d->num_components; ++c) {
        facts->blocks +=
            uint64_t{d->comp_info[c].width_in_blocks} * d->comp_info[c].height_in_blocks;
    }
    const bool swap = platform::SwapsAxes(facts->orientation);
    facts->width = static_cast<int>(swap ? d->image_height : d->image_width);
    facts->height = static_cast<int>(swap ? d->image_width : d->image_height);
    if (!forDecoding)
        return true;

    d->out_color_space = facts->outColourSpace;
    d->scale_num = 1;
    d->scale_denom = 1;
    d->do_block_smoothing = smoothing ? TRUE : FALSE;
    if (d->out_color_space == JCS_GRAYSCALE) {
        d->quantize_colors = TRUE;
        d->desired_number_of_colors = 236;
    }
    if (!jpeg_read_icc_profile(d, &facts->iccProfile, &facts->iccLength)) {
        facts->iccProfile = nullptr;
        facts->iccLength = 0;
    }
    return true;
}

// Where decoded rows go. Rows of an upright RGB or grayscale file go straight into the bitmap;
// the others are gathered in a band, converted and turned upright.
struct RowTarget {
    Bitmap* bitmap;
    int orientation;
    bool cmyk;
    bool adobe;
    int storedWidth;
    int storedHeight;
    JSAMPROW band[16];   // decoded rows of the current band, or unused
    uint8_t* converted;  // blue-green-red rows of a CMYK band
    int bandRows;        // rows per band; 0 when rows go straight into the bitmap
    int bandFirst;       // stored row of band[0]
    int bandFilled;      // rows of the band holding decoded pixels
    int rowsDelivered;   // stored rows the codec has delivered so far
};

void FlushBand(RowTarget* t) {
    if (t->bandFilled == 0)
        return;
    const uint8_t* rows[16];
    for (int k = 0; k < t->bandFilled; ++k) {
        if (t->cmyk) {
            uint8_t* out = t->converted + static_cast<size_t>(k) * t->storedWidth * 3;
            platform::CmykToBgr(t->band[k], t->storedWidth, t->adobe, out);
            rows[k] = out;
        } else {
            rows[k] = t->band[k];
        }
    }
    platform::PlaceStoredRows(*t->bitmap, t->orientation, t->storedWidth, t->storedHeight,
                              t->bandFirst, rows, t->bandFilled);
    t->bandFirst += t->bandFilled;
    t->bandFilled = 0;
}

void FillPalette(j_decompress_ptr d, Bitmap* bitmap) {
    if (d->colormap == nullptr)
        return;
    const int n = d->actual_number_of_colors < 256 ? d->actual_number_of_colors : 256;
    for (int i = 0; i < n; ++i) {
        const uint8_t gray = d->colormap[0][i];
        bitmap->SetColour(i, {gray, gray, gray});
    }
}

bool DecodeRows(CodecContext* ctx, RowTarget* t) {
    if (setjmp(ctx->error.jump) != 0)
        return false;
    j_decompress_ptr d = &ctx->decompressor;
    jpeg_start_decompress(d);
    FillPalette(d, t->bitmap);
    while (d->output_scanline < d->output_height) {
        JSAMPROW row;
        if (t->bandRows == 0) {
            row = t->bitmap->Row(static_cast<int>(d->output_scanline));
        } else {
            row = t->band[t->bandFilled];
        }
        const JDIMENSION got = jpeg_read_scanlines(d, &row, 1);
        t->rowsDelivered += static_cast<int>(got);
        if (t->bandRows != 0) {
            t->bandFilled += static_cast<int>(got);
            if (t->bandFilled == t->bandRows)
                FlushBand(t);
        }
    }
    jpeg_finish_decompress(d);
    return true;
}

struct EncodeJob {
    const Bitmap* bitmap;
    uint8_t* rowBuffer;  // one blue-green-red row, for an 8-bit bitmap
    const JOCTET* iccProfile;
    unsigned iccLength;
    int quality;
};

bool EncodeRows(CodecContext* ctx, MemoryStream* out, const EncodeJob* job) {
    if (setjmp(ctx->error.jump) != 0)
        return false;
    CreateCodec(ctx, false);
    j_compress_ptr c = &ctx->compressor;
    AttachDestination(c, out);
    const Bitmap* bitmap = job->bitmap;
    c->image_width = static_cast<JDIMENSION>(bitmap->Width());
    c->image_height = static_cast<JDIMENSION>(bitmap->Height());
    // Samples pass in blue-green-red order; a 32-bit bitmap is taken as it is, with the codec
    // skipping its unused byte, which gives the same bytes as a 24-bit copy would.
    if (bitmap->Format() == PixelFormat::Bgrx32) {
        c->input_components = 4;
        c->in_color_space = JCS_EXT_BGRX;
    } else {
        c->input_components = 3;
        c->in_color_space = JCS_EXT_BGR;
    }
    jpeg_set_defaults(c);
    jpeg_set_quality(c, job->quality, TRUE);
    jpeg_start_compress(c, TRUE);
    if (job->iccProfile != nullptr)
        jpeg_write_icc_profile(c, job->iccProfile, job->iccLength);
    while (c->next_scanline < c->image_height) {
        const int y = static_cast<int>(c->next_scanline);
        JSAMPROW row;
        if (bitmap->Format() == PixelFormat::Indexed8) {
            platform::ReadRowAsBgr(*bitmap, y, job->rowBuffer);
            row = job->rowBuffer;
        } else {
            row = const_cast<JSAMPROW>(bitmap->Row(y));
        }
        jpeg_write_scanlines(c, &row, 1);
    }
    jpeg_finish_compress(c);
    return true;
}

// An ICC profile describes the three-component result only when its colour space is RGB.
platform::ColourProfile RgbProfile(const JOCTET* data, unsigned length) {
    if (data == nullptr || length < 20 || std::memcmp(data + 16, "RGB ", 4) != 0)
        return nullptr;
    return std::make_shared<const std::vector<uint8_t>>(data, data + length);
}

PixelFormat FormatFor(J_COLOR_SPACE space) {
    return space == JCS_GRAYSCALE ? PixelFormat::Indexed8 : PixelFormat::Bgr24;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// JpegImage
// ---------------------------------------------------------------------------------------------

JpegImage::JpegImage()
    : Quality(JpegDefaults.Quality),
      Smoothing(JpegDefaults.Smoothing),
      data_(std::make_unique<JpegData>()) {}

JpegImage::~JpegImage() = default;

std::unique_ptr<JpegImage> CreateJpegImage() {
    return std::make_unique<JpegImage>();
}

int JpegImage::Width() const {
    return bitmap_ ? bitmap_->Width() : data_->Width;
}
int JpegImage::Height() const {
    return bitmap_ ? bitmap_->Height() : data_->Height;
}

void JpegImage::LoadFromStream(Stream& source) {
    const uint64_t size = source.Size();
    const uint64_t position = source.Position();
    const uint64_t count = position < size ? size - position : 0;
    data_ = std::make_unique<JpegData>();
    bitmap_.reset();
    problem_ = PictureProblem::None;
    incomplete_ = false;

    auto stream = std::make_unique<MemoryStream>();
    if (count > platform::PictureMemoryLimit() || !stream->SetSize(count)) {
        problem_ = PictureProblem::TooLarge;
        return;
    }
    const size_t got = count > 0 ? source.Read(stream->Memory(), static_cast<size_t>(count)) : 0;
    if (got < count)
        (void)stream->SetSize(got);
    data_->stream = std::move(stream);
    if (got <= kSmallestParsedFile) {
        problem_ = PictureProblem::Unreadable;
        return;
    }

    CodecContext ctx{};
    HeaderFacts facts{};
    const bool ok = ReadHeader(&ctx, data_->stream.get(), false, Smoothing, &facts);
    DestroyCodec(&ctx);
    if (!ok) {
        data_ = std::make_unique<JpegData>();
        problem_ = PictureProblem::Unreadable;
        return;
    }
    data_->Width = facts.width;
    data_->Height = facts.height;
    data_->Orientation = facts.orientation;
    if (Bitmap::ByteSize(facts.width, facts.height, FormatFor(facts.outColourSpace)) >
        platform::PictureMemoryLimit()) {
        problem_ = PictureProblem::TooLarge;
    } else if (!facts.arithmetic && got * 8 < facts.blocks) {
        // With Huffman coding every block costs at least one bit of entropy-coded data. With
        // less than that, nearly all of the picture is missing, and decoding a small file's huge
        // header would only spend time and memory on filler. (Arithmetic coding can code a flat
        // picture in far less, so it is not held to this.)
        problem_ = PictureProblem::Hollow;
    }
}

const Bitmap* JpegImage::Bitmap() {
    if (bitmap_)
        return bitmap_.get();
    if (Width() == 0 || Height() == 0 || problem_ != PictureProblem::None)
        return nullptr;
    Decode();
    return bitmap_.get();
}

void JpegImage::Decode() {
    CodecContext ctx{};
    HeaderFacts facts{};
    if (!ReadHeader(&ctx, data_->stream.get(), true, Smoothing, &facts)) {
        DestroyCodec(&ctx);
        std::free(facts.iccProfile);
        problem_ = PictureProblem::Unreadable;
        return;
    }
    const platform::ColourProfile profile = RgbProfile(facts.iccProfile, facts.iccLength);
    std::free(facts.iccProfile);

    auto bitmap =
        platform::Bitmap::Create(facts.width, facts.height, FormatFor(facts.outColourSpace));
    if (!bitmap) {
        DestroyCodec(&ctx);
        problem_ = PictureProblem::TooLarge;
        return;
    }
    bitmap->SetProfile(profile);

    const bool cmyk = facts.outColourSpace == JCS_CMYK;
    const bool swap = platform::SwapsAxes(facts.orientation);
    RowTarget target{};
    target.bitmap = bitmap.get();
    target.orientation = facts.orientation;
    target.cmyk = cmyk;
    target.adobe = facts.adobe;
    target.storedWidth = swap ? facts.height : facts.width;
    target.storedHeight = swap ? facts.width : facts.height;
    std::vector<uint8_t> band;
    std::vector<uint8_t> converted;
    if (cmyk || facts.orientation != 1) {
        target.bandRows = 16;
        const size_t decodedBytes = cmyk ? 4 : static_cast<size_t>(BytesPerPixel(bitmap->Format()));
        const size_t rowBytes = static_cast<size_t>(target.storedWidth) * decodedBytes;
        band.resize(rowBytes * 16);
        for (int k = 0; k < 16; ++k)
            target.band[k] = band.data() + rowBytes * static_cast<size_t>(k);
        if (cmyk)
            converted.resize(static_cast<size_t>(target.storedWidth) * 3 * 16);
        target.converted = converted.data();
    }

    const bool ok = DecodeRows(&ctx, &target);
    const bool scanLimitHit = ctx.scans.exceeded;
    incomplete_ = !ok || reinterpret_cast<const StreamSource*>(ctx.decompressor.src)->insertedEnd;
    DestroyCodec(&ctx);
    // After a failure the rows gathered so far still go into the picture.
    FlushBand(&target);
    if (!ok && target.rowsDelivered == 0) {
        problem_ = scanLimitHit ? PictureProblem::TooManyScans : PictureProblem::Undecodable;
        return;
    }
    bitmap_ = std::move(bitmap);
}

void JpegImage::Encode() {
    data_->stream = std::make_unique<MemoryStream>();
    data_->Width = 0;
    data_->Height = 0;
    data_->Orientation = 1;
    if (!bitmap_ || bitmap_->Width() == 0 || bitmap_->Height() == 0)
        return;
    data_->Width = bitmap_->Width();
    data_->Height = bitmap_->Height();

    std::vector<uint8_t> rowBuffer;
    if (bitmap_->Format() == PixelFormat::Indexed8) {
        rowBuffer.resize(static_cast<size_t>(bitmap_->Width()) * 3);
    }
    const platform::ColourProfile& profile = bitmap_->Profile();
    EncodeJob job{};
    job.bitmap = bitmap_.get();
    job.rowBuffer = rowBuffer.data();
    job.iccProfile = profile ? profile->data() : nullptr;
    job.iccLength = profile ? static_cast<unsigned>(profile->size()) : 0;
    job.quality = Quality;

    CodecContext ctx{};
    const bool ok = EncodeRows(&ctx, data_->stream.get(), &job);
    DestroyCodec(&ctx);
    // A failed encode leaves no partial bytes behind: the data stays empty.
    if (!ok)
        data_->stream = std::make_unique<MemoryStream>();
}

void JpegImage::SaveToStream(Stream& stream) {
    if (!data_->stream)
        Encode();
    const MemoryStream& data = *data_->stream;
    if (data.Size() > 0)
        (void)stream.Write(data.Memory(), static_cast<size_t>(data.Size()));
}

FileSaveResult JpegImage::SaveToFile(const std::string& path) {
    if (IsEmpty())
        return {};
    int error = 0;
    auto file = platform::FileWriteStream::Create(path, &error);
    if (!file)
        return {false, error};
    SaveToStream(*file);
    if (file->Position() == 0) {
        // Nothing was written; the temporary file goes away with the stream.
        return {false, file->Error() != 0 ? file->Error() : EIO};
    }
    error = file->Commit();
    return {error == 0, error};
}

void JpegImage::AssignBitmap(const platform::Bitmap& bitmap) {
    AssignBitmap(bitmap.Copy());
}

void JpegImage::AssignBitmap(std::unique_ptr<platform::Bitmap> bitmap) {
    data_ = std::make_unique<JpegData>();
    bitmap_ = std::move(bitmap);
    problem_ = bitmap_ ? PictureProblem::None : PictureProblem::TooLarge;
    incomplete_ = false;
}

ShrinkOutcome ShrinkBitmap(const platform::Bitmap& source, int percent) {
    ShrinkOutcome outcome;
    const int width = platform::ShrunkSide(source.Width(), percent);
    const int height = platform::ShrunkSide(source.Height(), percent);
    if (width <= 0 || height <= 0)
        return outcome;
    auto target = platform::Bitmap::Create(width, height, PixelFormat::Bgrx32);
    if (!target) {
        outcome.status = ShrinkOutcome::Status::OutOfMemory;
        return outcome;
    }
    (void)platform::StretchHalftone(source, {0, 0, source.Width(), source.Height()}, *target,
                                    {0, 0, width, height});
    target->SetProfile(source.Profile());
    outcome.image = CreateJpegImage();
    outcome.image->AssignBitmap(std::move(target));
    outcome.status = ShrinkOutcome::Status::Done;
    return outcome;
}
