#include "TJpegObj.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "platform/MemoryBudget.h"
#include "support/JpegFixtures.h"
#include "support/Unprivileged.h"

using fixtures::Bytes;
using fixtures::EncodeOptions;
using fixtures::Picture;
using fixtures::Space;
using platform::Bitmap;
using platform::MemoryStream;
using platform::PixelFormat;

namespace {

std::unique_ptr<JpegImage> Load(const Bytes& bytes, size_t skip = 0) {
    MemoryStream stream;
    (void)stream.Write(bytes.data(), bytes.size());
    (void)stream.SetPosition(skip);
    auto image = CreateJpegImage();
    image->LoadFromStream(stream);
    return image;
}

Bytes Saved(JpegImage& image) {
    MemoryStream out;
    image.SaveToStream(out);
    return Bytes(out.Memory(), out.Memory() + out.Size());
}

// A JPEG file of exactly size bytes: a comment segment after the start marker pads it.
Bytes PaddedTo(const Bytes& jpeg, size_t size) {
    const size_t payload = size - jpeg.size() - 4;
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.push_back(0xFF);
    out.push_back(0xFE);
    out.push_back(static_cast<uint8_t>((payload + 2) >> 8));
    out.push_back(static_cast<uint8_t>(payload + 2));
    out.insert(out.end(), payload, 'x');
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// The colour of pixel (x, y) of a 24-bit bitmap as red, green, blue.
std::array<int, 3> RgbAt(const Bitmap& b, int x, int y) {
    const uint8_t* p = b.Row(y) + x * 3;
    return {p[2], p[1], p[0]};
}

void ExpectNear(std::array<int, 3> got, std::array<int, 3> want, int tolerance,
                const std::string& what) {
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(got[c], want[c], tolerance) << what << " channel " << c;
}

Picture Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    return fixtures::MakePicture(w, h, [&](int, int, uint8_t* p) {
        p[0] = r;
        p[1] = g;
        p[2] = b;
    });
}

}  // namespace

// ---- loading ----

TEST(JpegImageLoad, ReadsTheHeaderWithoutDecoding) {
    auto image = Load(fixtures::Encode(fixtures::PhotoLike(120, 80)));
    EXPECT_EQ(image->Width(), 120);
    EXPECT_EQ(image->Height(), 80);
    EXPECT_FALSE(image->HasBitmap());
    const Bitmap* bitmap = image->Bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Format(), PixelFormat::Bgr24);
    EXPECT_EQ(image->Bitmap(), bitmap) << "decoded once, then kept";
}

TEST(JpegImageLoad, FilesOf450BytesOrLessAreNotParsed) {
    Picture gray;
    gray.width = 8;
    gray.height = 8;
    gray.components = 1;
    gray.samples.assign(64, 77);
    const Bytes small = fixtures::Encode(gray, {.space = Space::Gray, .quality = 50});
    ASSERT_LT(small.size(), 440u);
    auto at450 = Load(PaddedTo(small, 450));
    EXPECT_EQ(at450->Width(), 0);
    EXPECT_EQ(at450->Height(), 0);
    EXPECT_EQ(at450->Bitmap(), nullptr);
    EXPECT_FALSE(at450->SaveToFile("/nonexistent/never.jpg").saved);
    EXPECT_EQ(Saved(*at450), PaddedTo(small, 450))
        << "the stored bytes are still written unchanged";

    auto at451 = Load(PaddedTo(small, 451));
    EXPECT_EQ(at451->Width(), 8);
    EXPECT_EQ(at451->Height(), 8);
    EXPECT_NE(at451->Bitmap(), nullptr);
}

TEST(JpegImageLoad, TakesOnlyTheBytesFromTheStreamPosition) {
    const Bytes jpeg = fixtures::Encode(fixtures::PhotoLike(40, 30));
    Bytes withJunk(777, 0x55);
    withJunk.insert(withJunk.end(), jpeg.begin(), jpeg.end());
    auto image = Load(withJunk, 777);
    EXPECT_EQ(image->Width(), 40);
    EXPECT_EQ(Saved(*image), jpeg);
}

TEST(JpegImageLoad, RefusesWhatIsNotAJpegPicture) {
    Bytes random(5000);
    for (size_t i = 0; i < random.size(); ++i)
        random[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    const Bytes jpeg = fixtures::Encode(fixtures::PhotoLike(64, 48));
    const Bytes cutBeforeScan(jpeg.begin(),
                              jpeg.begin() + static_cast<long>(fixtures::FindMarker(jpeg, 0xDA)));
    struct Case {
        const char* what;
        Bytes bytes;
    };
    for (const Case& c : {Case{"empty", {}}, Case{"random bytes", random},
                          Case{"cut before the first scan", cutBeforeScan}}) {
        auto image = Load(c.bytes);
        EXPECT_EQ(image->Width(), 0) << c.what;
        EXPECT_EQ(image->Height(), 0) << c.what;
        EXPECT_EQ(image->Bitmap(), nullptr) << c.what;
        EXPECT_EQ(image->Problem(), PictureProblem::Unreadable) << c.what;
        EXPECT_TRUE(Saved(*image).empty() || c.bytes.size() <= kSmallestParsedFile) << c.what;
    }
}

TEST(JpegImageLoad, AHugeHeaderInATinyFileIsRefusedWithoutAllocating) {
    const Bytes jpeg = fixtures::Encode(Solid(16, 16, 1, 2, 3));
    for (const int side : {65500, 65535}) {
        const auto start = std::chrono::steady_clock::now();
        auto image = Load(fixtures::WithClaimedSize(jpeg, side, side));
        EXPECT_EQ(image->Bitmap(), nullptr);
        EXPECT_NE(image->Problem(), PictureProblem::None);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
    // 65500 is within the codec's limits, so its header reads and only memory refuses it.
    auto image = Load(fixtures::WithClaimedSize(jpeg, 65500, 65500));
    EXPECT_EQ(image->Width(), 65500);
    EXPECT_EQ(image->Problem(), PictureProblem::TooLarge);

    // A size that fits in memory, claimed by far too few bytes, is refused before decoding.
    auto hollow = Load(fixtures::WithClaimedSize(jpeg, 20000, 20000));
    EXPECT_EQ(hollow->Width(), 20000);
    EXPECT_EQ(hollow->Problem(), PictureProblem::Hollow);
    EXPECT_EQ(hollow->Bitmap(), nullptr);
}

TEST(JpegImageLoad, AFlatArithmeticCodedPictureIsNotHollow) {
    // Arithmetic coding codes a flat picture in a few bytes per thousand blocks.
    const Picture black = Solid(2000, 2000, 0, 0, 0);
    const Bytes tiny = fixtures::Encode(black, {.arithmetic = true});
    ASSERT_LT(tiny.size() * 8, 2000u * 2000 / 64);
    auto image = Load(PaddedTo(tiny, 1000));
    ASSERT_NE(image->Bitmap(), nullptr);
    EXPECT_EQ(image->Problem(), PictureProblem::None);
    EXPECT_LT(image->Bitmap()->Row(1000)[3000], 8);
}

// ---- decoding ----

TEST(JpegImageDecode, DataCutInsideTheScanStillDecodes) {
    const Picture picture = fixtures::PhotoLike(64, 64);
    const Bytes jpeg = fixtures::Encode(picture);
    const size_t sos = fixtures::FindMarker(jpeg, 0xDA);
    const Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<long>(sos + (jpeg.size() - sos) / 2));
    auto image = Load(cut);
    ASSERT_EQ(image->Width(), 64);
    const Bitmap* bitmap = image->Bitmap();
    ASSERT_NE(bitmap, nullptr);
    ExpectNear(RgbAt(*bitmap, 1, 1),
               {picture.At(1, 1)[0], picture.At(1, 1)[1], picture.At(1, 1)[2]}, 12,
               "the top, which the data still holds");
}

TEST(JpegImageDecode, ProgressiveDecodesLikeBaseline) {
    const Picture picture = fixtures::PhotoLike(90, 70);
    auto baseline = Load(fixtures::Encode(picture));
    auto progressive = Load(fixtures::Encode(picture, {.progressive = true}));
    ASSERT_NE(progressive->Bitmap(), nullptr);
    for (int y = 0; y < 70; y += 7) {
        for (int x = 0; x < 90; x += 9)
            ExpectNear(RgbAt(*progressive->Bitmap(), x, y), RgbAt(*baseline->Bitmap(), x, y), 3,
                       "pixel");
    }
}

TEST(JpegImageDecode, GrayscaleGivesA236LevelRamp) {
    Picture gray;
    gray.width = 256;
    gray.height = 4;
    gray.components = 1;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 256; ++x)
            gray.samples.push_back(static_cast<uint8_t>(x));
    }
    auto image = Load(fixtures::Encode(gray, {.space = Space::Gray}));
    const Bitmap* bitmap = image->Bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Format(), PixelFormat::Indexed8);
    const auto& colours = bitmap->Colours();
    EXPECT_EQ(colours[0], (platform::Rgb{0, 0, 0}));
    EXPECT_EQ(colours[235], (platform::Rgb{255, 255, 255}));
    for (int i = 1; i < 236; ++i) {
        EXPECT_GT(colours[i].red, colours[i - 1].red);
        EXPECT_EQ(colours[i].red, colours[i].green);
        EXPECT_EQ(colours[i].red, colours[i].blue);
    }
    for (int x = 0; x < 256; ++x)
        ASSERT_LT(bitmap->Row(1)[x], 236);
}

TEST(JpegImageDecode, ColoursArriveInBlueGreenRedOrder) {
    auto blue = Load(fixtures::Encode(Solid(32, 32, 0, 0, 255)));
    const Bitmap* bitmap = blue->Bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_GT(bitmap->Row(5)[5 * 3 + 0], 240);
    EXPECT_LT(bitmap->Row(5)[5 * 3 + 2], 15);
}

TEST(JpegImageDecode, CmykAndYcckBecomeCorrectColours) {
    // Orange-ish ink mix: C=0, M=128, Y=255, K=0 gives red 255, green 127, blue 0.
    struct Case {
        const char* what;
        Space space;
        bool adobe;
        bool storeInverted;
    };
    for (const Case& c :
         {Case{"plain CMYK", Space::Cmyk, false, false},
          Case{"Adobe CMYK", Space::Cmyk, true, true}, Case{"YCCK", Space::Ycck, true, true}}) {
        Picture cmyk;
        cmyk.width = 24;
        cmyk.height = 24;
        cmyk.components = 4;
        const uint8_t ink[4] = {0, 128, 255, 0};
        for (int i = 0; i < 24 * 24; ++i) {
            for (int k = 0; k < 4; ++k)
                cmyk.samples.push_back(c.storeInverted ? 255 - ink[k] : ink[k]);
        }
        const Bytes jpeg = fixtures::Encode(cmyk, {.space = c.space, .adobeMarker = c.adobe});
        auto image = Load(PaddedTo(jpeg, jpeg.size() + 1000));
        const Bitmap* bitmap = image->Bitmap();
        ASSERT_NE(bitmap, nullptr) << c.what;
        EXPECT_EQ(bitmap->Format(), PixelFormat::Bgr24) << c.what;
        ExpectNear(RgbAt(*bitmap, 10, 10), {255, 127, 0}, 4, c.what);
    }
}

TEST(JpegImageDecode, ExifOrientationTurnsThePictureUpright) {
    // An upright 24 x 16 picture with a distinct colour in each quadrant.
    const auto quadrant = [](int x, int y, int w, int h, uint8_t* p) {
        const int q = (x >= w / 2 ? 1 : 0) + (y >= h / 2 ? 2 : 0);
        static constexpr uint8_t kColours[4][3] = {
            {250, 0, 0}, {0, 250, 0}, {0, 0, 250}, {250, 250, 0}};
        std::memcpy(p, kColours[q], 3);
    };
    const int uw = 24, uh = 16;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const bool swap = orientation >= 5;
        const int sw = swap ? uh : uw, sh = swap ? uw : uh;
        // The stored picture is the upright one put through the inverse of the orientation.
        const Picture stored = fixtures::MakePicture(sw, sh, [&](int x, int y, uint8_t* p) {
            int u = x, v = y;
            switch (orientation) {
                case 2:
                    u = sw - 1 - x;
                    break;
                case 3:
                    u = sw - 1 - x;
                    v = sh - 1 - y;
                    break;
                case 4:
                    v = sh - 1 - y;
                    break;
                case 5:
                    u = y;
                    v = x;
                    break;
                case 6:
                    u = sh - 1 - y;
                    v = x;
                    break;
                case 7:
                    u = sh - 1 - y;
                    v = sw - 1 - x;
                    break;
                case 8:
                    u = y;
                    v = sw - 1 - x;
                    break;
                default:
                    break;
            }
            quadrant(u, v, uw, uh, p);
        });
        auto image = Load(fixtures::Encode(
            stored, {.exifOrientation = orientation, .exifBigEndian = orientation % 2 == 0}));
        EXPECT_EQ(image->Width(), uw) << "orientation " << orientation << ", before decoding";
        EXPECT_EQ(image->Height(), uh) << "orientation " << orientation;
        const Bitmap* bitmap = image->Bitmap();
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(bitmap->Width(), uw);
        for (const auto& [x, y] :
             std::vector<std::pair<int, int>>{{3, 3}, {20, 3}, {3, 12}, {20, 12}}) {
            uint8_t want[3];
            quadrant(x, y, uw, uh, want);
            ExpectNear(RgbAt(*bitmap, x, y), {want[0], want[1], want[2]}, 40,
                       "orientation " + std::to_string(orientation) + " at " + std::to_string(x) +
                           "," + std::to_string(y));
        }
        // The encoding of the upright picture carries no Exif block.
        auto copy = CreateJpegImage();
        copy->AssignBitmap(*bitmap);
        EXPECT_EQ(fixtures::FindMarker(Saved(*copy), 0xE1), 0u);
    }
}

TEST(JpegImageDecode, TooManyScansAreRefused) {
    const Bytes jpeg = fixtures::Encode(fixtures::PhotoLike(16, 16), {.manyScans = true});
    auto image = Load(jpeg);
    EXPECT_EQ(image->Width(), 16);
    EXPECT_EQ(image->Bitmap(), nullptr);
    EXPECT_EQ(image->Problem(), PictureProblem::TooManyScans);
}

// ---- colour profiles ----

TEST(JpegImageProfile, AnRgbProfileSurvivesDecodeCopyAndEncode) {
    const Bytes profile = fixtures::FakeIccProfile(70000, "RGB ");  // two APP2 chunks
    auto image = Load(fixtures::Encode(fixtures::PhotoLike(30, 20), {.iccProfile = profile}));
    const Bitmap* bitmap = image->Bitmap();
    ASSERT_NE(bitmap, nullptr);
    ASSERT_TRUE(bitmap->Profile());
    EXPECT_EQ(*bitmap->Profile(), profile);

    auto result = CreateJpegImage();
    result->AssignBitmap(*bitmap);
    auto reread = Load(Saved(*result));
    ASSERT_NE(reread->Bitmap(), nullptr);
    ASSERT_TRUE(reread->Bitmap()->Profile());
    EXPECT_EQ(*reread->Bitmap()->Profile(), profile);
}

TEST(JpegImageProfile, ProfilesThatDoNotDescribeRgbAreDropped) {
    for (const char* space : {"GRAY", "CMYK"}) {
        auto image = Load(fixtures::Encode(fixtures::PhotoLike(30, 20),
                                           {.iccProfile = fixtures::FakeIccProfile(600, space)}));
        ASSERT_NE(image->Bitmap(), nullptr);
        EXPECT_FALSE(image->Bitmap()->Profile()) << space;
    }
    // A profile whose second chunk is missing is inconsistent.
    Bytes jpeg = fixtures::Encode(fixtures::PhotoLike(30, 20),
                                  {.iccProfile = fixtures::FakeIccProfile(70000, "RGB ")});
    const size_t second = fixtures::FindMarker(
        Bytes(jpeg.begin() + static_cast<long>(fixtures::FindMarker(jpeg, 0xE2)) + 2, jpeg.end()),
        0xE2);
    ASSERT_GT(second, 0u);
    const size_t at = fixtures::FindMarker(jpeg, 0xE2) + 2 + second;
    jpeg[at + 1] = 0xEC;  // turn the second APP2 chunk into an APP12 segment
    auto broken = Load(jpeg);
    ASSERT_NE(broken->Bitmap(), nullptr);
    EXPECT_FALSE(broken->Bitmap()->Profile());
}

// ---- encoding ----

TEST(JpegImageEncode, WritesBaselineJfifAtQuality90With2x2Sampling) {
    static constexpr int kLuminance[64] = {
        16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
        14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
        18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
        49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    static constexpr int kChrominance[64] = {
        17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
        99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
        99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
    auto source = Bitmap::Create(50, 40, PixelFormat::Bgrx32);
    auto image = CreateJpegImage();
    image->AssignBitmap(*source);
    const Bytes jpeg = Saved(*image);
    ASSERT_GT(fixtures::FindMarker(jpeg, 0xC0), 0u) << "SOF0, baseline";

    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
    EXPECT_FALSE(d.progressive_mode);
    EXPECT_EQ(d.num_components, 3);
    EXPECT_EQ(d.jpeg_color_space, JCS_YCbCr);
    EXPECT_EQ(d.comp_info[0].h_samp_factor, 2);
    EXPECT_EQ(d.comp_info[0].v_samp_factor, 2);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(d.comp_info[i].h_samp_factor, 1);
        EXPECT_EQ(d.comp_info[i].v_samp_factor, 1);
    }
    EXPECT_TRUE(d.saw_JFIF_marker);
    EXPECT_EQ(d.density_unit, 0);
    EXPECT_EQ(d.X_density, 1);
    EXPECT_EQ(d.Y_density, 1);
    for (int t = 0; t < 2; ++t) {
        const int* standard = t == 0 ? kLuminance : kChrominance;
        ASSERT_NE(d.quant_tbl_ptrs[t], nullptr);
        for (int i = 0; i < 64; ++i) {
            const int want = std::clamp((standard[i] * 20 + 50) / 100, 1, 255);
            EXPECT_EQ(d.quant_tbl_ptrs[t]->quantval[i], want) << "table " << t << " entry " << i;
        }
    }
    jpeg_destroy_decompress(&d);
}

TEST(JpegImageEncode, AllThreeBitmapFormatsGiveTheSameBytes) {
    const Picture picture = fixtures::PhotoLike(33, 21);
    auto bgr = Bitmap::Create(33, 21, PixelFormat::Bgr24);
    auto bgrx = Bitmap::Create(33, 21, PixelFormat::Bgrx32);
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 33; ++x) {
            for (int c = 0; c < 3; ++c) {
                bgr->Row(y)[x * 3 + c] = picture.At(x, y)[2 - c];
                bgrx->Row(y)[x * 4 + c] = picture.At(x, y)[2 - c];
            }
        }
    }
    auto a = CreateJpegImage();
    a->AssignBitmap(*bgr);
    auto b = CreateJpegImage();
    b->AssignBitmap(*bgrx);
    EXPECT_EQ(Saved(*a), Saved(*b));
    // The encoding keeps the colours: pure blue comes back blue.
    auto blue = Bitmap::Create(16, 16, PixelFormat::Bgr24);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            blue->Row(y)[x * 3] = 255;
    }
    auto encoded = CreateJpegImage();
    encoded->AssignBitmap(*blue);
    const Picture back = fixtures::Decode(Saved(*encoded));
    EXPECT_GT(back.At(8, 8)[2], 240);
    EXPECT_LT(back.At(8, 8)[0], 15);
}

TEST(JpegImageEncode, SavesEncodeOnceAndRepeatTheSameBytes) {
    auto source = Bitmap::Create(40, 30, PixelFormat::Bgr24);
    auto image = CreateJpegImage();
    image->AssignBitmap(*source);
    EXPECT_EQ(image->Data().stream, nullptr);
    const Bytes first = Saved(*image);
    const MemoryStream* encoded = image->Data().stream.get();
    ASSERT_NE(encoded, nullptr);
    EXPECT_EQ(image->Data().Width, 40);
    EXPECT_EQ(Saved(*image), first);
    EXPECT_EQ(image->Data().stream.get(), encoded) << "the second save encodes nothing";
}

TEST(JpegImageEncode, AnEncodingOfExactlyWholeBlocksHoldsJustItsBytes) {
    const Picture picture = fixtures::PhotoLike(64, 64);
    auto bitmap = Bitmap::Create(64, 64, PixelFormat::Bgr24);
    auto sizeWith = [&](size_t profileSize) {
        bitmap->SetProfile(std::make_shared<const std::vector<uint8_t>>(
            fixtures::FakeIccProfile(profileSize, "RGB ")));
        auto image = CreateJpegImage();
        image->AssignBitmap(*bitmap);
        return Saved(*image);
    };
    const size_t base = sizeWith(1000).size();
    const Bytes exact = sizeWith(1000 + (4096 - base % 4096) % 4096);
    EXPECT_EQ(exact.size() % 4096, 0u);
    EXPECT_EQ(exact[exact.size() - 2], 0xFF);
    EXPECT_EQ(exact.back(), 0xD9);
}

TEST(JpegImageEncode, AnEmptyBitmapWritesNothing) {
    auto empty = Bitmap::Create(0, 10, PixelFormat::Bgr24);
    auto image = CreateJpegImage();
    image->AssignBitmap(*empty);
    EXPECT_TRUE(image->IsEmpty());
    EXPECT_TRUE(Saved(*image).empty());
    fixtures::TempDir dir;
    EXPECT_FALSE(image->SaveToFile(dir.File("x.jpg")).saved);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.jpg")));
    auto fresh = CreateJpegImage();
    EXPECT_EQ(fresh->Bitmap(), nullptr);
    EXPECT_TRUE(Saved(*fresh).empty());
}

// ---- saving to files ----

TEST(JpegImageSaveToFile, ReplacesALongerFileWithExactlyTheNewBytes) {
    fixtures::TempDir dir;
    const std::string path = dir.File("out.jpg");
    ASSERT_TRUE(fixtures::WriteFile(path, Bytes(200000, 1)));
    auto image = Load(fixtures::Encode(fixtures::PhotoLike(50, 50)));
    const FileSaveResult result = image->SaveToFile(path);
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(fixtures::ReadFile(path), Saved(*image));
}

TEST(JpegImageSaveToFile, FailuresLeaveTheOldFileIntact) {
    fixtures::TempDir dir;
    auto image = Load(fixtures::Encode(fixtures::PhotoLike(200, 200)));
    const Bytes old(300, 8);

    const std::string full = dir.File("full.jpg");
    ASSERT_TRUE(fixtures::WriteFile(full, old));
    FileSaveResult onFull;
    {
        const fixtures::FileSizeLimit deviceFull(1024);
        onFull = image->SaveToFile(full);
    }
    EXPECT_FALSE(onFull.saved);
    EXPECT_EQ(onFull.error, EFBIG);
    EXPECT_EQ(fixtures::ReadFile(full), old);

    const std::string folder = dir.File("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
    ASSERT_TRUE(fixtures::WriteFile(folder + "/old.jpg", old));
    ASSERT_EQ(chmod((folder + "/old.jpg").c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const int outcome = fixtures::RunUnprivileged([&] {
        const FileSaveResult r = image->SaveToFile(folder + "/old.jpg");
        return !r.saved && r.error == EACCES ? 0 : 1;
    });
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(fixtures::ReadFile(folder + "/old.jpg"), old);

    const FileSaveResult onFolder = image->SaveToFile(dir.Path());
    EXPECT_FALSE(onFolder.saved);
    EXPECT_EQ(onFolder.error, EISDIR);
}
