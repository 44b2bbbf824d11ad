// The files that connect the installed programs to their settings and to the MicroStation host.
#pragma once

struct Dialog;

// exeFolder\settings_path.txt holding the settings folder; false when it cannot be written.
bool ConfigWriteSettingsPath(const wchar_t* exeFolder, const wchar_t* settingsFolder);

// nimbo.cfg into the settings folder and into MicroStation's config\appl folder. Never fails: problems are
// warnings (status window only), since the programs are installed either way.
bool ConfigWriteMicroStation(Dialog* status, const wchar_t* exeFolder, const wchar_t* settingsFolder);

// Writes the seventeen lines of nimbo.cfg to path.
bool ConfigWriteCfg(const wchar_t* path, const wchar_t* exeFolder, const wchar_t* settingsFolder);

// Expands the template moduleFolder + file into the Orbisa includes folder under the file's own name.
bool ConfigInstallTemplate(const wchar_t* file);

// Copies source to target line by line with "%NIMBODIR%" and "%EXEDIR%" (any case) replaced by the
// forward-slash forms of the folders; trailing whitespace of every line goes.
bool ConfigExpandTemplate(const wchar_t* target, const wchar_t* source, const wchar_t* settingsFolder,
                          const wchar_t* exeFolder);

// The current user's profile + "Orbisa\config\includes\"; false when the profile is unknown.
bool ConfigOrbisaIncludesFolder(wchar_t* folder, int capacity);
