// Arbitrary bytes as the record of news pages ("NewsPages.LST"): read, a site written, the sites
// no longer listed dropped and the record saved, no file outside the notes folder and no page
// just written is ever removed, and the saved record reads again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "harrowin_work/news_download.h"

using namespace harrowin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string record = fuzz::WriteFile("RDFData/NewsPages.LST", fuzz::AsText(data, size));
    const std::string notes = fuzz::WorkFolder() + "/Notes/";
    const std::string outside = fuzz::WriteFile("Outside.txt", "not a note");
    const std::string written = fuzz::WriteFile("Notes/RSS News/A.txt", "page");
    fuzz::WriteFile("Notes/RSS News/A 001.txt", "page");
    {
        TNewsPages pages(record, notes);
        (void)pages.MayReplace(written);
        (void)pages.MayReplace(outside);
        pages.SiteWritten("A", notes + "RSS News", {written}, true);
        pages.DropSitesOtherThan({"A"});
        pages.Save();
    }
    if (::access(outside.c_str(), F_OK) != 0 || ::access(written.c_str(), F_OK) != 0) __builtin_trap();
    TNewsPages again(record, notes);
    (void)again.MayReplace(written);
    return 0;
}
