// The fax server's areas as the installation proposes them, the path
// questions with their defaults and normal form, the network detection and
// the user settings the configuration editor asks.
#pragma once

#include "common/client_settings.h"

// Install defaults taken from the directory the program runs in: run from
// Z:\TELMORA\SYSTEM\ the server base directory is Z:\TELMORA\ and the three
// areas follow from it. Returns SetDefaultSettings' result.
int SetInstallDefaults(ClientSettings* settings);

// userArea, systemArea and requestArea from serverBaseDir. Returns 1.
int DeriveServerAreas(ClientSettings* settings);

// Which question AskConfigDirectory asks: for the directory of an existing
// TELMORA.INI, or of one to be created.
enum : int {
    kConfigFileExists = 0,
    kConfigFileCreated = 1,
};

// The path questions: each proposes the target's value (or its default),
// shown without its trailing backslash, and stores the answer upper case with
// a trailing backslash. 1 for an answer, 0 when the user chose Abort.
int AskConfigDirectory(char* directory, int create);  // 272-byte field; create: see below
int AskLogArea(char* directory);
int AskServerBaseDir(char* directory, int netServer);
int AskSystemArea(char* directory);
int AskRequestArea(char* directory);
int AskUserArea(char* directory);
int AskServerAreas(ClientSettings* settings);

// "Do you want to connect to a network server as well?"; `answer` 1 for Yes.
int AskConnectToServer(int* answer);

// The PC's networks from SYSTEM.INI [boot] and the network question;
// `network` in/out. 0 when the user chose Abort.
int DetectNetworks(unsigned short* network);

// The advanced user settings in their order: network, default user, the DOS
// spooler (not on Windows NT and Windows 95) with its devices, language.
// 0 at the first Abort.
int AskUserSettings(ClientSettings* settings);
