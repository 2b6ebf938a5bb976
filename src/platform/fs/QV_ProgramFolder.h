#pragma once
// Finding the program folder: the folder that holds Data/ with the settings,
// menus, languages and themes.

#include <QString>

// The places the program folder is looked for, in this order.
struct TProgramPlaces {
    QString WorkingFolder; // the working directory at start
    QString ExeFolder;     // the folder of the running executable
    QString UserFolder;    // $XDG_DATA_HOME/qorvel, default ~/.local/share/qorvel
    QString DefaultData;   // the installed default Data/ tree that seeds UserFolder
};

// The places of this process; DefaultData is <exe folder>/../share/qorvel/Data.
TProgramPlaces CurrentProgramPlaces();

// The working folder when it holds Data/, else the executable's folder when that
// does, else the user folder. A user folder without Data/ is first seeded with a
// copy of DefaultData; when that cannot be done the user folder is still the
// answer and the program runs on its built-in defaults. No trailing delimiter.
QString FindProgramFolder(const TProgramPlaces& places);
QString FindProgramFolder();

// Copies the default Data/ tree to userFolder/Data unless that already exists.
// The copy is made in a temporary folder beside it and renamed into place, so an
// interrupted copy never leaves a half Data/ and nothing of the user is ever
// overwritten. True when userFolder/Data is a folder afterwards.
bool SeedUserFolder(const QString& userFolder, const QString& defaultData);

// Brings a seeded userFolder/Data up to a newer installed default tree: files
// the user lacks are added, files the user never changed are replaced, files
// the user changed are kept. Each file is replaced in one step. Remembers what
// it put there in Data/.seeded; does nothing while the installed tree is the
// one it saw last. Answers how many files it added or replaced.
int UpdateUserData(const QString& userFolder, const QString& defaultData);
