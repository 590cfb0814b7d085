// Times the picture core on a 24-megapixel photo: header load, full decode, the 30% stretch,
// the encode of the result, and preview paints; and djpeg decoding the same file, in the same
// run, as the floor everything is measured against.
//
//   picture-bench [PHOTO.jpg]     (without a path it makes a photo-like 6000 x 4000 picture)

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TJpegObj.h"
#include "Timing.h"
#include "platform/HalftoneStretch.h"

using platform::Bitmap;
using platform::MemoryStream;
using platform::PixelFormat;

extern char** environ;

namespace {

constexpr int kRuns = 7;

std::unique_ptr<MemoryStream> ReadWhole(const std::string& path) {
    int error = 0;
    auto file = platform::FileReadStream::Open(path, &error);
    if (!file)
        return nullptr;
    auto memory = std::make_unique<MemoryStream>();
    if (!memory->SetSize(file->Size()))
        return nullptr;
    if (file->Read(memory->Memory(), static_cast<size_t>(file->Size())) != file->Size())
        return nullptr;
    return memory;
}

// A smooth picture with fine texture, so that it encodes like a photo.
std::unique_ptr<MemoryStream> MakePhoto(const std::string& path) {
    const int w = 6000, h = 4000;
    auto bitmap = Bitmap::Create(w, h, PixelFormat::Bgr24);
    uint32_t noise = 12345;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bitmap->Row(y);
        for (int x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = static_cast<int>(noise >> 28) - 8;
            row[x * 3 + 0] = static_cast<uint8_t>(std::clamp(60 + 120 * y / h + n, 0, 255));
            row[x * 3 + 1] = static_cast<uint8_t>(std::clamp(40 + 160 * x / w + n, 0, 255));
            row[x * 3 + 2] = static_cast<uint8_t>(
                std::clamp(128 + ((x / 40 + y / 40) % 2 ? 50 : -50) + n, 0, 255));
        }
    }
    auto image = CreateJpegImage();
    image->AssignBitmap(*bitmap);
    if (!image->SaveToFile(path).saved)
        return nullptr;
    return ReadWhole(path);
}

double DjpegSeconds(const std::string& path) {
    return bench::MedianSeconds(kRuns, [&] {
        const char* argv[] = {"djpeg", "-outfile", "/dev/null", path.c_str(), nullptr};
        pid_t pid = 0;
        if (posix_spawnp(&pid, "djpeg", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            return;
        int status = 0;
        waitpid(pid, &status, 0);
    });
}

void Report(const char* stage, double seconds, double megapixels, double decodeSeconds) {
    std::printf("%-34s %9.1f ms  %8.1f MP/s  %6.2f x decode\n", stage, seconds * 1000,
                megapixels / seconds, seconds / decodeSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : "/tmp/vantoro-bench-24mp.jpg";
    auto file = argc > 1 ? ReadWhole(path) : MakePhoto(path);
    if (!file) {
        std::fprintf(stderr, "cannot read or make %s\n", path.c_str());
        return 2;
    }

    auto load = [&] {
        (void)file->SetPosition(0);
        auto image = CreateJpegImage();
        image->LoadFromStream(*file);
        return image;
    };
    const double loadSeconds = bench::MedianSeconds(kRuns, [&] { (void)load(); });
    auto source = load();
    if (source->IsEmpty() || source->Bitmap() == nullptr) {
        std::fprintf(stderr, "%s does not decode\n", path.c_str());
        return 2;
    }
    const int w = source->Width(), h = source->Height();
    const double mp = static_cast<double>(w) * h / 1e6;
    const double decodeSeconds = bench::MedianSeconds(kRuns, [&] { (void)load()->Bitmap(); });
    const double djpegSeconds = DjpegSeconds(path);

    const Bitmap& bitmap = *source->Bitmap();
    const int tw = w * 30 / 100, th = h * 30 / 100;
    auto target = Bitmap::Create(tw, th, PixelFormat::Bgrx32);
    const double stretchSeconds = bench::MedianSeconds(kRuns, [&] {
        (void)platform::StretchHalftone(bitmap, {0, 0, w, h}, *target, {0, 0, tw, th});
    });
    const double encodeSeconds = bench::MedianSeconds(kRuns, [&] {
        auto result = CreateJpegImage();
        result->AssignBitmap(*target);
        MemoryStream out;
        result->SaveToStream(out);
    });
    auto paint = [&](int paneW, int paneH) {
        return bench::MedianSeconds(kRuns,
                                    [&] { (void)platform::StretchToFit(bitmap, paneW, paneH); });
    };
    const double smallPaint = paint(385, 438);
    const double largePaint = paint(1900, 1000);

    std::printf("picture: %s, %d x %d (%.1f MP), %llu bytes; medians of %d runs, one thread\n",
                path.c_str(), w, h, mp, static_cast<unsigned long long>(file->Size()), kRuns);
    Report("djpeg to /dev/null", djpegSeconds, mp, decodeSeconds);
    Report("load (header only)", loadSeconds, mp, decodeSeconds);
    Report("decode (Bitmap)", decodeSeconds, mp, decodeSeconds);
    Report("stretch to 30% (32-bit target)", stretchSeconds, mp, decodeSeconds);
    Report("assign + encode the 30% result", encodeSeconds, mp, decodeSeconds);
    Report("Shrink (stretch + assign + encode)", stretchSeconds + encodeSeconds, mp, decodeSeconds);
    Report("preview paint into 385 x 438", smallPaint, mp, decodeSeconds);
    Report("preview paint into 1900 x 1000", largePaint, mp, decodeSeconds);
    std::printf("decode / djpeg: %.2f\n", decodeSeconds / djpegSeconds);
    std::printf("peak resident memory: %.0f MiB\n", bench::PeakResidentMiB());
    return 0;
}
