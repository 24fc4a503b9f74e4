// A text file of any content read as the radio's text form and applied, in place and with
// --replace; whatever it makes is written as text again and must give that image back exactly.

#include "common.h"
#include "core/lang/LangText.h"
#include "core/model/TextForm.h"

#include <cstddef>
#include <cstdint>

using namespace orvik;

namespace {

void checkRoundTrip(const RadioImage& image, const std::vector<std::string>& bands) {
    const std::string text = WriteTextForm(image, bands, "fuzz");
    TextPlan plan;
    TextFormError error;
    if (!ReadTextForm(text, bands, plan, error))
        fuzz::Fail("a written text form is not read back");
    RadioDocument doc;
    const TextApplyResult r = ApplyTextForm(doc, plan, true);
    if (!r.ok || !r.notes.empty())
        fuzz::Fail("a written text form does not apply without a note");
    if (!(doc.image() == image))
        fuzz::Fail("a written text form does not give its image back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto bands = ReadBandNames(ORVIK_SHIPPED_DATA_DIR "/setting.ini");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TextPlan plan;
    TextFormError error;
    if (!ReadTextForm(text, bands, plan, error)) {
        if (error.what.empty())
            fuzz::Fail("a refused text names no reason");
        return 0;
    }
    for (bool replace : {false, true}) {
        RadioDocument doc;
        doc.commitCell(1, ColRxFreq, "440", {});
        const TextApplyResult r = ApplyTextForm(doc, plan, replace);
        if (!r.ok && r.error.what.empty())
            fuzz::Fail("a refused apply names no reason");
        if (r.ok)
            checkRoundTrip(doc.image(), bands);
    }
    return 0;
}
