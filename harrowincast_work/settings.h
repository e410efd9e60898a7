// HarrowinCast's settings: options, window bounds and the feed list, held in memory for the
// whole run from "Lumenquist.INI" in the program folder and written back whole by Save (the
// destructor saves as well, quietly). Window numbers are pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "harrowincast_work/site_list.h"

class TIniFile;

namespace harrowincast {

class TTolvIPodINI {
public:
    // Reads the file (a missing file gives the defaults; so does one that is there but could
    // not be read, which Save then refuses to replace). The screen size places the default
    // 600 x 400 window in the middle of the screen.
    TTolvIPodINI(const std::string& FileName, int32_t ScreenWidth = 1024, int32_t ScreenHeight = 768);
    ~TTolvIPodINI();
    TTolvIPodINI(const TTolvIPodINI&) = delete;
    TTolvIPodINI& operator=(const TTolvIPodINI&) = delete;

    // Writes every key and the feed list, then the file (EFileError when it cannot be written).
    void Save();
    // The feeds' names in order (what the main window's list shows).
    std::vector<std::string> NameList() const;
    // The folder of the settings file, the program folder, with a trailing "/".
    std::string Folder() const;
    // Empty when the file was read or is missing; else why it was not read (see TIniFile).
    const std::string& ReadFailure() const;

    TPodSiteList Sites;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t W = 600;
    int32_t H = 400;
    int32_t State = 0;
    bool AutoUpdate = false;
    bool QuitiTuunes = true;
    bool NewAndUpdate = false;
    int32_t DeleteColumns = 7;  // at least 1 as read and as set in the dialog
    bool DeleteFile = true;
    std::string PlayListName = "Harrowin Cast";
    bool MakeAnyLists = false;
    int32_t SaveType = 0;
    std::string SaveFolder;

private:
    std::unique_ptr<TIniFile> FIni;
};

}  // namespace harrowincast
