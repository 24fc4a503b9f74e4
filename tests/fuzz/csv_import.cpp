// A CSV file of any content read as a channel import: the reader's records written back and
// read again give the same fields, and the image the import makes exports and imports back to
// itself.

#include "common.h"
#include "core/csv/Csv.h"
#include "core/model/ChannelCsv.h"
#include "core/model/RadioImage.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace orvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    int lastLine = 0;
    for (const csv::Record& record : csv::Parse(text)) {
        if (record.line < lastLine)
            fuzz::Fail("records out of line order");
        lastLine = record.line;
        if (record.open)
            continue;
        const auto again = csv::Parse(csv::Line(record.fields));
        if (again.size() != 1 || again[0].fields != record.fields)
            fuzz::Fail("a record written and read again changed");
    }

    static const RadioImage start = MakeDefaultImage();
    static const FrequencyLimits limits = recomputeLimits(start);
    for (const bool renumber : {false, true}) {
        const CsvImportResult result = ImportChannelsCsv(start, limits, text, {renumber, false});
        if (!result.usable)
            return 0;
        const std::string exported = ExportChannelsCsv(result.image, false);
        const CsvImportResult back =
            ImportChannelsCsv(result.image, limits, exported, {false, true});
        if (!back.usable || !(back.image == result.image))
            fuzz::Fail("an imported image does not export and import back to itself");
    }
    return 0;
}
