// Arbitrary bytes as HarrowinCast's episode list ("Lumenquist.LST"): loaded, saved and loaded
// again, the list is the same, episode for episode and field for field.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "harrowincast_work/episode_list.h"

using namespace harrowincast;

namespace {

bool SameEpisode(const TPodCastItem& a, const TPodCastItem& b) {
    return a.TITLE == b.TITLE && a.BLOGNAME == b.BLOGNAME && a.CAPTION == b.CAPTION && a.AUTHOR == b.AUTHOR &&
           a.DATE == b.DATE && a.FILE == b.FILE && a.DESCRIPTION == b.DESCRIPTION && a.FORDELETENAME == b.FORDELETENAME;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteFile("Lumenquist.LST", fuzz::AsText(data, size));
    TPodCastList first;
    first.LoadFromFile(path);
    // Never more episodes than the file has lines.
    if (first.Count() > static_cast<int>(size)) __builtin_trap();
    const std::string saved = fuzz::WorkFolder() + "/saved.LST";
    first.SaveToFile(saved);
    TPodCastList again;
    again.LoadFromFile(saved);
    if (again.Count() != first.Count()) __builtin_trap();
    for (int i = 0; i < first.Count(); ++i) {
        if (!SameEpisode(*first.GetItem(i), *again.GetItem(i))) __builtin_trap();
    }
    return 0;
}
