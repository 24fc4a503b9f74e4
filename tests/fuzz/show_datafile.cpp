// A data file of any content loaded and shown as `orvik-cli show` shows it (text and JSON).

#include "cli/CliShow.h"
#include "common.h"
#include "core/lang/LangCatalog.h"
#include "core/lang/LangText.h"
#include "core/model/DataFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace orvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string file = fuzz::ScratchDir() + "/input.735";
    static LangCatalog texts(ORVIK_SHIPPED_DATA_DIR "/english.lang",
                             ORVIK_SHIPPED_DATA_DIR "/english.lang");
    static const auto bands = ReadBandNames(ORVIK_SHIPPED_DATA_DIR "/setting.ini");

    fuzz::WriteWholeFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
    HeaderBlock header{};
    RadioImage image;
    std::string error;
    const LoadStatus status = LoadDataFile(file, header, image, &error);
    if (status == LoadStatus::CannotRead)
        fuzz::Fail("a regular file could not be read");
    // An accepted file's image is its bytes 48 to 4143; bytes past them are ignored.
    if (status == LoadStatus::Ok && size >= DataFileSize &&
        std::memcmp(image.data(), data + 48, RadioImage::Size) != 0)
        fuzz::Fail("the image is not the file's bytes");
    if (status == LoadStatus::HeaderRejected && !(image == RadioImage()))
        fuzz::Fail("a rejected file left data in the image");

    const std::string text = cli::ShowText(texts, bands, file, image);
    const std::string json = cli::ShowJson(image);
    if (text.compare(0, file.size(), file) != 0)
        fuzz::Fail("show does not start with the path");
    if (json.size() < 2 || json.front() != '{' || json.compare(json.size() - 2, 2, "}\n") != 0)
        fuzz::Fail("show --json is not one object");
    return 0;
}
