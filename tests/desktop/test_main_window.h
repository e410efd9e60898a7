// The main window of the tests that test it together with a page: settings that accept the
// terms and lock it to a player folder written by the tests' writers, recognised at once.
#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "desktop/main_form.h"
#include "tests/support/temp_dir.h"

namespace harrowin {

// A main window whose settings lock it to the player folder; recognised at once.
inline std::unique_ptr<TMainForm> OpenTestPlayer(const TempDir& dir, const std::string& sub,
                                                 const std::string& extraSettings = {}) {
    const std::string settings =
        dir.Write(sub + "-Tessmar.INI", "[Copyright]\r\nCopyright=1\r\n[Recognize]\r\nMakeFolder=1\r\nDriveLockPath=" +
                                            (dir / sub) + "\r\n" + extraSettings);
    auto form = std::make_unique<TMainForm>(QStringList{}, settings);
    form->Button_RecognizeClick();
    return form;
}

}  // namespace harrowin
