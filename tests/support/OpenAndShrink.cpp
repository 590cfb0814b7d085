#include "support/OpenAndShrink.h"

#include "TJpegObj.h"

namespace fixtures {

std::string OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Shrunk:
            return "shrunk";
        case Outcome::Partial:
            return "partial";
        case Outcome::NotJpeg:
            return "not-jpeg";
        case Outcome::TooLarge:
            return "too-large";
        case Outcome::TooComplex:
            return "too-complex";
        case Outcome::Hollow:
            return "hollow";
    }
    return "?";
}

Outcome OpenAndShrink(const uint8_t* data, size_t size) {
    platform::MemoryStream stream;
    if (size > 0)
        (void)stream.Write(data, size);
    (void)stream.SetPosition(0);
    auto image = CreateJpegImage();
    image->LoadFromStream(stream);
    if (image->Problem() == PictureProblem::TooLarge)
        return Outcome::TooLarge;
    if (image->Problem() == PictureProblem::Hollow)
        return Outcome::Hollow;
    if (image->IsEmpty())
        return Outcome::NotJpeg;
    const platform::Bitmap* bitmap = image->Bitmap();
    switch (image->Problem()) {
        case PictureProblem::TooLarge:
            return Outcome::TooLarge;
        case PictureProblem::TooManyScans:
            return Outcome::TooComplex;
        case PictureProblem::Hollow:
            return Outcome::Hollow;
        case PictureProblem::Unreadable:
        case PictureProblem::Undecodable:
            return Outcome::NotJpeg;
        case PictureProblem::None:
            break;
    }
    for (int percent : {10, 30, 100}) {
        ShrinkOutcome shrunk = ShrinkBitmap(*bitmap, percent);
        if (shrunk.status != ShrinkOutcome::Status::Done)
            continue;
        platform::MemoryStream encoded;
        shrunk.image->SaveToStream(encoded);
    }
    return image->Incomplete() ? Outcome::Partial : Outcome::Shrunk;
}

}  // namespace fixtures
