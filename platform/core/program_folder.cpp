// The program's folder: where the sprite sheets and the data files are looked for first.
#include "os_files.h"
#include "platform_state.h"

// The folder of the executable ("/" at the end) unless SetProgramFolder chose another.
const std::string& ProgramFolder() {
    if (DataFiles.programFolder.empty()) DataFiles.programFolder = OsExecutableFolder();
    return DataFiles.programFolder;
}

// Called by tests to work in a temporary folder; an empty folder returns to the default.
// The data folders and the sheet folder are chosen again when next needed.
void SetProgramFolder(const std::string& folder) {
    DataFiles.programFolder = folder;
    if (!folder.empty() && folder.back() != '/') DataFiles.programFolder += '/';
    DataFiles.dataFolder.clear();
    DataFiles.dataFolderChosen = false;
    DataFiles.userFolder.clear();
    DataFiles.userFolderChosen = false;
    SheetFiles.folderChosen = false;
}
