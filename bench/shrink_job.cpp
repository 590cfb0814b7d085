// The whole job of Open, the first source paint and Shrink, as one process:
//
//   shrink-job IN.jpg PERCENT OUT.jpg [--no-paints]
//
// Loads the file, decodes it, stretches it to PERCENT into a 32-bit target and assigns that to
// a new image (the "stretch" stage), encodes it into memory, and writes the encoding to OUT.jpg.
// Prints each stage's time and the peak resident memory, then times preview paints of the source
// into a 385 x 438 and a 1900 x 1000 pane (skipped with --no-paints, so that timing the whole
// process times just the job). Exits 0 when it wrote a result, 2 (with
// the reason on standard error) when the picture or the request was refused.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "TJpegObj.h"
#include "Timing.h"
#include "platform/HalftoneStretch.h"

using platform::Bitmap;

namespace {

int Refuse(const std::string& reason) {
    std::fprintf(stderr, "shrink-job: %s\n", reason.c_str());
    return 2;
}

const char* ProblemReason(PictureProblem problem) {
    switch (problem) {
        case PictureProblem::Unreadable:
            return "not a JPEG picture that can be read";
        case PictureProblem::TooLarge:
            return "the picture is too large for this computer's memory";
        case PictureProblem::TooManyScans:
            return "the picture has more scans than any real photo";
        case PictureProblem::Undecodable:
            return "the picture does not decode";
        case PictureProblem::Hollow:
            return "the file holds far too little data for the picture its header claims";
        case PictureProblem::None:
            break;
    }
    return "no picture";
}

void Stage(const char* name, double seconds, double megapixels) {
    std::printf("%-8s %9.2f ms %10.1f MP/s\n", name, seconds * 1000,
                seconds > 0 ? megapixels / seconds : 0.0);
}

double TimePaint(const Bitmap& source, int paneWidth, int paneHeight) {
    const double start = bench::Now();
    (void)platform::StretchToFit(source, paneWidth, paneHeight);
    return bench::Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
    const bool skipPaints = argc == 5 && std::strcmp(argv[4], "--no-paints") == 0;
    if (argc != 4 && !skipPaints)
        return Refuse("usage: shrink-job IN.jpg PERCENT OUT.jpg [--no-paints]");
    const bool paints = !skipPaints;
    char* end = nullptr;
    const long percent = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || percent < 1 || percent > 100) {
        return Refuse("PERCENT must be a whole number from 1 to 100");
    }

    double start = bench::Now();
    int error = 0;
    auto file = platform::FileReadStream::Open(argv[1], &error);
    if (!file)
        return Refuse(std::string("cannot open ") + argv[1] + ": " + std::strerror(error));
    auto source = CreateJpegImage();
    source->LoadFromStream(*file);
    file.reset();
    const double loadSeconds = bench::Now() - start;
    if (source->IsEmpty())
        return Refuse(ProblemReason(source->Problem()));

    start = bench::Now();
    const Bitmap* bitmap = source->Bitmap();
    const double decodeSeconds = bench::Now() - start;
    if (bitmap == nullptr)
        return Refuse(ProblemReason(source->Problem()));
    const double mp = static_cast<double>(bitmap->Width()) * bitmap->Height() / 1e6;

    start = bench::Now();
    ShrinkOutcome shrunk = ShrinkBitmap(*bitmap, static_cast<int>(percent));
    const double shrinkSeconds = bench::Now() - start;
    if (shrunk.status == ShrinkOutcome::Status::TooSmall)
        return Refuse("the picture is too small for that percentage");
    if (shrunk.status == ShrinkOutcome::Status::OutOfMemory)
        return Refuse("not enough memory for the result");
    const std::unique_ptr<JpegImage> result = std::move(shrunk.image);
    const int width = result->Width(), height = result->Height();

    start = bench::Now();
    platform::MemoryStream encoded;
    result->SaveToStream(encoded);
    const double encodeSeconds = bench::Now() - start;
    if (encoded.Size() == 0)
        return Refuse("the result could not be encoded");

    start = bench::Now();
    const FileSaveResult saved = result->SaveToFile(argv[3]);
    const double writeSeconds = bench::Now() - start;
    if (!saved.saved)
        return Refuse(std::string("cannot write ") + argv[3] + ": " + std::strerror(saved.error));

    const double paintSmall = paints ? TimePaint(*bitmap, 385, 438) : 0;
    const double paintLarge = paints ? TimePaint(*bitmap, 1900, 1000) : 0;

    std::printf("source   %d x %d (%.1f MP), result %d x %d, %llu bytes\n", bitmap->Width(),
                bitmap->Height(), mp, width, height,
                static_cast<unsigned long long>(encoded.Size()));
    Stage("load", loadSeconds, mp);
    Stage("decode", decodeSeconds, mp);
    Stage("stretch", shrinkSeconds, mp);
    Stage("encode", encodeSeconds, mp);
    Stage("write", writeSeconds, mp);
    Stage("total", loadSeconds + decodeSeconds + shrinkSeconds + encodeSeconds + writeSeconds, mp);
    if (paints) {
        Stage("paint385", paintSmall, mp);
        Stage("paint1900", paintLarge, mp);
    }
    std::printf("peak     %.1f MiB resident\n", bench::PeakResidentMiB());
    return 0;
}
