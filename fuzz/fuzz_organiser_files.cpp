// Feeds arbitrary bytes to the organiser file classes as a contact, an event and a to-do file,
// and to the notes splitter as a text to divide. A record written into any such file and saved
// reads back as written, and no page the splitter writes is more than a few bytes over its page
// size. The last byte picks the splitter's options; it stays part of the text.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "foundation/string_list.h"
#include "fuzz/fuzz_files.h"
#include "organiser/memo_divider.h"
#include "organiser/organiser_files.h"

namespace {

void Contact(const std::string& path) {
    TIpodVCF written;
    {
        TTolvVCF vcf(path);
        (void)vcf.IsValid();
        vcf.ReadContact(written);
        written.FN = "山田 太郎";
        written.Note = "メモ 1";
        written.TelCell = "090-0000-0000";
        vcf.WriteContact(written);
        vcf.Save();
    }
    TIpodVCF back;
    TTolvVCF(path).ReadContact(back);
    if (back.FN != written.FN || back.Note != written.Note || back.TelCell != written.TelCell) __builtin_trap();
}

void Event(const std::string& path) {
    TIpodVCal written;
    {
        TTolvVCal cal(path);
        cal.ReadEvent(written);
        written.Summary = "会議";
        written.DtStart = "20070301T090000";
        written.Description.clear();
        cal.WriteEvent(written);
        cal.Save();
        (void)cal.IndexOfKeyValue("begin", "vevent");
        (void)cal.IndexOfKeyValue("", "");
    }
    TIpodVCal back;
    TTolvVCal(path).ReadEvent(back);
    if (back.Summary != written.Summary || back.DtStart != written.DtStart || !back.Description.empty()) {
        __builtin_trap();
    }
}

void Task(const std::string& path) {
    TVTodoObj written;
    {
        TTolvVTodo todo(path);
        todo.ReadTask(written);
        written.Due = "20070301T090000";
        written.Summary = "買い物";
        todo.WriteTask(written);
        todo.Save();
    }
    TVTodoObj back;
    TTolvVTodo(path).ReadTask(back);
    if (back.Due != written.Due || back.Summary != written.Summary) __builtin_trap();
}

void Divide(std::string_view text, uint8_t options) {
    const std::string out = fuzz::WorkFolder() + "/notes";
    std::filesystem::remove_all(out);
    ::mkdir(out.c_str(), 0700);
    TTolvMemoDivider divider;
    divider.FTitle = "F";
    divider.FCutType = (options >> 2) % 5;
    // A small page, so that inputs cut often.
    divider.FPageSize = 20 + (options >> 5) * 8;
    divider.FDelRuby = options & 0x04;
    divider.FNextLink = options & 0x08;
    divider.FPageNo = options & 0x10;
    divider.FEncodeTag = options & 0x20;
    divider.FTitleTag = options & 0x40;
    divider.FCopyDir = options & 0x80;
    divider.AssignText(SplitLines(text));
    divider.Divide(out);
    // The room reserves one byte of each head and link line's break, and a page cut inside a
    // line ends with a break of its own: a page is at most a few bytes over its size.
    const int slack = 4 + divider.FNextLink + divider.FPageNo + divider.FEncodeTag + divider.FTitleTag;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(out)) {
        if (entry.is_regular_file() && entry.file_size() > static_cast<uintmax_t>(divider.FPageSize + slack)) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    Contact(fuzz::WriteFile("contact.vcf", text));
    Event(fuzz::WriteFile("event.ics", text));
    Task(fuzz::WriteFile("task.ics", text));
    Divide(text, fuzz::LastByte(data, size));
    return 0;
}
