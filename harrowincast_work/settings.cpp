#include "harrowincast_work/settings.h"

#include <filesystem>

#include "foundation/ini_file.h"
#include "foundation/names.h"
#include "foundation/paths.h"

namespace harrowincast {

TTolvIPodINI::TTolvIPodINI(const std::string& FileName, int32_t ScreenWidth, int32_t ScreenHeight)
    : FIni(std::make_unique<TIniFile>(FileName)) {
    X = (ScreenWidth - 600) / 2;
    Y = (ScreenHeight - 400) / 2;
    SaveFolder = WithTrailingSlash(std::filesystem::path(FileName).parent_path().string());
    TIniFile& ini = *FIni;
    X = ini.ReadInteger("Positions", "Main_X", X);
    Y = ini.ReadInteger("Positions", "Main_Y", Y);
    W = ini.ReadInteger("Positions", "Main_W", W);
    H = ini.ReadInteger("Positions", "Main_H", H);
    State = ini.ReadInteger("Positions", "State", State);
    AutoUpdate = ini.ReadBool("Others", "AutoUpdate", AutoUpdate);
    QuitiTuunes = ini.ReadBool("Others", "QuitiTuunes", QuitiTuunes);
    NewAndUpdate = ini.ReadBool("Others", "NewAndUpdate", NewAndUpdate);
    // A count below 1 takes no episode, so the update would drop every known one: such a
    // value (a file edited by hand, an old file) gives the default.
    if (const int32_t columns = ini.ReadInteger("Others", "DeleteColumns", DeleteColumns); columns >= 1) {
        DeleteColumns = columns;
    }
    DeleteFile = ini.ReadBool("Others", "DeleteFile", DeleteFile);
    // A name edited by hand into the file is read as a typed one: a control character (a NUL
    // among them) would cut the play list's name and its file.
    PlayListName = EnteredName(ini.ReadString("Others", "PlayListName", PlayListName));
    MakeAnyLists = ini.ReadBool("Others", "MakeAnyLists", MakeAnyLists);
    SaveFolder = ini.ReadString("Saves", "SaveFolder", SaveFolder);
    SaveType = ini.ReadInteger("Saves", "SaveType", SaveType);
    Sites.LoadFromIni(ini);
}

TTolvIPodINI::~TTolvIPodINI() {
    try {
        Save();
    } catch (...) {
        // The main window saves explicitly and reports failures; nothing may leave a destructor.
    }
}

void TTolvIPodINI::Save() {
    TIniFile& ini = *FIni;
    ini.WriteInteger("Positions", "Main_X", X);
    ini.WriteInteger("Positions", "Main_Y", Y);
    ini.WriteInteger("Positions", "Main_W", W);
    ini.WriteInteger("Positions", "Main_H", H);
    ini.WriteInteger("Positions", "State", State);
    ini.WriteBool("Others", "AutoUpdate", AutoUpdate);
    ini.WriteBool("Others", "QuitiTuunes", QuitiTuunes);
    ini.WriteBool("Others", "NewAndUpdate", NewAndUpdate);
    ini.WriteInteger("Others", "DeleteColumns", DeleteColumns);
    ini.WriteBool("Others", "DeleteFile", DeleteFile);
    ini.WriteString("Others", "PlayListName", PlayListName);
    ini.WriteBool("Others", "MakeAnyLists", MakeAnyLists);
    ini.WriteString("Saves", "SaveFolder", SaveFolder);
    ini.WriteInteger("Saves", "SaveType", SaveType);
    Sites.SaveToIni(ini);
    ini.UpdateFile();
}

std::string TTolvIPodINI::Folder() const {
    return WithTrailingSlash(std::filesystem::path(FIni->FileName()).parent_path().string());
}

const std::string& TTolvIPodINI::ReadFailure() const { return FIni->ReadFailure(); }

std::vector<std::string> TTolvIPodINI::NameList() const {
    std::vector<std::string> names;
    for (int i = 0; i < Sites.Count(); ++i) names.push_back(Sites.GetItem(i)->NAME);
    return names;
}

}  // namespace harrowincast
