#pragma once
// Telling the desktop that this program opens index files, so that file managers offer
// it. Written for the current user only; nothing here is ever shown to the user, and a
// failure leaves what was there before.
//
// `root` is where the user's registrations live, so tests can use a scratch place. Here
// it is the user's data folder ($XDG_DATA_HOME): a shared-mime-info package under
// ROOT/mime/packages/ and a desktop entry under ROOT/applications/. On Windows it is the
// path of a registry key under HKEY_CURRENT_USER (normally "Software\Classes").

#include <string>
#include <vector>

namespace tallowmark::platform {

// What is registered. The type is claimed by file name and content only: never for
// every ".dat" file, and an extension another program owns is left alone.
struct DocumentType {
    std::string typeId = "Tallowmark.Document";  // Windows class key
    std::string typeName = "Index Document";     // shown by file managers
    std::string extension = ".dat";              // Windows only, and only when unowned
    std::string mimeType = "application/x-tallowmark-index";
    std::string fileName = "index.dat";             // matched in any letter case
    std::string magic = "Client UrlCache MMF Ver";  // the file's first bytes
    std::string applicationName = "Tallowmark";
    std::string desktopFileName = "tallowmark.desktop";
    std::string iconName = "tallowmark";  // icon theme name
    std::string iconSvg;  // the icon drawing, installed under that name where the desktop looks (not on Windows)
};

// The current user's place ($XDG_DATA_HOME or ~/.local/share here).
std::string UserRegistrationRoot();

// Whether start-up may register in `root` for the home folder `home` ($HOME here). False
// for an empty root, and when the program runs as root while `root` or `home` belongs to
// someone else (started with another user's environment, as `sudo -E` keeps it): root
// never writes, nor follows links into, another user's files.
bool MayRegisterIn(const std::string& root, const std::string& home);
std::string HomeFolder();

struct RegistrationResult {
    bool ok = true;        // everything is in place
    bool changed = false;  // something was written, or the desktop has yet to take it in
};

// Registers `type` as opened by `executablePath` (absolute) with "/dde" and the file
// paths. Writes only what differs from what is there already.
RegistrationResult RegisterDocumentType(const std::string& executablePath, const std::string& root,
                                        const DocumentType& type = {});

// The folders where the system keeps what installed programs register ($XDG_DATA_DIRS,
// else /usr/local/share and /usr/share), in the order the desktop reads them. None on
// Windows.
std::vector<std::string> SystemDataFolders();

// True when a package has installed the registration in `dataFolders`: the desktop entry
// the desktop reads first for `type` runs `executablePath`, and a MIME package of that
// name declares the type. A program so installed need not register itself for its user;
// one started from anywhere else (a build tree) still does. Reads the files afresh on
// every call; an unreadable one counts as not installed.
bool IsRegisteredSystemWide(const std::string& executablePath, const std::vector<std::string>& dataFolders,
                            const DocumentType& type = {});

// Lets the desktop see the registration at once (refreshes the MIME and desktop-entry
// databases where the programs for it exist). Returns without waiting for them.
void RefreshDesktopDatabases(const std::string& root, const DocumentType& type = {});

}  // namespace tallowmark::platform
