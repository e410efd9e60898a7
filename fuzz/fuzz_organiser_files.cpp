// Feeds arbitrary bytes to the organiser file classes as a contact, event and to-do file
// (reading, record round trips, saving), and to the notes splitter as a text to divide.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/string_list.h"
#include "organiser/memo_divider.h"
#include "organiser/organiser_files.h"

namespace {

const std::string& WorkDir() {
    static const std::string dir = [] {
        // Memory-backed when there is such a folder: the target writes files on every input.
        const std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string d = base + "/fuzz_organiser_files_" + std::to_string(::getpid());
        ::mkdir(d.c_str(), 0700);
        return d;
    }();
    // Registered after `dir` exists, so it runs before `dir` goes away.
    [[maybe_unused]] static const bool cleanup = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(WorkDir(), ignored);
    }) == 0;
    return dir;
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WorkDir() + "/input.txt";
    const uint8_t mode = size ? data[0] : 0;
    if (size) {
        ++data;
        --size;
    }
    WriteInput(path, data, size);

    if (mode % 4 == 3) {
        // The splitter: options from the mode byte, a small page so that inputs cut often.
        const std::string out = WorkDir() + "/notes";
        std::filesystem::remove_all(out);
        ::mkdir(out.c_str(), 0700);
        TTolvMemoDivider divider;
        divider.FTitle = "F";
        divider.FCutType = (mode >> 2) % 5;
        divider.FPageSize = 20 + (mode >> 5) * 8;
        divider.FDelRuby = mode & 0x04;
        divider.FNextLink = mode & 0x08;
        divider.FPageNo = mode & 0x10;
        divider.FEncodeTag = mode & 0x20;
        divider.FTitleTag = mode & 0x40;
        divider.FCopyDir = mode & 0x80;
        divider.AssignText(SplitLines(std::string(reinterpret_cast<const char*>(data), size)));
        divider.Divide(out);
        return 0;
    }

    if (mode % 4 == 0) {
        TTolvVCF vcf(path);
        TIpodVCF contact;
        vcf.ReadContact(contact);
        contact.Note += "x";
        vcf.WriteContact(contact);
        vcf.SetValue("FN", "");
        (void)vcf.IsValid();
    } else if (mode % 4 == 1) {
        TTolvVCal cal(path);
        TIpodVCal event;
        cal.ReadEvent(event);
        event.Summary = "s";
        event.Description.clear();
        cal.WriteEvent(event);
        (void)cal.IndexOfKeyValue("begin", "vevent");
        (void)cal.IndexOfKeyValue("", "");
    } else {
        TTolvVTodo todo(path);
        TVTodoObj task;
        todo.ReadTask(task);
        task.Due = "20070301T090000";
        todo.WriteTask(task);
        todo.Save();
        TTolvVTodo again(path);
        TVTodoObj back;
        again.ReadTask(back);
        if (back.Due != "20070301T090000") __builtin_trap();
    }
    return 0;
}
