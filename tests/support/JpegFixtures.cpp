#include "support/JpegFixtures.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <sys/resource.h>
#include <algorithm>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fixtures {

Picture MakePicture(int width, int height, const std::function<void(int, int, uint8_t*)>& colour) {
    Picture p;
    p.width = width;
    p.height = height;
    p.components = 3;
    p.samples.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            colour(x, y, p.At(x, y));
    }
    return p;
}

Picture PhotoLike(int width, int height, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-6, 6);
    return MakePicture(width, height, [&](int x, int y, uint8_t* rgb) {
        const int r = 40 + 170 * x / (width > 1 ? width - 1 : 1) + noise(random);
        const int g = 60 + 150 * y / (height > 1 ? height - 1 : 1) + noise(random);
        const int b = 128 + (((x / 16) + (y / 16)) % 2 ? 60 : -60) + noise(random);
        rgb[0] = static_cast<uint8_t>(std::clamp(r, 0, 255));
        rgb[1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
        rgb[2] = static_cast<uint8_t>(std::clamp(b, 0, 255));
    });
}

Bytes ExifBlock(int orientation, bool bigEndian) {
    Bytes b = {'E', 'x', 'i', 'f', 0, 0};
    auto put16 = [&](unsigned v) {
        if (bigEndian) {
            b.push_back(static_cast<uint8_t>(v >> 8));
            b.push_back(static_cast<uint8_t>(v));
        } else {
            b.push_back(static_cast<uint8_t>(v));
            b.push_back(static_cast<uint8_t>(v >> 8));
        }
    };
    auto put32 = [&](unsigned v) {
        if (bigEndian) {
            put16(v >> 16);
            put16(v & 0xFFFF);
        } else {
            put16(v & 0xFFFF);
            put16(v >> 16);
        }
    };
    b.push_back(bigEndian ? 'M' : 'I');
    b.push_back(bigEndian ? 'M' : 'I');
    put16(42);
    put32(8);
    put16(2);  // two entries: a resolution-unit tag first, then the orientation
    put16(0x0128);
    put16(3);
    put32(1);
    put16(2);
    put16(0);
    put16(0x0112);
    put16(3);
    put32(1);
    put16(static_cast<unsigned>(orientation));
    put16(0);
    put32(0);
    return b;
}

size_t FindMarker(const Bytes& jpeg, uint8_t code) {
    for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code)
            return i;
    }
    return 0;
}

Bytes WithClaimedSize(Bytes jpeg, int width, int height) {
    const size_t baseline = FindMarker(jpeg, 0xC0);
    const size_t sof = baseline != 0 ? baseline : FindMarker(jpeg, 0xC2);
    if (sof == 0 || sof + 8 >= jpeg.size())
        throw std::runtime_error("no frame header");
    jpeg[sof + 5] = static_cast<uint8_t>(height >> 8);
    jpeg[sof + 6] = static_cast<uint8_t>(height);
    jpeg[sof + 7] = static_cast<uint8_t>(width >> 8);
    jpeg[sof + 8] = static_cast<uint8_t>(width);
    return jpeg;
}

Bytes FakeIccProfile(size_t size, const char* space) {
    Bytes profile(size);
    for (size_t i = 0; i < size; ++i)
        profile[i] = static_cast<uint8_t>(i * 7 + 3);
    const uint32_t length = static_cast<uint32_t>(size);
    profile[0] = static_cast<uint8_t>(length >> 24);
    profile[1] = static_cast<uint8_t>(length >> 16);
    profile[2] = static_cast<uint8_t>(length >> 8);
    profile[3] = static_cast<uint8_t>(length);
    for (int i = 0; i < 4; ++i)
        profile[16 + static_cast<size_t>(i)] = static_cast<uint8_t>(space[i]);
    return profile;
}

Bytes Encode(const Picture& picture, const EncodeOptions& options) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = static_cast<JDIMENSION>(picture.width);
    c.image_height = static_cast<JDIMENSION>(picture.height);
    switch (options.space) {
        case Space::Gray:
            c.input_components = 1;
            c.in_color_space = JCS_GRAYSCALE;
            break;
        case Space::YCbCr:
            c.input_components = 3;
            c.in_color_space = JCS_RGB;
            break;
        case Space::Cmyk:
        case Space::Ycck:
            c.input_components = 4;
            c.in_color_space = JCS_CMYK;
            break;
        case Space::TwoComponents:
            c.input_components = 2;
            c.in_color_space = JCS_UNKNOWN;
            break;
    }
    const int pictureComponents = options.space == Space::TwoComponents ? 3 : c.input_components;
    if (picture.components != pictureComponents)
        throw std::runtime_error("component mismatch");
    jpeg_set_defaults(&c);
    if (options.space == Space::Ycck)
        jpeg_set_colorspace(&c, JCS_YCCK);
    if (options.space == Space::Cmyk && !options.adobeMarker)
        c.write_Adobe_marker = FALSE;
    jpeg_set_quality(&c, options.quality, TRUE);
    if (options.progressive)
        jpeg_simple_progression(&c);
    c.restart_interval = static_cast<unsigned>(options.restartInterval);
    c.arith_code = options.arithmetic ? TRUE : FALSE;
    std::vector<jpeg_scan_info> scans;
    if (options.manyScans) {
        // DC, then every coefficient of every component in two approximation steps.
        scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
        for (int pass = 0; pass < 2; ++pass) {
            for (int comp = 0; comp < 3; ++comp) {
                for (int k = 1; k < 64; ++k) {
                    scans.push_back(
                        {1, {comp, 0, 0, 0}, k, k, pass == 0 ? 0 : 1, pass == 0 ? 1 : 0});
                }
            }
        }
        c.scan_info = scans.data();
        c.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&c, TRUE);
    if (options.exifOrientation != 0) {
        const Bytes exif = ExifBlock(options.exifOrientation, options.exifBigEndian);
        jpeg_write_marker(&c, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    }
    if (!options.iccProfile.empty()) {
        jpeg_write_icc_profile(&c, options.iccProfile.data(),
                               static_cast<unsigned>(options.iccProfile.size()));
    }
    const size_t stride = static_cast<size_t>(picture.width) * picture.components;
    std::vector<uint8_t> pairs(static_cast<size_t>(picture.width) * 2);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.samples.data() + c.next_scanline * stride);
        if (options.space == Space::TwoComponents) {
            for (size_t i = 0; i < pairs.size(); ++i)
                pairs[i] = row[i / 2 * 3 + i % 2];
            row = pairs.data();
        }
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes bytes(out, out + outSize);
    free(out);
    return bytes;
}

Picture Decode(const Bytes& jpeg) {
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    if (d.out_color_space != JCS_GRAYSCALE)
        d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    Picture p;
    p.width = static_cast<int>(d.output_width);
    p.height = static_cast<int>(d.output_height);
    p.components = d.output_components;
    p.samples.resize(static_cast<size_t>(p.width) * p.height * p.components);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row =
            p.samples.data() + static_cast<size_t>(d.output_scanline) * p.width * p.components;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return p;
}

FileSizeLimit::FileSizeLimit(uint64_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    savedSoft_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = savedSoft_;
    setrlimit(RLIMIT_FSIZE, &limit);
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantoro-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    // Others may enter it, so that a test's unprivileged child meets only the permissions the
    // test sets on what lies inside.
    std::filesystem::permissions(
        path_, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                   std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                   std::filesystem::perms::others_exec);
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Folders a test made read-only must be writable again to be removed.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
        if (entry.is_directory(ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace fixtures
